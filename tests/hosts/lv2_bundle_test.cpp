// The LV2 bundle as LV2's own tools read it: every Turtle file valid against the LV2
// vocabularies, the ports, presets and UI lilv finds, and the generated Turtle agreeing
// entry by entry with the parameter table and the factory bank it was written from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "lv2/turtle_writer.h"
#include "params/parameter_model.h"
#include "params/parameter_table.h"
#include "params/value_texts.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/vst/aeffect.h"
#include "tests/hosts/child_process.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kLv2Prefix[] = "http://lv2plug.in/ns/lv2core#";
constexpr char kPortPropsPrefix[] = "http://lv2plug.in/ns/ext/port-props#";

bool have(const char* program) {
  return fs::exists(std::string("/usr/bin/") + program);
}

// A folder holding the bundle alone, then the system's LV2 folder for the vocabularies.
std::string lv2Path(const fs::path& root) {
  fs::create_directories(root / "lv2");
  std::error_code ec;
  fs::create_directory_symlink(GW_LV2_BUNDLE, root / "lv2" / "glimmerwick.lv2", ec);
  return "LV2_PATH=" + (root / "lv2").string() + ":/usr/lib/lv2";
}

// One port as lv2info prints it.
struct InfoPort {
  std::set<std::string> types, properties;
  std::map<std::string, std::string> fields;  // "Symbol" -> "volume" ...
  std::set<std::pair<double, std::string>> scalePoints;
};

std::map<int, InfoPort> parsePorts(const std::string& info) {
  std::map<int, InfoPort> ports;
  std::istringstream in(info);
  std::string line, list;
  const std::regex portLine(R"(^\tPort (\d+):$)"), field(R"(^\t\t(\w[\w ]*):\s*(.*)$)"),
      continued(R"(^\t\t\s+(\S.*)$)"), point(R"re(^\t\t\t(\S+) = "(.*)"$)re");
  InfoPort* port = nullptr;
  std::smatch m;
  while (std::getline(in, line)) {
    if (std::regex_match(line, m, portLine)) {
      port = &ports[std::stoi(m[1])];
      list.clear();
    } else if (port == nullptr) {
      continue;
    } else if (std::regex_match(line, m, point)) {
      port->scalePoints.insert({std::stod(m[1]), m[2]});
    } else if (std::regex_match(line, m, field)) {
      list = m[1];
      if (list == "Type") port->types.insert(m[2]);
      if (list == "Properties") port->properties.insert(m[2]);
      port->fields[list] = m[2];
    } else if (std::regex_match(line, m, continued)) {
      if (list == "Type") port->types.insert(m[1]);
      if (list == "Properties") port->properties.insert(m[1]);
    }
  }
  return ports;
}

// Turtle read back as N-Triples by serdi: subject -> predicate -> objects.
using Triples = std::map<std::string, std::multimap<std::string, std::string>>;

Triples readTurtle(const fs::path& file) {
  const RunResult run = runProgram({"/usr/bin/serdi", "-o", "ntriples", file.string()}, {}, 60);
  Triples triples;
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::istringstream in(run.output);
  std::string line;
  const std::regex triple(R"(^(\S+) <([^>]+)> (.+) \.$)"), literal(R"re(^"(.*)"(\^\^<.*>)?$)re");
  std::smatch m, l;
  while (std::getline(in, line)) {
    if (!std::regex_match(line, m, triple)) continue;
    std::string object = m[3];
    if (std::regex_match(object, l, literal)) object = l[1];
    triples[m[1]].insert({m[2], object});
  }
  return triples;
}

std::string first(const Triples& t, const std::string& subject, const std::string& predicate) {
  const auto s = t.find(subject);
  if (s == t.end()) return {};
  const auto p = s->second.find(predicate);
  return p == s->second.end() ? std::string() : p->second;
}

vst::IntPtr VSTCALLBACK quietHost(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                  void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class Lv2Bundle : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"lv2_validate", "lv2info", "serdi"}) {
      if (!have(tool)) GTEST_SKIP() << "no " << tool << " (scripts/install-deps lv2)";
    }
    root_ = makeScratchDirectory("gw-lv2-bundle");
    env_ = lv2Path(root_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!root_.empty() && !HasFailure()) fs::remove_all(root_, ec);
  }
  RunResult info() const {
    return runProgram({"/usr/bin/lv2info", gw::lv2::kPluginUri}, {env_}, 120);
  }

  fs::path root_;
  std::string env_;
};

// The instrument's binary needs no window system or GL (a headless host loads it), and
// neither binary carries the VST module's classes: each format is its own adapter over
// the shared layers below.
TEST_F(Lv2Bundle, TheBinariesNeedNoWindowSystemAndCarryNoVstClass) {
  const std::string instrument = std::string(GW_LV2_BUNDLE) + "/glimmerwick_lv2.so";
  const RunResult ldd = runProgram({"ldd", instrument}, {}, 60);
  ASSERT_EQ(ldd.exitCode, 0) << ldd.output;
  for (const char* library : {"libX11", "libGL", "libOpenGL", "libXrender", "libXft", "libxcb",
                              "libfreetype", "libpng"}) {
    EXPECT_EQ(ldd.output.find(library), std::string::npos) << library << " in\n" << ldd.output;
  }
  std::vector<std::string> binaries = {instrument};
#if GW_LV2_HAS_UI
  binaries.push_back(std::string(GW_LV2_BUNDLE) + "/" + gw::lv2::kUiBinaryName);
#endif
  const std::regex vstClass(
      "TarnAuBase|TarnAdditiveSynth|TarnEditor|AudioEffect|AEffEditor|PluginPort|vst::");
  for (const std::string& binary : binaries) {
    const RunResult nm = runProgram({"nm", "-C", binary}, {}, 60);
    ASSERT_EQ(nm.exitCode, 0) << nm.output;
    std::istringstream lines(nm.output);
    std::string line, found;
    while (std::getline(lines, line)) {
      if (std::regex_search(line, vstClass)) found += line + "\n";
    }
    EXPECT_EQ(found, "") << binary;
  }
}

TEST_F(Lv2Bundle, EveryTurtleFileIsValidAgainstTheLv2Vocabularies) {
  std::vector<std::string> argv = {"/usr/bin/lv2_validate"};
  int files = 0;
  for (const auto& entry : fs::directory_iterator(GW_LV2_BUNDLE)) {
    if (entry.path().extension() == ".ttl") {
      argv.push_back(entry.path().string());
      ++files;
    }
  }
  EXPECT_GE(files, 3);
  const RunResult run = runProgram(argv, {}, 300);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Found 0 errors"), std::string::npos) << run.output;
}

TEST_F(Lv2Bundle, Lv2infoFindsAnInstrumentWithItsPortsThe32PresetsAndTheX11Ui) {
  const RunResult run = info();
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Name:              Glimmerwick"), std::string::npos);
  EXPECT_NE(run.output.find("Class:             Instrument Plugin"), std::string::npos);
  EXPECT_NE(run.output.find("Author:            Tarnwell"), std::string::npos);
#ifdef GW_LV2_HAS_UI
  EXPECT_NE(run.output.find(std::string("UIs:\n\t\t") + gw::lv2::kUiUri +
                            "\n\t\t\tClass:  http://lv2plug.in/ns/extensions/ui#X11UI\n"),
            std::string::npos)
      << run.output;
#endif
  const auto ports = parsePorts(run.output);
  int controlsIn = 0, audioOut = 0, midiIn = 0, controlsOut = 0;
  const std::string lv2 = kLv2Prefix;
  for (const auto& [index, port] : ports) {
    const bool input = port.types.count(lv2 + "InputPort") != 0;
    if (port.types.count(lv2 + "ControlPort")) (input ? controlsIn : controlsOut)++;
    if (port.types.count(lv2 + "AudioPort") && !input) ++audioOut;
    if (port.types.count("http://lv2plug.in/ns/ext/atom#AtomPort") && input) ++midiIn;
  }
  EXPECT_EQ(controlsIn, 180);
  EXPECT_EQ(audioOut, 2);
  EXPECT_EQ(midiIn, 1);
  EXPECT_EQ(controlsOut, 1);
  EXPECT_EQ(ports.size(), 184u);
  // The presets' labels, one a line below "Presets:" up to the first blank line.
  const std::size_t from = run.output.find("Presets:");
  ASSERT_NE(from, std::string::npos);
  const std::size_t to = run.output.find("\n\n", from);
  const std::string list = run.output.substr(from, to - from);
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 32) << list;
}

TEST_F(Lv2Bundle, EachControlPortSaysWhatItsTableRowSays) {
  const RunResult run = info();
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const auto ports = parsePorts(run.output);
  const Triples plugin = readTurtle(fs::path(GW_LV2_BUNDLE) / gw::lv2::kPluginTurtle);
  // The unit of each port, found through its index in the description.
  std::map<int, std::string> units;
  for (const auto& [subject, predicates] : plugin) {
    const auto index = predicates.find(std::string(kLv2Prefix) + "index");
    const auto unit = predicates.find("http://lv2plug.in/ns/extensions/units#unit");
    if (index != predicates.end() && unit != predicates.end()) {
      units[std::stoi(index->second)] = unit->second;
    }
  }
  const std::map<gw::ParameterUnit, std::string> lv2Units = {
      {gw::ParameterUnit::Seconds, "s"},
      {gw::ParameterUnit::Hertz, "hz"},
      {gw::ParameterUnit::Percent, "pc"},
      {gw::ParameterUnit::Cents, "cent"},
      {gw::ParameterUnit::Milliseconds, "ms"},
      {gw::ParameterUnit::Decibels, "db"},
      {gw::ParameterUnit::Bpm, "bpm"},
      {gw::ParameterUnit::Beats, "beat"},
      {gw::ParameterUnit::RelativeSemitones, "semitone12TET"}};
  const std::string lv2 = kLv2Prefix, pprops = kPortPropsPrefix;
  for (int i = 0; i < gw::param::kCount; ++i) {
    SCOPED_TRACE(i);
    const gw::ParameterInfo& row = gw::kParameterTable[i];
    ASSERT_TRUE(ports.count(i));
    const InfoPort& port = ports.at(i);
    EXPECT_EQ(port.fields.at("Symbol"), gw::parameterSymbol(i));
    EXPECT_EQ(port.fields.at("Name"), row.name);
    EXPECT_NEAR(std::stod(port.fields.at("Minimum")), row.minimum, 5e-7);
    EXPECT_NEAR(std::stod(port.fields.at("Maximum")), gw::isInert(i) ? 1.0 : row.maximum, 5e-7);
    EXPECT_NEAR(std::stod(port.fields.at("Default")), row.defaultValue, 5e-7);
    const auto names = gw::valueNameTexts(i);
    std::set<std::string> expected;
    if (gw::isStepped(i)) expected.insert(lv2 + "integer");
    if (gw::isStepped(i) && !names.empty()) expected.insert(lv2 + "enumeration");
    if (row.unit == gw::ParameterUnit::Boolean) expected.insert(lv2 + "toggled");
    if (row.unit == gw::ParameterUnit::Hertz) expected.insert(pprops + "logarithmic");
    if (gw::isInert(i)) expected.insert({pprops + "notOnGUI", pprops + "notAutomatic"});
    EXPECT_EQ(port.properties, expected);
    std::set<std::pair<double, std::string>> points;
    for (std::size_t v = 0; v < names.size(); ++v) points.insert({row.minimum + v, names[v]});
    for (const gw::SpecialText& s : gw::specialTexts(i)) points.insert({s.value, s.text});
    EXPECT_EQ(port.scalePoints, points);
    const auto unit = lv2Units.find(row.unit);
    EXPECT_EQ(units.count(i) ? units.at(i) : "",
              unit == lv2Units.end()
                  ? ""
                  : "<http://lv2plug.in/ns/extensions/units#" + unit->second + ">");
  }
}

TEST_F(Lv2Bundle, EachPresetCarriesItsProgramsNameAndEveryValue) {
  auto synth = std::make_unique<TarnAdditiveSynth>(quietHost);
  ASSERT_TRUE(synth->constructed());
  const Triples manifest = readTurtle(fs::path(GW_LV2_BUNDLE) / "manifest.ttl");
  const Triples presets = readTurtle(fs::path(GW_LV2_BUNDLE) / gw::lv2::kPresetsTurtle);
  const std::string lv2 = kLv2Prefix, pset = "http://lv2plug.in/ns/ext/presets#",
                    label = "http://www.w3.org/2000/01/rdf-schema#label";
  std::map<std::string, int> symbols;
  for (int p = 0; p < gw::param::kCount; ++p) symbols[gw::parameterSymbol(p)] = p;
  for (int i = 0; i < TarnAuBase::kNumPrograms; ++i) {
    SCOPED_TRACE(i);
    const std::string uri = "<" + gw::lv2::presetUri(i) + ">";
    const TarnProgramBasic* program = synth->program(i);
    const std::string numbered = gw::lv2::presetLabel(i, program->getName());
    EXPECT_EQ(first(manifest, uri, label), numbered);
    EXPECT_EQ(first(manifest, uri, lv2 + "appliesTo"),
              std::string("<") + gw::lv2::kPluginUri + ">");
    EXPECT_EQ(first(presets, uri, label), numbered);
    ASSERT_TRUE(presets.count(uri));
    std::set<int> seen;
    const auto range = presets.at(uri).equal_range(lv2 + "port");
    for (auto it = range.first; it != range.second; ++it) {
      const std::string symbol = first(presets, it->second, lv2 + "symbol");
      ASSERT_TRUE(symbols.count(symbol)) << symbol;
      const int p = symbols.at(symbol);
      seen.insert(p);
      EXPECT_EQ(std::strtof(first(presets, it->second, pset + "value").c_str(), nullptr),
                program->getValue(p))
          << symbol;
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(gw::param::kCount));
  }
}

}  // namespace

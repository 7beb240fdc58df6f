// The pieces of the generated Turtle that a reader must get back exactly: numbers, names,
// port symbols and preset URIs. The whole files are read back by LV2's own tools in
// tests/hosts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "lv2/turtle_writer.h"
#include "params/parameter_model.h"
#include "params/parameter_table.h"

namespace {

using gw::lv2::turtleNumber;

TEST(TurtleWriter, NumbersReadBackAsTheSameFloatAndAreNeverTurtleIntegers) {
  std::vector<float> values = {0.0f, -0.0f, 1.0f, 12000.0f, 0.05f, 1e-7f, -24.0f, 0.7f, 3e9f};
  for (const auto& row : gw::kParameterTable) {
    values.insert(values.end(), {row.minimum, row.maximum, row.defaultValue});
  }
  const std::regex turtleDecimalOrDouble(
      R"([+-]?[0-9]*\.[0-9]+([eE][+-]?[0-9]+)?|[+-]?[0-9]+(\.[0-9]*)?[eE][+-]?[0-9]+)");
  for (float v : values) {
    const std::string text = turtleNumber(v);
    EXPECT_TRUE(std::regex_match(text, turtleDecimalOrDouble)) << text;
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), v) << text;
  }
  EXPECT_EQ(turtleNumber(12000.0f), "12000.0");
  EXPECT_EQ(turtleNumber(0.05f), "0.05");
}

TEST(TurtleWriter, StringsEscapeQuotesAndBackslashes) {
  EXPECT_EQ(gw::lv2::turtleString("Defaults"), "\"Defaults\"");
  EXPECT_EQ(gw::lv2::turtleString("a \"b\" \\c"), R"("a \"b\" \\c")");
}

TEST(TurtleWriter, PortSymbolsAreValidUniqueAndFollowTheNames) {
  const std::regex lv2Symbol("[_a-zA-Z][_a-zA-Z0-9]*");
  std::set<std::string> seen = {"midi_in", "out_1", "out_2", "activity"};
  for (int i = 0; i < gw::param::kCount; ++i) {
    const std::string symbol = gw::parameterSymbol(i);
    EXPECT_TRUE(std::regex_match(symbol, lv2Symbol)) << i << " " << symbol;
    EXPECT_TRUE(seen.insert(symbol).second) << "repeated: " << symbol;
  }
  EXPECT_EQ(gw::parameterSymbol(0), "volume");
  EXPECT_EQ(gw::parameterSymbol(gw::param::kModulationOnOff), "modulation_on_off");
  EXPECT_EQ(gw::parameterSymbol(gw::param::envTimeA1(2)), "env_2_time_a1");
  EXPECT_EQ(gw::parameterSymbol(39), "unused_39");
  EXPECT_EQ(gw::parameterSymbol(17), "reserved_17");
  EXPECT_EQ(gw::parameterSymbol(-1), "");
  EXPECT_EQ(gw::parameterSymbol(gw::param::kCount), "");
}

TEST(TurtleWriter, EveryPresetIsListedInTheManifestAndCarriesEveryPort) {
  std::vector<gw::lv2::PresetData> presets(2);
  presets[0].name = "Defaults";
  presets[1].name = "Bell \"B\"";
  for (auto& p : presets) p.values.fill(0.5f);
  std::ostringstream manifest, bank;
  gw::lv2::writeManifest(manifest, presets, true);
  gw::lv2::writePresets(bank, presets);
  for (int i = 0; i < 2; ++i) {
    const std::string uri = "<" + gw::lv2::presetUri(i) + ">";
    EXPECT_NE(manifest.str().find(uri), std::string::npos);
    EXPECT_NE(bank.str().find(uri), std::string::npos);
  }
  EXPECT_EQ(gw::lv2::presetUri(0), "urn:tarnwell:glimmerwick:preset:01");
  EXPECT_EQ(gw::lv2::presetUri(31), "urn:tarnwell:glimmerwick:preset:32");
  // Labels carry the program's number from 1, as the URI and every tool count.
  EXPECT_NE(manifest.str().find(R"(rdfs:label "01 Defaults")"), std::string::npos);
  EXPECT_NE(manifest.str().find(R"(rdfs:label "02 Bell \"B\"")"), std::string::npos);
  EXPECT_NE(bank.str().find(R"(rdfs:label "02 Bell \"B\"")"), std::string::npos);
  std::size_t values = 0;
  for (std::size_t at = 0; (at = bank.str().find("pset:value", at)) != std::string::npos; ++at) {
    ++values;
  }
  EXPECT_EQ(values, 2u * gw::param::kCount);
}

}  // namespace

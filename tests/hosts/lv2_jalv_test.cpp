// The LV2 bundle in jalv under a real JACK server (dummy backend, real time): headless,
// with no display and no window-system library in the process, note 69 of "Defaults"
// sounds at 440 Hz, a control set on jalv's console moves it, and
// loading a factory preset sets every control back as the preset says; in jalv's GTK
// window, the editor's UI shows the editor. Runs under a virtual X server of its own.
// Built with GW_INSTALLED_PREFIX (tests/package), jalv takes the bundle the Debian package
// installed, found on LV2's default path: no LV2_PATH and no copy.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "lv2/turtle_writer.h"
#include "params/parameter_model.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/vst/aeffect.h"
#include "tests/engine/audio_measure.h"
#include "tests/hosts/child_process.h"
#include "tests/hosts/jack_probe.h"

// Last: Xlib defines macros (None, Status) that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kJackd[] = "/usr/bin/jackd";
constexpr char kJalv[] = "/usr/bin/jalv";
constexpr char kJalvGtk[] = "/usr/bin/jalv.gtk3";

vst::IntPtr VSTCALLBACK quietHost(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                  void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class Lv2Jalv : public testing::Test {
 public:
  void SetUp() override {
    if (!fs::exists(kJackd)) GTEST_SKIP() << "no JACK server (scripts/install-deps hosts)";
    if (!fs::exists(kJalv)) GTEST_SKIP() << "no jalv (scripts/install-deps lv2)";
    root_ = makeScratchDirectory("gw-lv2-jalv");
    server_ = freshName("gw-lv2-");
    jackd_ = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{kJackd, "--no-realtime", "--sync", "--timeout", "5000", "--name",
                                 server_, "-d", "dummy", "-r", "48000", "-p", "256"},
        std::vector<std::string>{"JACK_NO_AUDIO_RESERVATION=1"}, root_ / "jackd.log");
    probe_ = std::make_unique<JackProbe>(server_, 15.0);
    ASSERT_TRUE(probe_->started()) << "the JACK server did not come up:\n" << jackd_->log();
#ifdef GW_INSTALLED_PREFIX
    forgetPluginPaths();
#else
    fs::create_directories(root_ / "lv2");
    fs::create_directory_symlink(GW_LV2_BUNDLE, root_ / "lv2" / "glimmerwick.lv2");
#endif
  }

  std::vector<std::string> environment() const {
    // A fresh configuration: the editor's preferences at their defaults.
    return {"JACK_DEFAULT_SERVER=" + server_,
#ifndef GW_INSTALLED_PREFIX
            "LV2_PATH=" + (root_ / "lv2").string() + ":/usr/lib/lv2",
#endif
            "XDG_CONFIG_HOME=" + (root_ / "config").string()};
  }

  // jalv reads console commands from its standard input: a FIFO the test writes. Its
  // output goes to a file, line-buffered so that the test can read it as it comes. The
  // console host has no window, so it runs without a display, as on a headless server.
  void startConsoleJalv() {
    const fs::path fifo = root_ / "commands";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    jalv_ = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"/bin/sh", "-c",
                                 std::string("exec env -u DISPLAY stdbuf -oL ") + kJalv +
                                     " -x -n gw-lv2 " + gw::lv2::kPluginUri + " < " +
                                     fifo.string()},
        environment(), root_ / "jalv.log");
    // Opening for writing succeeds once jalv's shell has the FIFO open for reading.
    for (int tries = 0; tries < 200 && commands_ < 0; ++tries) {
      commands_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (commands_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_GE(commands_, 0) << jalv_->log();
    ASSERT_TRUE(probe_->waitForPort("gw-lv2:out_2", 20.0)) << jalv_->log();
  }

  void TearDown() override {
    if (commands_ >= 0) ::close(commands_);  // end of input: jalv quits
    jalv_.reset();
    probe_.reset();
    jackd_.reset();
    std::error_code ec;
    if (!root_.empty() && !HasFailure()) fs::remove_all(root_, ec);
  }

  void command(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(::write(commands_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    // jalv applies console commands from its own thread; give it a few cycles.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }

  // Plays note 69 at full velocity for a second into probe_'s recording.
  void playNote69() {
    const double rate = probe_->rate();
    const auto second = std::llround(rate);
    std::vector<JackProbe::Note> notes = {{0, {0x90, 69, 127}}, {second, {0x80, 69, 0}}};
    EXPECT_TRUE(probe_->record("gw-lv2:midi_in", "gw-lv2:out_1", "gw-lv2:out_2", notes,
                               second + second / 4, 30.0))
        << jalv_->log();
  }

  // Plays note 69 at full velocity for a second and returns the pitch of its held part.
  double pitchOfNote69() {
    playNote69();
    const double rate = probe_->rate();
    const auto second = std::llround(rate);
    const auto& left = probe_->left();
    // From 0.6 s, well after the onset and the cycles the note takes to arrive, to the
    // note-off.
    EXPECT_GT(peak(left, second * 6 / 10, second), 0.1f) << jalv_->log();
    EXPECT_NEAR(zeroCrossingFrequency(probe_->right(), rate, second * 6 / 10, second),
                zeroCrossingFrequency(left, rate, second * 6 / 10, second), 0.01);
    return zeroCrossingFrequency(left, rate, second * 6 / 10, second);
  }

  fs::path root_;
  std::string server_;
  std::unique_ptr<BackgroundProgram> jackd_, jalv_;
  std::unique_ptr<JackProbe> probe_;
  int commands_ = -1;
};

// The instrument needs no window system: a headless host (a render server, a rack box)
// loads and plays it with no display and no X11 or GL library in its process.
TEST_F(Lv2Jalv, TheInstrumentPlaysWithoutADisplayOrAWindowSystemLibrary) {
  startConsoleJalv();
  if (HasFatalFailure()) return;
  EXPECT_NEAR(pitchOfNote69(), 440.0, 0.5);
  std::ifstream maps("/proc/" + std::to_string(jalv_->pid()) + "/maps");
  std::string line, mapped;
  bool ours = false;
#ifdef GW_INSTALLED_PREFIX
  const std::string instrument = GW_INSTALLED_PREFIX "/lib/lv2/glimmerwick.lv2/glimmerwick_lv2.so";
#else
  const std::string instrument = "glimmerwick_lv2.so";
#endif
  while (std::getline(maps, line)) {
    ours = ours || line.find(instrument) != std::string::npos;
    for (const char* library : {"libX11", "libGL", "libOpenGL", "libXrender", "libxcb"}) {
      if (line.find(library) != std::string::npos) mapped += line + "\n";
    }
  }
  EXPECT_TRUE(ours) << "jalv (pid " << jalv_->pid() << ") did not map " << instrument;
  EXPECT_EQ(mapped, "") << "window-system libraries in the headless host";
}

TEST_F(Lv2Jalv, Note69OfDefaultsSoundsAt440HzAndPresetsSetTheControlsTheyHold) {
  startConsoleJalv();
  if (HasFatalFailure()) return;
  EXPECT_NEAR(pitchOfNote69(), 440.0, 0.5);
  command("coarse_tune = 12");
  EXPECT_NEAR(pitchOfNote69(), 880.0, 1.0);
  // jalv ignores "preset" until it has listed the presets once.
  command("presets");
  command("preset " + gw::lv2::presetUri(0));
  EXPECT_NEAR(pitchOfNote69(), 440.0, 0.5) << jalv_->log();
  const std::vector<float> defaults = probe_->left();

  // A second factory program: jalv shows every control at the program's value, and the
  // note sounds different from "Defaults".
  TarnAdditiveSynth synth(quietHost);
  ASSERT_TRUE(synth.constructed());
  const TarnProgramBasic* program = synth.program(1);
  ASSERT_STRNE(program->getName(), "Defaults");
  const std::size_t before = jalv_->log().rfind("volume = ");
  command("preset " + gw::lv2::presetUri(1));
  // jalv prints every control shown to users once the preset is applied, up to the last.
  std::string log;
  std::size_t from = before;
  for (int tries = 0; tries < 100; ++tries) {
    log = jalv_->log();
    from = log.rfind("volume = ");
    if (from != before && log.find("lfo_4_multiplier = ", from) != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_NE(from, before) << "jalv did not show the preset's values\n" << log;
  // One "symbol = value" line per control, the first after jalv's prompt.
  const auto valueOf = [&](const std::string& symbol) -> double {
    const std::string key = symbol + " = ";
    for (std::size_t at = log.find(key, from); at != std::string::npos;
         at = log.find(key, at + 1)) {
      if (log[at - 1] == '\n' || log[at - 1] == ' ') return std::stod(log.substr(at + key.size()));
    }
    ADD_FAILURE() << "jalv did not show " << symbol << "\n" << log.substr(from);
    return 0.0;
  };
  for (int p = 0; p < gw::param::kCount; ++p) {
    if (gw::isInert(p)) continue;  // hidden from users: jalv does not show them
    const double expected = program->getValue(p);
    EXPECT_NEAR(valueOf(gw::parameterSymbol(p)), expected, 1e-6 * (1.0 + std::fabs(expected)))
        << gw::parameterSymbol(p) << " in " << program->getName();
  }
  playNote69();
  const std::size_t second = static_cast<std::size_t>(probe_->rate());
  double difference = 0.0;
  for (std::size_t i = second / 2; i < second; ++i) {
    difference = std::max(difference, std::fabs(double(defaults[i]) - probe_->left()[i]));
  }
  EXPECT_GT(difference, 0.05) << program->getName() << " sounds as \"Defaults\" does";
}

// The top-level window of that name, searched depth-first from root; 0 for none.
Window findNamed(Display* display, Window window, const char* name) {
  char* title = nullptr;
  if (XFetchName(display, window, &title) != 0 && title != nullptr) {
    const bool found = std::string(title) == name;
    XFree(title);
    if (found) return window;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) found = findNamed(display, children[i], name);
  if (children != nullptr) XFree(children);
  return found;
}

struct Rgb {
  int r, g, b;
  int luminance() const { return (r * 3 + g * 6 + b) / 10; }
};

Rgb pixel(XImage* image, int x, int y) {
  const unsigned long p = XGetPixel(image, x, y);
  return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
          static_cast<int>(p & 0xFF)};
}

double meanLuminance(XImage* image, int x0, int y0, int x1, int y1) {
  double sum = 0.0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) sum += pixel(image, x, y).luminance();
  }
  return sum / ((x1 - x0) * (y1 - y0));
}

// jalv's GTK window embeds the editor's UI (an X11 child window through suil): at the
// design size, the dark background, the lighter title band and the title's text.
// jalv.gtk3 with the editor's UI; returns its top-level window, 0 when none came.
Window startGtkJalv(Lv2Jalv& test, Display* display) {
  std::vector<std::string> env = test.environment();
  env.push_back("LIBGL_ALWAYS_SOFTWARE=1");
  test.jalv_ = std::make_unique<BackgroundProgram>(
      std::vector<std::string>{kJalvGtk, "-x", "-n", "gw-lv2", gw::lv2::kPluginUri}, env,
      test.root_ / "jalv.log");
  EXPECT_TRUE(test.probe_->waitForPort("gw-lv2:out_2", 20.0)) << test.jalv_->log();
  Window top = 0;
  for (int tries = 0; tries < 200 && top == 0; ++tries) {
    top = findNamed(display, DefaultRootWindow(display), "Glimmerwick");
    if (top == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_NE(top, 0u) << "no window named Glimmerwick\n" << test.jalv_->log();
  return top;
}

TEST_F(Lv2Jalv, TheGtkHostShowsTheEditorInItsWindow) {
  if (!fs::exists(kJalvGtk)) GTEST_SKIP() << "no jalv.gtk3 (scripts/install-deps lv2)";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) GTEST_SKIP() << "no X display (runs under xvfb-run)";
  const Window top = startGtkJalv(*this, display);
  ASSERT_NE(top, 0u);
  // The render thread draws at about 30 frames a second from when the UI opened.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  XWindowAttributes attributes;
  ASSERT_NE(XGetWindowAttributes(display, top, &attributes), 0);
  EXPECT_EQ(attributes.width, 610) << jalv_->log();
  EXPECT_EQ(attributes.height, 415) << jalv_->log();
  XImage* image = XGetImage(display, top, 0, 0, 610, 415, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  for (const auto& [x, y] : {std::pair{300, 300}, {100, 200}, {500, 380}}) {
    const Rgb p = pixel(image, x, y);
    EXPECT_GT(p.b, p.r + 20) << x << "," << y << " is " << p.r << " " << p.g << " " << p.b;
    EXPECT_LT(p.luminance(), 80) << x << "," << y;
  }
  EXPECT_GT(meanLuminance(image, 30, 3, 580, 18), meanLuminance(image, 30, 100, 580, 140) + 5);
  int textPixels = 0;
  for (int y = 2; y < 20; ++y) {
    for (int x = 55; x < 275; ++x) textPixels += pixel(image, x, y).luminance() > 100 ? 1 : 0;
  }
  EXPECT_GT(textPixels, 50) << "no title text";
  XDestroyImage(image);
  XCloseDisplay(display);
  int code = -1;
  EXPECT_FALSE(jalv_->exited(code)) << "jalv.gtk3 quit with " << code << "\n" << jalv_->log();
}

// XTest: the pointer to design point (x, y) of the editor, y upwards from the bottom of
// the 415-pixel view, then time for the host's idle calls to deliver it.
void pointerTo(Display* display, Window top, int x, int y) {
  int rx = 0, ry = 0;
  Window child = 0;
  XTranslateCoordinates(display, top, DefaultRootWindow(display), x, 415 - y, &rx, &ry, &child);
  XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

void pointerButton(Display* display, bool down) {
  XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

// The drag goes from the UI through jalv's write to the plug-in's Volume port: the note
// that follows is quieter.
TEST_F(Lv2Jalv, AKnobDragInTheGtkHostReachesThePluginsPort) {
  if (!fs::exists(kJalvGtk)) GTEST_SKIP() << "no jalv.gtk3 (scripts/install-deps lv2)";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) GTEST_SKIP() << "no X display (runs under xvfb-run)";
  const Window top = startGtkJalv(*this, display);
  ASSERT_NE(top, 0u);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const std::size_t second = static_cast<std::size_t>(probe_->rate());
  playNote69();
  const double before = rms(probe_->left(), second * 6 / 10, second);
  ASSERT_GT(before, 1e-3) << jalv_->log();

  // "Volume" in "Misc" at (568.8, 355), 20 units: drag down 100 units.
  pointerTo(display, top, 579, 365);
  pointerButton(display, true);
  pointerTo(display, top, 579, 315);
  pointerTo(display, top, 579, 265);
  pointerButton(display, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  playNote69();
  EXPECT_LT(rms(probe_->left(), second * 6 / 10, second), 0.5 * before) << jalv_->log();
  XCloseDisplay(display);
}

}  // namespace

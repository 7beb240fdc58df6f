// Ardour 7's own window records automation from the plug-in's own editor, as a user does
// it: a session with the instrument's lanes in Touch and Latch, Ardour's GUI on a JACK
// server's dummy backend under the test's X server, the editor opened from the session's
// saved window state, the transport rolling while the pointer drags "Volume" and presses
// "Saw", then the session saved and its lanes read back. Both formats: the LinuxVST
// module's begin/end edit and the LV2 UI's ui:touch.
//
// Ardour 7.3 idles a LinuxVST editor on a thread of its own ("LXVSTEventLoop") that has no
// tempo map: an automate inside a gesture on a lane kept in musical time (a MIDI track's
// default) crashes it in Temporal::TempoMap::metric_at. The VST session's plug-in lanes are
// therefore kept in audio time; the LV2 UI runs on Ardour's GUI thread and keeps the
// default.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/hosts/ardour_fixture.h"
#include "tests/hosts/child_process.h"

// Last: Xlib defines macros (None, Status) that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kArdour[] = "/usr/bin/ardour";
constexpr char kJackd[] = "/usr/bin/jackd";
constexpr char kJackWait[] = "/usr/bin/jack_wait";
constexpr char kJackLsp[] = "/usr/bin/jack_lsp";
// Ardour's JACK client now and then loses its server at start ("Audio: none"); the whole
// start is repeated then, which has always worked within a few tries.
constexpr int kStartAttempts = 5;
constexpr int kVolume = 0;
constexpr int kSawX = 515, kSawY = 117, kVolumeX = 579, kVolumeY = 365;

// The first-run wizard stays away with this marker and an engine state to start: JACK's
// dummy driver, as the server the test starts.
constexpr char kArdourConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="Dummy" device="Dummy" input-device="" output-device="" sample-rate="48000" buffer-size="1024" n-periods="2" input-latency="0" output-latency="0" input-channels="0" output-channels="0" active="1" use-buffered-io="0" midi-option="" lru="1"/>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
)";

struct Point {
  double time, value;
};

// The plug-in lanes of a saved session: parameter number to its events in order.
std::map<int, std::vector<Point>> pluginLanes(const std::string& session) {
  std::map<int, std::vector<Point>> lanes;
  const std::regex list(R"re(automation-id="parameter-(\d+)"[^>]*>\s*<events>([^<]*)</events>)re");
  for (std::sregex_iterator it(session.begin(), session.end(), list), end; it != end; ++it) {
    std::istringstream events((*it)[2].str());
    std::string time;
    double value = 0.0;
    std::vector<Point>& points = lanes[std::stoi((*it)[1].str())];
    // Times carry their domain as a prefix: "a" audio, "b" beats.
    while (events >> time >> value) points.push_back({std::stod(time.substr(1)), value});
  }
  return lanes;
}

std::string describe(const std::vector<Point>& points) {
  std::ostringstream text;
  for (const Point& p : points) text << " (" << p.time << ", " << p.value << ")";
  return text.str();
}

// The test's X server, as a user's pointer and keyboard reach Ardour's windows.
class Screen {
 public:
  Screen() : display_(XOpenDisplay(nullptr)) {}
  ~Screen() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  bool ready() const { return display_ != nullptr; }

  struct Found {
    Window window = 0;
    int x = 0, y = 0, width = 0, height = 0;  // on the root window
  };

  // The first viewable window, depth first from the root, that satisfies test.
  Found find(const std::function<bool(const std::string& name, int width)>& test) {
    Found found;
    search(DefaultRootWindow(display_), test, found);
    return found;
  }
  Found findNamed(const std::string& part) {
    return find([&](const std::string& name, int) { return name.find(part) != std::string::npos; });
  }
  // The editor inside the plug-in's window: our child window, named "Window".
  Found editorIn(Window top) {
    Found found;
    search(
        top, [](const std::string& name, int width) { return name == "Window" && width == 610; },
        found);
    return found;
  }

  void raise(Window window) {
    XRaiseWindow(display_, window);
    XSync(display_, False);
  }
  void moveTo(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    settle(60);
  }
  void button(bool down) {
    XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
    settle(120);
  }
  // Keys go where the pointer is: no window manager gives anyone the focus.
  void chord(std::initializer_list<KeySym> keys) {
    for (KeySym k : keys) XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, k), True, 0);
    for (auto k = std::rbegin(keys); k != std::rend(keys); ++k)
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *k), False, 0);
    settle(300);
  }

 private:
  bool search(Window window, const std::function<bool(const std::string&, int)>& test,
              Found& found) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    if (attributes.map_state != IsViewable && window != DefaultRootWindow(display_)) return false;
    char* title = nullptr;
    std::string name;
    if (XFetchName(display_, window, &title) && title != nullptr) {
      name = title;
      XFree(title);
    }
    if (test(name, attributes.width)) {
      Window child = 0;
      XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &found.x, &found.y,
                            &child);
      found.window = window;
      found.width = attributes.width;
      found.height = attributes.height;
      return true;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return false;
    bool done = false;
    // Topmost first, as a user sees them.
    for (unsigned i = count; i-- > 0 && !done;) done = search(children[i], test, found);
    if (children != nullptr) XFree(children);
    return done;
  }
  void settle(int ms) {
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

  Display* display_;
};

class ArdourGuiTest : public ArdourTest {
 protected:
  void SetUp() override {
    ArdourTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (const char* tool : {kArdour, kJackd, kJackWait, kJackLsp}) {
      if (!fs::exists(tool)) GTEST_SKIP() << "no " << tool << " (scripts/install-deps hosts)";
    }
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display (runs under xvfb-run)";
    fs::create_directories(root_ / "share");
    std::ofstream(root_ / "config/ardour7/.a7").close();
    std::ofstream(root_ / "config/ardour7/config") << kArdourConfig;
    server_ = freshName("gw-ardour-gui-");
  }

  std::vector<std::string> jackEnvironment() const {
    return {"JACK_DEFAULT_SERVER=" + server_, "JACK_NO_AUDIO_RESERVATION=1"};
  }

  // A new session with the instrument of the format, the lanes in modes; returns the path
  // of its session file, set to open the plug-in's own editor when Ardour loads it.
  fs::path makeSession(bool lv2, const std::string& modes) {
    const fs::path dir = root_ / "session";
    std::vector<std::string> args = {dir.string(), "touch", modes};
    if (lv2) args.push_back("urn:tarnwell:glimmerwick");
    const RunResult made = lua("ardour_touch_session.lua", args, {dir}, root_ / "unused");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    std::smatch ids;
    if (!std::regex_search(made.output, ids, std::regex(R"(route (\d+) processor (\d+))")) ||
        made.output.find("session ready") == std::string::npos) {
      ADD_FAILURE() << made.output;
      return {};
    }
    const fs::path file = dir / "touch.ardour";
    std::string text = slurp(file);
    // Ardour shows again at load the plug-in windows a session was saved with open.
    const std::string window = "<UI>\n      <Window name=\"P-" + ids[1].str() + "-" + ids[2].str() +
                               "\" visible=\"1\" x-off=\"29\" y-off=\"0\" x-size=\"610\" "
                               "y-size=\"455\" custom-ui=\"1\"/>\n    </UI>\n";
    const std::size_t extra = text.find("<Extra>\n");
    if (extra != std::string::npos) {
      text.insert(extra + 8, "    " + window);
    } else {
      text.insert(text.find("  <Script"), "  <Extra>\n    " + window + "  </Extra>\n");
    }
    if (!lv2) {
      text = std::regex_replace(
          text, std::regex(R"((automation-id="parameter-\d+"[^>]*time-domain=")BeatTime)"),
          "$1AudioTime");
    }
    std::ofstream(file, std::ios::trunc) << text;
    return file;
  }

  // Starts the JACK server and Ardour on the session until Ardour has its audio and the
  // plug-in's editor is shown; false when no attempt got there.
  bool startArdour(const fs::path& session, Screen& screen, const char* format) {
    const std::string title = std::string("Synth: Glimmerwick (by Tarnwell) [") + format + "]";
    for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
      ardour_.reset();
      jackd_.reset();
      jackd_ = std::make_unique<BackgroundProgram>(
          std::vector<std::string>{kJackd, "--no-realtime", "--timeout", "5000", "--name", server_,
                                   "-d", "dummy", "-r", "48000", "-p", "1024"},
          jackEnvironment(), root_ / "jackd.log");
      if (runProgram({kJackWait, "-w", "-t", "15"}, jackEnvironment(), 30).exitCode != 0) continue;
      std::vector<std::string> env = environment();
      for (const std::string& e : jackEnvironment()) env.push_back(e);
      env.insert(env.end(), {"ARDOUR_TRY_AUTOSTART_ENGINE=1", "LIBGL_ALWAYS_SOFTWARE=1",
                             "XDG_DATA_HOME=" + (root_ / "share").string()});
      ardour_ = std::make_unique<BackgroundProgram>(
          std::vector<std::string>{kArdour, "-a", "-n", session.string()}, env,
          root_ / ("ardour-" + std::to_string(attempt) + ".log"));
      bool shown = false;
      for (int i = 0; i < 900 && !shown; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        shown = screen.findNamed(title).window != 0 &&
                screen.editorIn(screen.findNamed(title).window).window != 0;
      }
      if (!shown) continue;
      const RunResult ports = runProgram({kJackLsp}, jackEnvironment(), 30);
      if (ports.output.find("ardour:") != std::string::npos) {
        std::this_thread::sleep_for(std::chrono::seconds(2));  // the editor's first frames
        return true;
      }
      std::cerr << "Ardour started without its audio (attempt " << attempt << "), again\n";
    }
    return false;
  }

  // Rolls the transport, drags "Volume" down 100 units and presses "Saw" in the plug-in's
  // editor, stops, saves and quits; returns the saved session's plug-in lanes.
  std::map<int, std::vector<Point>> record(bool lv2, const std::string& modes) {
    const fs::path session = makeSession(lv2, modes);
    if (session.empty()) return {};
    Screen screen;
    EXPECT_TRUE(screen.ready());
    const char* format = lv2 ? "LV2" : "VST";
    if (!startArdour(session, screen, format)) {
      ADD_FAILURE() << "Ardour did not show the " << format << " editor with audio\n"
                    << (ardour_ ? ardour_->log() : "");
      return {};
    }
    const Screen::Found main = screen.findNamed("touch - Ardour");
    const Screen::Found top =
        screen.findNamed(std::string("Synth: Glimmerwick (by Tarnwell) [") + format + "]");
    screen.raise(top.window);
    const Screen::Found editor = screen.editorIn(top.window);
    EXPECT_NE(main.window, 0u);
    EXPECT_NE(editor.window, 0u);
    // The view sits on the bottom edge of the editor's window, y upwards.
    const auto at = [&](int x, int y) {
      return std::pair{editor.x + x, editor.y + editor.height - y};
    };
    // Where the main window shows and the plug-in's does not.
    const int idleX = (top.x + top.width + main.x + main.width) / 2;
    const int idleY = main.y + main.height * 4 / 5;
    const auto modified = fs::last_write_time(session);

    screen.moveTo(idleX, idleY);
    screen.chord({XK_space});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    auto [vx, vy] = at(kVolumeX, kVolumeY);
    screen.moveTo(vx, vy);
    screen.button(true);
    for (int step = 1; step <= 10; ++step) {
      screen.moveTo(vx, vy + 10 * step);
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    screen.button(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    auto [sx, sy] = at(kSawX, kSawY);
    screen.moveTo(sx, sy);
    screen.button(true);
    screen.button(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    screen.moveTo(idleX, idleY);
    screen.chord({XK_space});
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    screen.chord({XK_Control_L, XK_s});
    for (int i = 0; i < 150 && fs::last_write_time(session) == modified; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(fs::last_write_time(session), modified) << "Ardour did not save\n" << ardour_->log();
    screen.chord({XK_Control_L, XK_q});
    int code = -1;
    EXPECT_TRUE(ardour_->waitExit(30, code)) << "Ardour did not quit";
    EXPECT_EQ(code, 0) << ardour_->log();
    ardour_.reset();
    jackd_.reset();
    return pluginLanes(slurp(session));
  }

  void TearDown() override {
    ardour_.reset();
    jackd_.reset();
    ArdourTest::TearDown();
  }

  std::string server_;
  std::unique_ptr<BackgroundProgram> jackd_, ardour_;
};

// Volume and Levels 1 to 8 in Touch, Levels 9 to 16 in Latch.
std::string lanes() {
  std::string modes = "0=Touch,";
  for (int n = 1; n <= 16; ++n) modes += std::to_string(n) + (n <= 8 ? "=Touch," : "=Latch,");
  return modes;
}

// What Ardour wrote: the drag in Touch, written while held and back to the lane's value
// after the release; "Saw" in Latch, each level held from the press to the stop. "Saw" in
// Touch is printed: its gestures are over within the press, and Ardour writes a Touch lane
// only while a control is held.
void expectRecorded(const std::map<int, std::vector<Point>>& lanes,
                    const std::function<float(int)>& sawValue, float volumeStart) {
  ASSERT_EQ(lanes.size(), 17u);
  const std::vector<Point>& volume = lanes.at(kVolume);
  double lowest = 1.0;
  for (const Point& p : volume) lowest = std::min(lowest, p.value);
  EXPECT_LT(lowest, volumeStart - 0.3) << "Volume:" << describe(volume);
  ASSERT_FALSE(volume.empty());
  std::cout << "Touch, Volume:" << describe(volume) << "\n";
  EXPECT_NEAR(volume.back().value, volumeStart, 1e-6) << "Volume:" << describe(volume);
  for (int n = 1; n <= 16; ++n) {
    const std::vector<Point>& level = lanes.at(n);
    if (n <= 8) {
      std::cout << "Touch, Level " << n << ":" << describe(level) << "\n";
      continue;
    }
    std::cout << "Latch, Level " << n << ":" << describe(level) << "\n";
    bool held = false;
    for (const Point& p : level) held = held || std::fabs(p.value - sawValue(n)) < 1e-6;
    EXPECT_TRUE(held) << "Latch, Level " << n << ":" << describe(level);
  }
}

TEST_F(ArdourGuiTest, TheVstEditorsGesturesAreRecordedInTouchAndLatch) {
  const RunResult scanned = scan();
  ASSERT_EQ(scanned.exitCode, 0) << scanned.output;
  const auto recorded = record(false, lanes());
  // The VST lanes hold normalised values.
  expectRecorded(
      recorded, [](int n) { return (1.0f / static_cast<float>(n) + 1.0f) / 2.0f; }, 1.0f);
}

TEST_F(ArdourGuiTest, TheLv2UisTouchIsRecordedInTouchAndLatch) {
#ifndef GW_LV2_BUNDLE
  GTEST_SKIP() << "no LV2 bundle was built (scripts/install-deps lv2)";
#else
  const auto recorded = record(true, lanes());
  expectRecorded(
      recorded, [](int n) { return 1.0f / static_cast<float>(n); }, 1.0f);
#endif
}

}  // namespace

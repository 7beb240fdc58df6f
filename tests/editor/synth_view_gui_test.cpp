// The synthesiser's own editor as a user meets it under the test's X server, driven with
// XTest: the waveform buttons, the status line, the Prefs dialog, and the controls
// following the host through close, reopen and program changes. Knob and bank drags
// through the module's ABI are in module_editor_gui_test.cpp.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "gfx/display_flags.h"
#include "params/parameter_ids.h"
#include "platform/preferences.h"
#include "plugin/vst/aeffect.h"
#include "resources/resource_table.h"
#include "tests/editor/editor_gui_fixture.h"
#include "toolkit/control.h"

namespace gw::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class SynthViewTest : public EditorGuiTest {
 protected:
  void SetUp() override {
    // Default preferences: GUI scale 100, so a design unit is a pixel.
    const auto prefs = std::filesystem::path(::testing::TempDir()) / "synth-view-prefs";
    std::filesystem::remove_all(prefs);
    std::filesystem::create_directories(prefs);
    setenv("XDG_CONFIG_HOME", prefs.c_str(), 1);
    create();
    openEditor();
    waitForFrames(3);
  }

  // The pointer to design point (x, y): y upwards from the bottom of the 415-unit view.
  void pointTo(float x, float y, int settle = 0) {
    moveTo(static_cast<int>(x), 415 - static_cast<int>(y));
    if (settle > 0) pump(settle);
  }
  void click(float x, float y) {
    pointTo(x, y);
    button(true);
    button(false);
  }

  std::vector<HostCall> calls(std::int32_t opcode) {
    std::vector<HostCall> out;
    for (const HostCall& c : HostRecorder::instance().calls()) {
      if (c.opcode == opcode) out.push_back(c);
    }
    return out;
  }
  float parameter(int index) { return effect_->getParameter(effect_, index); }

  // Every knob and bank bar shows the current program's value.
  void expectControlsShowTheProgram() {
    RenderWindow* window = editor()->window();
    ASSERT_NE(window, nullptr);
    int checked = 0;
    for (const auto& element : window->elements()) {
      if (const auto* control = dynamic_cast<const TW::Control*>(element.get())) {
        EXPECT_NEAR(control->value(), parameter(control->record().index), 1e-4)
            << control->record().name;
        ++checked;
      } else if (const auto* bank = dynamic_cast<const TW::MultiControl*>(element.get())) {
        for (int i = 0; i < TW::MultiControl::kCount; ++i) {
          EXPECT_NEAR(bank->value(i), parameter(bank->record(i).index), 1e-4)
              << bank->record(i).name;
          ++checked;
        }
      }
    }
    EXPECT_EQ(checked, 139) << "every parameter but the 41 empty rows";
  }

  // Grey text pixels where the status line names a parameter (left of x = 470).
  int statusNamePixels() {
    const platform::TopLevelWindow::Image image = capture();
    int grey = 0;
    for (int y = 2; y < 22; ++y) {
      for (int x = 300; x < 462; ++x) {
        const std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
        grey += (p[0] > 70 && std::abs(p[0] - p[1]) < 12 && std::abs(p[1] - p[2]) < 40) ? 1 : 0;
      }
    }
    return grey;
  }
};

TEST_F(SynthViewTest, SawSetsAllSixteenLevelsInOrder) {
  click(498 + 17, 105 + 12);
  const auto automate = calls(vst::audioMasterAutomate);
  ASSERT_EQ(automate.size(), 16u);
  for (int n = 1; n <= 16; ++n) {
    EXPECT_EQ(automate[n - 1].index, param::level(n));
    EXPECT_NEAR(parameter(param::level(n)), (1.0f / n + 1.0f) / 2.0f, 1e-5) << n;
  }
  EXPECT_TRUE(calls(vst::audioMasterBeginEdit).empty());
  pump(100);
  expectControlsShowTheProgram();
}

TEST_F(SynthViewTest, HoveringABarNamesItsParameterInTheStatusLine) {
  pointTo(100, 115, 300);  // between frames: nothing named
  const int idle = statusNamePixels();
  pointTo(20 + 54, 60, 300);  // bar 5 of the levels bank
  EXPECT_EQ(editor()->window()->hoverParam().load(), param::level(5));
  const int named = statusNamePixels();
  EXPECT_GT(named, idle + 40) << "\"Level 5\" is written left of the value";
}

TEST_F(SynthViewTest, PrefsOpensTheDialogWhoseCheckBoxWorksWhileTheEditorKeepsDrawing) {
  std::atomic<std::uint64_t> drawnWhileOpen{0};
  std::atomic<bool> dialogSeen{false};
  std::thread user([&] {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    const auto findDialog = [&]() -> Window {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      Window found = 0;
      XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
      for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
          if (std::string(name) == "About" &&
              XGetWindowAttributes(display, children[i], &attributes) &&
              attributes.map_state == IsViewable) {
            found = children[i];
          }
          XFree(name);
        }
      }
      if (children != nullptr) XFree(children);
      return found;
    };
    const auto limit = Clock::now() + 10s;
    Window dialog = 0;
    while ((dialog = findDialog()) == 0 && Clock::now() < limit) std::this_thread::sleep_for(20ms);
    if (dialog == 0) {
      XCloseDisplay(display);
      return;
    }
    dialogSeen = true;
    const std::uint64_t start = editor()->window()->framesDrawn();
    std::this_thread::sleep_for(600ms);
    drawnWhileOpen = editor()->window()->framesDrawn() - start;
    // The template's dialog units scale to the window's pixels on each axis.
    const platform::DialogTemplate& layout = resources::aboutDialogTemplate();
    XWindowAttributes size;
    XGetWindowAttributes(display, dialog, &size);
    const auto clickAt = [&](double unitsX, double unitsY) {
      int x = 0, y = 0;
      Window child = 0;
      XTranslateCoordinates(display, dialog, DefaultRootWindow(display),
                            static_cast<int>(unitsX * size.width / layout.width),
                            static_cast<int>(unitsY * size.height / layout.height), &x, &y, &child);
      XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
      XTestFakeButtonEvent(display, 1, True, CurrentTime);
      XTestFakeButtonEvent(display, 1, False, CurrentTime);
      XSync(display, False);
      std::this_thread::sleep_for(300ms);
    };
    for (const platform::DialogControl& control : layout.controls) {
      if (control.id == resources::about::kFloatingTooltip) {
        clickAt(control.x + 3.0, control.y + control.height / 2.0);  // the box itself
      }
    }
    for (const platform::DialogControl& control : layout.controls) {
      if (control.id == resources::about::kOk) {
        clickAt(control.x + control.width / 2.0, control.y + control.height / 2.0);
      }
    }
    XCloseDisplay(display);
  });
  ASSERT_FALSE(displayFlags().floatingTooltip.load());
  click(498 + 17, 10 + 12);  // the dialog runs inside this idle until OK
  pump(200);
  user.join();
  EXPECT_TRUE(dialogSeen);
  EXPECT_GT(drawnWhileOpen.load(), 8u) << "frames go on behind the modal dialog";
  ASSERT_NE(editor()->window(), nullptr) << "the editor is still open";
  waitForFrames(2);
  EXPECT_TRUE(displayFlags().floatingTooltip.load()) << "the check box took effect";
  EXPECT_EQ(platform::readPreference(kPrefFloatingTooltip, -1), 1) << "and was stored";
  displayFlags().floatingTooltip.store(false);  // process-wide: later tests expect the default
}

TEST_F(SynthViewTest, ReopenedEditorsAndProgramChangesShowTheProgramsValues) {
  closeEditor();
  for (int i = 0; i < 180; ++i)
    effect_->setParameter(effect_, i, 0.1f + 0.8f * ((i * 37) % 100) / 100.0f);
  dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(top_->nativeHandle()));
  pump(300);
  expectControlsShowTheProgram();

  // Program 1 keeps its defaults; the change from the host moves every control at once.
  dispatch(vst::effSetProgram, 0, 1);
  expectControlsShowTheProgram();
  dispatch(vst::effSetProgram, 0, 0);
  expectControlsShowTheProgram();
}

}  // namespace
}  // namespace gw::test

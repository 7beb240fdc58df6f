// A small layout of the view's controls drawn for real under the virtual X server with
// Mesa: lit knobs whose pointers stand where their values say, in their units' colours;
// a titled group's frame; a labelled button; the title; the status line naming what the
// pointer is over. Set GW_SCREENSHOT_DIR to keep the screenshots as PNG files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "editor/render_window.h"
#include "editor/text_font.h"
#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "gfx/display_flags.h"
#include "host/standalone/png_writer.h"
#include "params/parameter_ids.h"
#include "resources/resource_table.h"
#include "tests/editor/editor_gui_fixture.h"
#include "toolkit/button.h"
#include "toolkit/named_group.h"
#include "toolkit/ripple_knob.h"

namespace gw::test {
namespace {

using Image = platform::TopLevelWindow::Image;

constexpr int kAttack = param::kAttack;          // seconds, at its minimum
constexpr int kCutoff = param::kFilterCutoff;    // hertz, at its maximum
constexpr int kCoarseTune = param::kCoarseTune;  // semitones, at 0: the middle
constexpr float kKnobSize = 40.0f;
constexpr float kGroupX = 60.0f, kGroupY = 250.0f;  // the knobs' group offset
constexpr float kButtonX = 60.0f, kButtonY = 150.0f;

constexpr const char* kStatus[] = {"Set square waveform"};

void noCommand(TW::Button&, void*) {}

void buildLayout(RenderWindow& window, TestEditor& editor) {
  const gw::Texture& texture = window.addTexture(resources::kRippleImageId);
  auto ripples = std::make_unique<TW::Ripples>(&texture);
  auto vortex = std::make_unique<TW::Vortex>();
  auto renderer = std::make_unique<TW::RippleKnobRenderer>();
  auto& group = window.create<TW::NamedGroup>("Test Knobs");
  group.setOffset(kGroupX, kGroupY);
  int column = 0;
  for (int parameter : {kAttack, kCutoff, kCoarseTune}) {
    auto& knob = window.create<TW::RippleKnob>(parameter, *renderer, ripples.get(), vortex.get(),
                                               column++ * 80.0f, 0.0f, kKnobSize);
    group.addChild(&knob);
    editor.elements.push_back(&knob);
  }
  auto& button = window.create<TW::RippleButton>("Sqr", &noCommand, nullptr, kButtonX, kButtonY, -2,
                                                 ripples.get(), vortex.get());
  window.root().addChild(&group);
  window.root().addChild(&button);
  window.setStatusStrings(kStatus, 1);
  window.addEffect(std::move(ripples));
  window.addEffect(std::move(vortex));
  window.addEffect(std::move(renderer));
}

struct Rgb {
  float r = 0, g = 0, b = 0;
  float luminance() const { return 0.3f * r + 0.59f * g + 0.11f * b; }
};

class ControlsLayoutTest : public EditorGuiTest {
 protected:
  void SetUp() override {
    create(buildLayout);
    static_cast<TestEditor*>(editor())->withText = true;
    synth()->setParameter(kAttack, 0.0f);
    synth()->setParameter(kCutoff, 1.0f);
    synth()->setParameter(kCoarseTune, 0.5f);
    openEditor();
    waitForFrames(3);
  }

  // The mean colour of the 5 x 5 pixels around design point (x, y).
  static Rgb at(const Image& image, float x, float y) {
    Rgb sum;
    const int px = static_cast<int>(std::lround(x)), py = 415 - static_cast<int>(std::lround(y));
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const std::uint8_t* p = &image.rgba[((py + dy) * image.width + px + dx) * 4];
        sum.r += p[0] / 255.0f / 25, sum.g += p[1] / 255.0f / 25, sum.b += p[2] / 255.0f / 25;
      }
    }
    return sum;
  }
  // Pixels on window row range [top, bottom) whose grey level marks them as text.
  static int greyColumns(const Image& image, int top, int bottom, int x0, int x1, int& first) {
    int columns = 0;
    first = -1;
    for (int x = x0; x < x1; ++x) {
      bool text = false;
      for (int y = top; y < bottom && !text; ++y) {
        const std::uint8_t* p = &image.rgba[(y * image.width + x) * 4];
        text = p[0] > 70 && p[1] > 70 && std::abs(p[0] - p[2]) < 40;
      }
      if (text && first < 0) first = x;
      columns += text ? 1 : 0;
    }
    return columns;
  }
  void keep(const Image& image, const char* name) {
    const char* dir = std::getenv("GW_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    std::string error;
    EXPECT_TRUE(standalone::writePng(std::string(dir) + "/" + name, image, error)) << error;
  }
  static float knobCentreX(int column) { return kGroupX + column * 80.0f + kKnobSize / 2; }
  static constexpr float kKnobCentreY = kGroupY + kKnobSize / 2;
};

TEST_F(ControlsLayoutTest, LitKnobsPointWhereTheirValuesSayInTheirUnitsColours) {
  const Image image = capture();
  keep(image, "controls-layout.png");
  // Attack at its minimum points 135° left of up, Cutoff at its maximum 135° right, and
  // Coarse Tune at 0 semitones straight up. The pointer's wedge is the bright side.
  const float angles[3] = {-2.3561945f, 2.3561945f, 0.0f};
  for (int column = 0; column < 3; ++column) {
    const float cx = knobCentreX(column), cy = kKnobCentreY, r = kKnobSize / 2 * 0.6f;
    const Rgb pointer =
        at(image, cx + r * std::sin(angles[column]), cy + r * std::cos(angles[column]));
    const Rgb opposite =
        at(image, cx - r * std::sin(angles[column]), cy - r * std::cos(angles[column]));
    EXPECT_GT(pointer.luminance(), opposite.luminance() + 0.05f) << "knob " << column;
  }
  // Colours by unit: time violet (red and blue over green), frequency blue, semitones a
  // lighter blue with more green than the frequency knob.
  const Rgb time = at(image, knobCentreX(0), kKnobCentreY);
  const Rgb hertz = at(image, knobCentreX(1), kKnobCentreY);
  const Rgb semitones = at(image, knobCentreX(2), kKnobCentreY);
  EXPECT_GT(time.r, time.g + 0.1f);
  EXPECT_GT(time.b, time.g + 0.1f);
  EXPECT_GT(hertz.b, hertz.r + 0.1f);
  EXPECT_GT(semitones.b, semitones.r + 0.1f);
  EXPECT_GT(semitones.g, hertz.g + 0.05f);
  // The title on the top line, the button's label inside it, the group's frame on the
  // left of the knobs with the margin of 10.
  int first = 0;
  EXPECT_GT(greyColumns(image, 5, 22, 55, 300, first), 100) << "title";
  EXPECT_NEAR(first, 60, 3);
  const int labelTop = 415 - static_cast<int>(kButtonY + 25),
            labelBottom = 415 - static_cast<int>(kButtonY);
  EXPECT_GT(greyColumns(image, labelTop, labelBottom, kButtonX, kButtonX + 35, first), 8)
      << "label";
  const Rgb frame = at(image, kGroupX - 10, kKnobCentreY);
  const Rgb inside = at(image, kGroupX - 5, kKnobCentreY);
  EXPECT_GT(frame.luminance(), inside.luminance() + 0.03f) << "frame";
}

TEST_F(ControlsLayoutTest, TheStatusLineNamesTheHoveredKnobAndTheButtonsText) {
  TextFont font;
  ASSERT_TRUE(font.loaded());
  int first = 0;
  EXPECT_EQ(greyColumns(capture(), 8, 22, 300, 600, first), 0) << "nothing hovered yet";
  // The name ends at 460, the value starts at 470.
  const struct {
    int column;
    const char* name;
  } cases[] = {{0, "Attack"}, {1, "Filter Cutoff"}};
  for (const auto& c : cases) {
    moveTo(static_cast<int>(knobCentreX(c.column)), 415 - static_cast<int>(kKnobCentreY));
    waitForFrames(3);
    const Image image = capture();
    keep(image, c.column == 0 ? "controls-hover-attack.png" : "controls-hover-cutoff.png");
    const int expected = static_cast<int>(std::floor(460.0f - font.textWidth(c.name)));
    EXPECT_GT(greyColumns(image, 8, 22, 300, 465, first), 10) << c.name;
    EXPECT_NEAR(first, expected, 3) << c.name;
    EXPECT_GT(greyColumns(image, 8, 22, 470, 600, first), 5) << c.name << "'s value";
  }
  moveTo(static_cast<int>(kButtonX + 10), 415 - static_cast<int>(kButtonY + 10));
  waitForFrames(3);
  const Image image = capture();
  EXPECT_GT(greyColumns(image, 8, 22, 415, 600, first), 30) << "the button's status text";
  EXPECT_NEAR(first, 420, 3);
}

TEST_F(ControlsLayoutTest, TheFloatingTooltipShowsOverTheHoveredKnobAndFadesAway) {
  auto& flags = displayFlags();
  const bool candy = flags.eyeCandy.load(), tooltip = flags.floatingTooltip.load();
  // No ripples, so only the tooltip can light the background beside the knob.
  flags.eyeCandy = false;
  flags.floatingTooltip = true;
  const float beside = knobCentreX(1) + kKnobSize / 2 + 8;
  const float above = kKnobCentreY + 4;
  waitForFrames(3);
  const float before = at(capture(), beside, above).luminance();
  moveTo(static_cast<int>(knobCentreX(1)), 415 - static_cast<int>(kKnobCentreY));
  waitForFrames(20);
  const float shown = at(capture(), beside, above).luminance();
  moveTo(5, 300);
  waitForFrames(60);
  const float gone = at(capture(), beside, above).luminance();
  flags.eyeCandy = candy;
  flags.floatingTooltip = tooltip;
  EXPECT_GT(shown, before + 0.1f) << "the tooltip's box beside the hovered knob";
  EXPECT_NEAR(gone, before, 0.03f) << "faded away once nothing is hovered";
}

}  // namespace
}  // namespace gw::test

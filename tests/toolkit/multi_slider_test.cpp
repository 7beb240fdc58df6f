// Painting the slider banks with the pointer, as the host and the parameters see it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/fake_plugin.h"
#include "toolkit/element_host.h"
#include "toolkit/group.h"
#include "toolkit/multi_slider.h"
#include "toolkit/pointer_tracker.h"

namespace gw {
namespace {

using platform::kModAlt;
using platform::kModControl;
using platform::kModShift;
using Kind = platform::PointerEvent::Kind;

constexpr int kLevels = 120;
constexpr int kSelects = 100;
// The bank's group sits at (20, 20): the levels bank spans (20, 20) to (212, 100).
constexpr float kX0 = 20.0f, kY0 = 20.0f;

class MultiSliderTest : public ::testing::Test {
 protected:
  MultiSliderTest() {
    group.setOffset(kX0, kY0);
    group.addChild(&levels);
    host.root().addChild(&group);
    host.dispatcher().prime();
    plugin.calls.clear();
  }

  // Design point (absolute) of bar i's centre at height q (0 bottom, 1 top) of a bank
  // of height h at the group's origin.
  static Point at(int bar, float q, float h = TW::LevelsMultiSlider::kHeight) {
    return {kX0 + 12.0f * static_cast<float>(bar) + 6.0f, kY0 + q * h};
  }
  void send(Kind kind, Point p, std::uint32_t modifiers = 0) {
    platform::PointerEvent e;
    e.kind = kind;
    e.x = static_cast<int>(p.x);
    e.y = 415 - static_cast<int>(p.y);
    e.button = kind == Kind::Move ? 0 : 1;
    e.modifiers = modifiers;
    tracker.handle(e);
  }
  std::vector<std::string> edits() const {
    std::vector<std::string> seen;
    for (const auto& c : plugin.calls) {
      if (c.starts_with("begin") || c.starts_with("end")) seen.push_back(c);
    }
    return seen;
  }

  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
  PointerTracker tracker{host};
  TW::Group& group = host.create<TW::Group>();
  TW::LevelsMultiSlider& levels = host.create<TW::LevelsMultiSlider>(kLevels);
};

TEST_F(MultiSliderTest, EachBarUnderThePointerTakesItsHeightAndSkippedBarsStay) {
  EXPECT_FLOAT_EQ(levels.value(2), 0.625f) << "primed from the program's 0.25";
  send(Kind::Press, at(0, 0.75f));
  send(Kind::Move, at(1, 0.25f));
  send(Kind::Move, at(3, 0.5f));  // a fast sweep skips bar 2
  send(Kind::Move, at(0, 1.0f));  // back to a bar already begun
  send(Kind::Release, at(0, 1.0f));
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 0), 1.0f);
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 1), -0.5f);
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 2), 0.25f);
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 3), 0.0f);
  EXPECT_FLOAT_EQ(levels.value(1), 0.25f);
  // Every bar reached is begun once, before its first write, and ended once.
  EXPECT_EQ(plugin.calls, (std::vector<std::string>{
                              "begin 120", "automate 120 0.5", "begin 121", "automate 121 -0.5",
                              "begin 123", "automate 123 0", "automate 120 1", "automate 120 1",
                              "end 120", "end 121", "end 123", "display"}));
  EXPECT_EQ(host.activeParam().load(), -1);
}

TEST_F(MultiSliderTest, ControlKeepsThePressedBar) {
  send(Kind::Press, at(4, 0.5f), kModControl);
  send(Kind::Move, at(7, 0.9f), kModControl);
  send(Kind::Move, at(9, 0.1f), kModControl);
  send(Kind::Release, at(9, 0.1f), kModControl);
  EXPECT_NEAR(plugin.currentValue(kLevels + 4), -0.8f, 1e-6);
  for (int bar : {7, 9}) EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + bar), 0.25f);
  EXPECT_EQ(edits(), (std::vector<std::string>{"begin 124", "end 124"}));
}

TEST_F(MultiSliderTest, ShiftIsFineAndRelativeToThePressedBarsValue) {
  send(Kind::Press, at(2, 0.1f), kModShift);
  EXPECT_FLOAT_EQ(levels.value(2), 0.625f) << "no jump to the pointer's height";
  send(Kind::Move, {at(2, 0.1f).x, at(2, 0.1f).y + 100.0f}, kModShift);
  EXPECT_NEAR(levels.value(2), 0.675f, 1e-6);
  send(Kind::Move, {at(5, 0.1f).x, at(5, 0.1f).y + 200.0f}, kModShift);
  EXPECT_NEAR(levels.value(5), 0.725f, 1e-6) << "a bar reached sideways takes the value too";
  send(Kind::Release, at(5, 0.1f), kModShift);
  EXPECT_EQ(edits(), (std::vector<std::string>{"begin 122", "begin 125", "end 122", "end 125"}));
}

TEST_F(MultiSliderTest, AltResetsThePressedBarAndTheDragChangesNothing) {
  plugin.hostSets(kLevels + 6, -1.0f);
  host.dispatcher().flush();
  plugin.calls.clear();
  send(Kind::Press, at(6, 0.9f), kModAlt);
  send(Kind::Move, at(8, 0.9f), kModAlt);
  send(Kind::Release, at(8, 0.9f), kModAlt);
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 6), 0.25f);
  EXPECT_FLOAT_EQ(levels.value(6), 0.625f);
  // The reset is a gesture of its own, begun before its write.
  EXPECT_EQ(plugin.calls,
            (std::vector<std::string>{"begin 126", "automate 126 0.25", "end 126", "display"}));
}

TEST_F(MultiSliderTest, PointsOutsideTheBankClampToItsEdges) {
  send(Kind::Press, at(0, 0.5f));
  send(Kind::Move, {kX0 - 50.0f, kY0 - 30.0f});
  EXPECT_FLOAT_EQ(levels.value(0), 0.0f);
  send(Kind::Move, {kX0 + 400.0f, kY0 + 300.0f});
  EXPECT_FLOAT_EQ(levels.value(15), 1.0f);
  send(Kind::Move, {kX0 + 192.0f, kY0});  // the right edge belongs to the last bar
  EXPECT_FLOAT_EQ(levels.value(15), 0.0f);
  send(Kind::Release, {kX0 + 192.0f, kY0});
  EXPECT_EQ(edits(), (std::vector<std::string>{"begin 120", "begin 135", "end 120", "end 135"}));
}

TEST_F(MultiSliderTest, AModifierChangeMidPressNeverLeavesAnEditOpen) {
  send(Kind::Press, at(0, 0.5f));
  send(Kind::Move, at(1, 0.5f), kModShift);
  send(Kind::Move, at(2, 0.5f), kModControl);
  send(Kind::Move, at(3, 0.5f));
  send(Kind::Release, at(3, 0.5f));
  const std::vector<std::string> seen = edits();
  int open = 0;
  for (const auto& c : seen) open += c.starts_with("begin") ? 1 : -1;
  EXPECT_EQ(open, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"begin 120", "begin 121", "begin 122", "begin 123",
                                            "end 120", "end 121", "end 122", "end 123"}));
}

TEST_F(MultiSliderTest, SteppedBanksSnapToWholeValues) {
  auto& selects = host.create<TW::EnvSelMultiSlider>(kSelects);
  auto& row = host.create<TW::Group>();
  row.setOffset(kX0, 200.0f);
  row.addChild(&selects);
  host.root().addChild(&row);
  ASSERT_TRUE(selects.stepped());
  const float h = TW::EnvSelMultiSlider::kHeight;
  ASSERT_EQ(h, 15.0f);
  send(Kind::Press, {kX0 + 6.0f, 200.0f + 6.0f});   // 1.2 -> 1
  send(Kind::Move, {kX0 + 18.0f, 200.0f + 13.0f});  // 2.6 -> 3
  send(Kind::Move, {kX0 + 30.0f, 200.0f + 10.0f});  // 2.0
  send(Kind::Release, {kX0 + 30.0f, 200.0f + 10.0f});
  EXPECT_EQ(plugin.currentValue(kSelects + 0), 1.0f);
  EXPECT_EQ(plugin.currentValue(kSelects + 1), 3.0f);
  EXPECT_EQ(plugin.currentValue(kSelects + 2), 2.0f);
  EXPECT_FLOAT_EQ(selects.value(0), 1.0f / 3.0f) << "the bank's own display snaps too";
  EXPECT_FLOAT_EQ(selects.value(1), 1.0f);
}

TEST_F(MultiSliderTest, HoveringABarNamesItsParameterUntilThePointerLeaves) {
  send(Kind::Move, at(3, 0.5f));
  EXPECT_EQ(host.hoverParam().load(), kLevels + 3);
  EXPECT_EQ(host.tooltipAnchor().load(), &levels);
  EXPECT_EQ(host.hovered().load(), &levels.region(3));
  const Box column = levels.region(3).absoluteBounds();
  EXPECT_FLOAT_EQ(column.minX, kX0 + 36.0f);
  EXPECT_FLOAT_EQ(column.maxX, kX0 + 48.0f);
  EXPECT_FLOAT_EQ(column.maxY, kY0 + 80.0f) << "the light follows the hovered bar";
  send(Kind::Move, at(4, 0.2f));
  EXPECT_EQ(host.hoverParam().load(), kLevels + 4);
  send(Kind::Move, {kX0 + 300.0f, kY0});
  EXPECT_EQ(host.hoverParam().load(), -1);
  // A press on a hovered bar still reaches the bank.
  send(Kind::Move, at(5, 0.5f));
  send(Kind::Press, at(5, 1.0f));
  send(Kind::Release, at(5, 1.0f));
  EXPECT_FLOAT_EQ(plugin.currentValue(kLevels + 5), 1.0f);
}

// Records the requests the banks make of the eye candy.
struct Requests : TW::RippleSink, TW::CubeSink {
  struct Ripple {
    float x, y;
    TW::Colour colour;
    float radius, lifetime, growth;
  };
  void addRipple(float x, float y, const float colour[4], float radius, float lifetime,
                 float growth) override {
    ripples.push_back(
        {x, y, {colour[0], colour[1], colour[2], colour[3]}, radius, lifetime, growth});
  }
  void addCube(float x, float y) override { cubes.push_back({x, y}); }
  std::vector<Ripple> ripples;
  std::vector<Point> cubes;
};

TEST_F(MultiSliderTest, HoveredBarsRippleAtTheirValueAndPressesPullTheVortex) {
  Requests requests;
  levels.setEffects(&requests, &requests);
  plugin.hostSets(kLevels + 3, 1.0f);  // normalised 1: the top of the bank
  host.dispatcher().flush();
  send(Kind::Move, at(3, 0.2f));
  ASSERT_EQ(requests.ripples.size(), 1u);
  const Requests::Ripple& r = requests.ripples[0];
  EXPECT_FLOAT_EQ(r.x, kX0 + 42.0f);
  EXPECT_FLOAT_EQ(r.y, kY0 + 80.0f) << "at the bar's value, not the pointer";
  EXPECT_EQ(r.colour, (TW::Colour{0.0f, 1.0f, 0.5f, 1.0f}));
  EXPECT_FLOAT_EQ(r.radius, (0.5f * 0.8f + 0.1f) * 12.0f);
  EXPECT_FLOAT_EQ(r.lifetime, 2.0f);
  EXPECT_FLOAT_EQ(r.growth, 30.0f);
  send(Kind::Move, at(3, 0.6f));
  EXPECT_EQ(requests.ripples.size(), 1u) << "moving within a bar is no new hover";
  send(Kind::Press, at(3, 0.6f));
  send(Kind::Release, at(3, 0.6f));
  ASSERT_EQ(requests.cubes.size(), 1u);
  EXPECT_FLOAT_EQ(requests.cubes[0].x, at(3, 0.6f).x);

  auto& selects = host.create<TW::EnvSelMultiSlider>(kSelects);
  selects.setEffects(&requests, &requests);
  auto& row = host.create<TW::Group>();
  row.setOffset(kX0, 200.0f);
  row.addChild(&selects);
  host.root().addChild(&row);
  send(Kind::Move, {kX0 + 6.0f, 205.0f});
  ASSERT_EQ(requests.ripples.size(), 2u);
  EXPECT_EQ(requests.ripples[1].colour, (TW::Colour{0.0f, 0.5f, 1.0f, 0.5f}));
  EXPECT_FLOAT_EQ(requests.ripples[1].radius, 6.0f);
  EXPECT_FLOAT_EQ(requests.ripples[1].y, 200.0f);
}

TEST(MultiSliderColours, SignedLevelsShadeAwayFromTheZeroLine) {
  const TW::Colour top = TW::LevelsMultiSlider::barColour(1.0f);
  const TW::Colour zero = TW::LevelsMultiSlider::barColour(0.5f);
  const TW::Colour bottom = TW::LevelsMultiSlider::barColour(0.0f);
  EXPECT_EQ(top, (TW::Colour{0.0f, 1.0f, 0.5f, 0.75f}));
  EXPECT_EQ(zero, (TW::Colour{0.0f, 0.5f, 1.0f, 0.75f}));
  EXPECT_EQ(bottom, (TW::Colour{1.0f, 0.0f, 0.5f, 0.75f}));
}

}  // namespace
}  // namespace gw

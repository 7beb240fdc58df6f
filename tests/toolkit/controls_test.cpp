// The view's everyday controls against the real eye candy (no display needed: requests
// land and ages advance in step(), angles are stored): ripple knobs, ripple buttons and
// titled groups, and the rule that the tree is frozen once the render thread runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "tests/toolkit/fake_plugin.h"
#include "toolkit/button.h"
#include "toolkit/element_host.h"
#include "toolkit/named_group.h"
#include "toolkit/pointer_tracker.h"
#include "toolkit/published.h"
#include "toolkit/ripple_knob.h"

namespace gw {
namespace {

using Kind = platform::PointerEvent::Kind;

platform::PointerEvent event(Kind kind, float x, float designY, std::uint32_t modifiers = 0) {
  platform::PointerEvent e;
  e.kind = kind;
  e.x = static_cast<int>(x);
  e.y = 415 - static_cast<int>(designY);
  e.button = kind == Kind::Move ? 0 : 1;
  e.modifiers = modifiers;
  return e;
}

// Test rows of the fake plug-in: 0 "Volume" linear gain, 1 "Coarse Tune" semitones
// -24..24, 2 a boolean switch, 5 an ordinary 0..1 row.
class ControlsTest : public ::testing::Test {
 protected:
  TW::RippleKnob& knob(int parameter, float x, float y, float size = 20) {
    auto& k = host.create<TW::RippleKnob>(parameter, renderer, &ripples, &vortex, x, y, size);
    host.root().addChild(&k);
    return k;
  }
  void press(float x, float y, std::uint32_t modifiers = 0) {
    pointer.handle(event(Kind::Press, x, y, modifiers));
  }
  void drag(float x, float y, std::uint32_t modifiers = 0) {
    pointer.handle(event(Kind::Move, x, y, modifiers));
  }
  void release(float x, float y) { pointer.handle(event(Kind::Release, x, y)); }

  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
  PointerTracker pointer{host};
  TW::RippleKnobRenderer renderer;
  TW::Ripples ripples{nullptr};
  TW::Vortex vortex;
};

TEST_F(ControlsTest, KnobsTakeTheirUnitsColourAndTurnWithTheirValue) {
  auto& gain = knob(0, 0, 0);
  auto& semitones = knob(1, 30, 0);
  auto& other = knob(5, 60, 0);
  EXPECT_EQ(gain.colour(), (std::array<float, 4>{1.0f, 0.2f, 0.2f, 1.0f}));
  EXPECT_EQ(semitones.colour(), (std::array<float, 4>{0.0f, 0.5f, 1.0f, 1.0f}));
  EXPECT_EQ(other.colour(), (std::array<float, 4>{0.0f, 1.0f, 0.0f, 1.0f}));
  EXPECT_EQ(TW::knobColour(4), TW::knobColour(24)) << "seconds and milliseconds alike";
  EXPECT_EQ(TW::knobColour(8), (std::array<float, 4>{0.2f, 0.2f, 0.9f, 1.0f}));
  EXPECT_NE(gain.slot(), semitones.slot());
  EXPECT_EQ(renderer.knobAngle(gain.slot()), 0.0f) << "a new knob points up";

  for (auto [value, angle] : {std::pair{0.0f, -2.3561945f}, {0.5f, 0.0f}, {1.0f, 2.3561945f}}) {
    plugin.hostSets(0, value);
    host.dispatcher().flush();
    EXPECT_FLOAT_EQ(renderer.knobAngle(gain.slot()), angle) << "value " << value;
  }
  plugin.hostSets(1, 24.0f);
  host.dispatcher().flush();
  EXPECT_FLOAT_EQ(renderer.knobAngle(semitones.slot()), 2.3561945f);
}

TEST_F(ControlsTest, SemitoneKnobsMoveInWholeSemitones) {
  auto& tune = knob(1, 0, 0);
  host.dispatcher().prime();
  EXPECT_TRUE(tune.stepped());
  press(10, 10);
  for (float y = 11; y < 40; y += 1.3f) {
    drag(10, y);
    const float v = plugin.currentValue(1);
    EXPECT_EQ(v, std::round(v)) << "at " << y;
  }
  release(10, 40);
  EXPECT_FLOAT_EQ(plugin.currentValue(1), 7.0f) << "30 units of 200 is 7.2 of 48 semitones";
  host.dispatcher().flush();
  EXPECT_FLOAT_EQ(tune.value(), 31.0f / 48.0f) << "the knob shows the snapped value";
}

TEST_F(ControlsTest, KnobsRippleAtHalfAlphaOnHoverAndFullOnPressAndLaunchACube) {
  auto& gain = knob(0, 100, 100, 40);
  drag(120, 120);
  ripples.step();
  ASSERT_EQ(ripples.count(), 1);
  const TW::Ripple hover = ripples.ripple(0);
  EXPECT_FLOAT_EQ(hover.x, 120);
  EXPECT_FLOAT_EQ(hover.y, 120);
  EXPECT_FLOAT_EQ(hover.alpha, 0.5f);
  EXPECT_FLOAT_EQ(hover.red, 1.0f);
  EXPECT_FLOAT_EQ(hover.lifetime, 2.0f);
  EXPECT_FLOAT_EQ(hover.growth, 30.0f);
  EXPECT_EQ(host.hoverParam().load(), 0);
  EXPECT_EQ(host.tooltipAnchor().load(), &gain);
  press(120, 120);
  release(120, 120);
  ripples.step();
  vortex.step();
  ASSERT_EQ(ripples.count(), 2);
  EXPECT_FLOAT_EQ(ripples.ripple(1).alpha, 1.0f);
  EXPECT_EQ(vortex.cubeCount(), 1);
}

TEST_F(ControlsTest, WithEveryRippleRunningAPressStillEdits) {
  knob(0, 100, 100, 40);
  const float colour[4] = {1, 1, 1, 1};
  for (int i = 0; i < TW::Ripples::kSlots; ++i) ripples.addRipple(0, 0, colour, 1, 2, 30);
  ripples.step();
  ASSERT_EQ(ripples.count(), TW::Ripples::kSlots);
  press(120, 120);
  drag(120, 140);
  release(120, 140);
  ripples.step();
  EXPECT_EQ(ripples.count(), TW::Ripples::kSlots);
  EXPECT_EQ(plugin.calls.front(), "begin 0");
  EXPECT_EQ(plugin.calls.back(), "display");
}

// A press that writes at once (Alt for the default, a click on a switch) opens its
// gesture before that write, so a host in Touch mode records it; each press is one
// balanced gesture.
TEST_F(ControlsTest, AltClickAndASwitchClickWriteInsideTheirPresssGesture) {
  knob(0, 100, 100, 40);
  knob(2, 200, 100, 40);
  plugin.hostSets(0, 0.3f);
  plugin.hostSets(2, 0.0f);
  host.dispatcher().flush();
  plugin.calls.clear();
  press(120, 120, platform::kModAlt);
  release(120, 120);
  EXPECT_FLOAT_EQ(plugin.currentValue(0), 0.8f);
  ASSERT_GE(plugin.calls.size(), 3u);
  EXPECT_EQ(plugin.calls[0], "begin 0");
  EXPECT_EQ(plugin.calls[1], "automate 0 0.8");
  EXPECT_EQ(plugin.calls[plugin.calls.size() - 2], "end 0");
  plugin.calls.clear();
  press(220, 120);
  release(220, 120);
  EXPECT_EQ(plugin.currentValue(2), 1.0f);
  EXPECT_EQ(plugin.calls.front(), "begin 2");
  EXPECT_EQ(plugin.calls[1], "automate 2 1");
  EXPECT_EQ(plugin.calls[plugin.calls.size() - 2], "end 2");
  for (const std::string& c : plugin.calls) {
    EXPECT_TRUE(c.starts_with("automate 2") || c == "begin 2" || c == "end 2" || c == "display")
        << c;
  }
  EXPECT_EQ(host.activeParam().load(), -1);
}

void countPress(TW::Button&, void* context) {
  ++*static_cast<int*>(context);
}

TEST_F(ControlsTest, ButtonsRunTheirCommandOnReleaseEvenOutsideAndShowTheirId) {
  int runs = 0;
  auto& button =
      host.create<TW::RippleButton>("Sqr", &countPress, &runs, 200, 300, -2, &ripples, &vortex);
  host.root().addChild(&button);
  EXPECT_EQ(button.box().maxX - button.box().minX, 35.0f);
  EXPECT_EQ(button.box().maxY - button.box().minY, 25.0f);
  drag(210, 310);
  EXPECT_EQ(host.hoverParam().load(), -2);
  ripples.step();
  ASSERT_EQ(ripples.count(), 1);
  EXPECT_FLOAT_EQ(ripples.ripple(0).blue, 0.8f);
  press(210, 310);
  release(500, 10);
  EXPECT_EQ(runs, 1) << "released far outside the button";
  vortex.step();
  EXPECT_EQ(vortex.cubeCount(), 1);
  drag(500, 10);
  EXPECT_EQ(host.hoverParam().load(), -1);
}

TEST_F(ControlsTest, TitledGroupFramesItsChildrenWithAMarginOpenWhereTheTitleGoes) {
  auto& group = host.create<TW::NamedGroup>("Amplitude");
  group.setOffset(20, 30);
  auto& a = host.create<TW::RippleKnob>(5, renderer, &ripples, &vortex, 0, 0, 20);
  auto& b = host.create<TW::RippleKnob>(6, renderer, &ripples, &vortex, 50, 10, 20);
  group.addChild(&a);
  group.addChild(&b);
  host.root().addChild(&group);
  const Box frame = group.absoluteBounds();
  EXPECT_FLOAT_EQ(frame.minX, 10);
  EXPECT_FLOAT_EQ(frame.minY, 20);
  EXPECT_FLOAT_EQ(frame.maxX, 100);
  EXPECT_FLOAT_EQ(frame.maxY, 70);
  group.glInit();
  const auto& f = group.frame();
  // Without a font the title takes no width: the strip closes where it began.
  EXPECT_FLOAT_EQ(f[0].x, 20);
  EXPECT_FLOAT_EQ(f[0].y, 70);
  EXPECT_FLOAT_EQ(f[2].x, 10);
  EXPECT_FLOAT_EQ(f[2].y, 20);
  EXPECT_FLOAT_EQ(f[4].x, 100);
  EXPECT_FLOAT_EQ(f[5].x, 20);
  // Knobs in a group ripple at their absolute centre.
  drag(20 + 50 + 10, 30 + 10 + 10);
  ripples.step();
  ASSERT_EQ(ripples.count(), 1);
  EXPECT_FLOAT_EQ(ripples.ripple(0).x, 80);
  EXPECT_EQ(group.hitTest({25, 35}), &a) << "the offset is taken off before the children look";
  EXPECT_EQ(host.root().hitTest({15, 25}), nullptr) << "inside the frame but on no child";
}

using ControlsDeathTest = ControlsTest;
TEST_F(ControlsDeathTest, ChangingTheTreeOnceTheRenderThreadRunsStopsAtOnce) {
  auto& group = host.create<TW::Group>();
  host.freezeTree();
  EXPECT_DEATH(host.create<TW::Group>(), "tree changed after the render thread started");
  EXPECT_DEATH(host.root().addChild(&group), "tree changed");
  EXPECT_DEATH(group.setOffset(1, 1), "tree changed");
}

// A record whose fields must always agree: a torn copy shows as a mismatch.
struct Pair {
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  char text[48] = {};
};

TEST(PublishedConcurrent, TheReaderSeesWholeRecordsAndNeverGoesBack) {
  Published<Pair> published;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (std::uint64_t i = 1; i <= 200000; ++i) {
      Pair& p = published.slot();
      p.a = i;
      std::snprintf(p.text, sizeof p.text, "%llu", static_cast<unsigned long long>(i));
      p.b = i;
      published.publish();
    }
    done = true;
  });
  std::uint64_t last = 0;
  int reads = 0;
  while (!done.load() || reads < 10) {
    const Pair& p = published.read();
    ASSERT_EQ(p.a, p.b);
    if (p.a != 0) {
      ASSERT_EQ(std::to_string(p.a), p.text);
    }
    ASSERT_GE(p.a, last);
    last = p.a;
    ++reads;
  }
  writer.join();
  EXPECT_EQ(published.read().a, 200000u) << "the last value published is the one kept";
}

}  // namespace
}  // namespace gw

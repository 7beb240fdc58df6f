// The pointer path: hover, press, drag, modifier changes and release, as the elements
// and the host see them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/fake_plugin.h"
#include "toolkit/control.h"
#include "toolkit/element_host.h"
#include "toolkit/group.h"
#include "toolkit/pointer_tracker.h"

namespace gw {
namespace {

using platform::kModAlt;
using platform::kModControl;
using platform::kModShift;
using Kind = platform::PointerEvent::Kind;

// Logs every pointer call with its point (design units) and modifiers.
class Probe : public TW::ControlBase {
 public:
  Probe(ElementHost& host, const Box& box, std::vector<std::string>& log, std::string name)
      : ControlBase(host, box), log_(log), name_(std::move(name)) {}
  void mouseDown(Point p, std::uint32_t m) override { add("down", p, m); }
  void mouseDrag(Point p, std::uint32_t m) override { add("drag", p, m); }
  void mouseUp(Point p, std::uint32_t m) override { add("up", p, m); }
  void mouseEnter() override { log_.push_back(name_ + " enter"); }
  void mouseLeave() override { log_.push_back(name_ + " leave"); }

 private:
  void add(const char* what, Point p, std::uint32_t m) {
    log_.push_back(name_ + " " + what + " " + std::to_string(static_cast<int>(p.x)) + "," +
                   std::to_string(static_cast<int>(p.y)) + " " + std::to_string(m));
  }
  std::vector<std::string>& log_;
  std::string name_;
};

platform::PointerEvent event(Kind kind, int x, int y, std::uint32_t modifiers = 0) {
  platform::PointerEvent e;
  e.kind = kind;
  e.x = x;
  e.y = y;
  e.button = kind == Kind::Move ? 0 : 1;
  e.modifiers = modifiers;
  return e;
}

class PointerTest : public ::testing::Test {
 protected:
  // Window pixels: y grows downwards from the top of a 415-pixel window.
  static int py(float designY) { return 415 - static_cast<int>(designY); }

  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
  PointerTracker tracker{host};
  std::vector<std::string> log;
};

TEST_F(PointerTest, HoverEntersAndLeavesInOrderAndLeavingTheWindowEndsIt) {
  auto& a = host.create<Probe>(Box::of(0, 0, 50, 50), log, "a");
  auto& b = host.create<Probe>(Box::of(100, 0, 150, 50), log, "b");
  host.root().addChild(&a);
  host.root().addChild(&b);
  tracker.handle(event(Kind::Move, 10, py(10)));
  tracker.handle(event(Kind::Move, 20, py(10)));
  tracker.handle(event(Kind::Move, 110, py(10)));
  tracker.handle(event(Kind::Move, 300, py(10)));
  tracker.handle(event(Kind::Move, 110, py(10)));
  tracker.handle(event(Kind::Leave, 500, py(10)));
  EXPECT_EQ(log, (std::vector<std::string>{"a enter", "a leave", "b enter", "b leave", "b enter",
                                           "b leave"}));
  EXPECT_EQ(host.hovered().load(), nullptr);
}

TEST_F(PointerTest, AModifierChangeEndsTheGestureAndStartsAnotherAtTheSamePoint) {
  auto& a = host.create<Probe>(Box::of(0, 0, 50, 50), log, "a");
  host.root().addChild(&a);
  EXPECT_EQ(tracker.handle(event(Kind::Press, 10, py(10))), PointerTracker::Capture::Grab);
  tracker.handle(event(Kind::Move, 12, py(20), kModShift));
  tracker.handle(event(Kind::Move, 12, py(30), kModShift | kModControl));
  tracker.handle(event(Kind::Move, 12, py(31), kModShift | kModControl));
  tracker.handle(event(Kind::Move, 12, py(32), kModAlt));
  // Far outside the window: still the pressed element's.
  EXPECT_EQ(tracker.handle(event(Kind::Release, 900, py(-200), 0)),
            PointerTracker::Capture::Release);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "a down 10,10 0", "a up 12,20 0", "a down 12,20 512", "a drag 12,20 512",
                     "a up 12,30 512", "a down 12,30 2560", "a drag 12,30 2560",
                     "a drag 12,31 2560", "a up 12,32 2560", "a down 12,32 256", "a drag 12,32 256",
                     "a drag 900,-200 256", "a up 900,-200 256"}));
  EXPECT_EQ(plugin.calls, (std::vector<std::string>{"display"})) << "no end-edit for parameter -1";
}

TEST_F(PointerTest, PressOverNothingDoesNothing) {
  EXPECT_EQ(tracker.handle(event(Kind::Press, 300, py(300))), PointerTracker::Capture::Keep);
  EXPECT_EQ(tracker.handle(event(Kind::Release, 300, py(300))), PointerTracker::Capture::Keep);
  EXPECT_TRUE(plugin.calls.empty());
}

TEST_F(PointerTest, KnobDragWritesThroughTheHostWithOneGesture) {
  auto& knob = host.create<TW::Knob>(5, Box::of(0, 0, 20, 20));
  host.root().addChild(&knob);
  host.dispatcher().prime();
  tracker.handle(event(Kind::Press, 10, py(10)));
  tracker.handle(event(Kind::Move, 30, py(30)));      // +20 units: +0.1, horizontal ignored
  tracker.handle(event(Kind::Release, 30, py(130)));  // +120: +0.6 -> clamped to 1
  EXPECT_EQ(plugin.calls, (std::vector<std::string>{"begin 5", "automate 5 0.6", "automate 5 1",
                                                    "end 5", "display"}));
  EXPECT_FLOAT_EQ(knob.value(), 1.0f);
  EXPECT_EQ(host.activeParam().load(), -1);
}

TEST_F(PointerTest, ShiftMidDragResumesFromTheCurrentValueWithoutAJump) {
  auto& knob = host.create<TW::Knob>(5, Box::of(0, 0, 20, 20));
  host.root().addChild(&knob);
  host.dispatcher().prime();
  tracker.handle(event(Kind::Press, 10, py(10)));
  tracker.handle(event(Kind::Move, 10, py(50)));  // +40: 0.7
  EXPECT_NEAR(plugin.currentValue(5), 0.7f, 1e-6);
  tracker.handle(event(Kind::Move, 10, py(50), kModShift));  // restart at 0.7, no motion
  EXPECT_NEAR(plugin.currentValue(5), 0.7f, 1e-6);
  tracker.handle(event(Kind::Move, 10, py(90), kModShift));  // +40 fine: +0.02
  EXPECT_NEAR(plugin.currentValue(5), 0.72f, 1e-6);
  tracker.handle(event(Kind::Release, 10, py(90), kModShift));
  // The restart closes and reopens the host's edit gesture.
  const std::vector<std::string> edits{"begin 5", "end 5", "begin 5", "end 5"};
  std::vector<std::string> seen;
  for (const auto& c : plugin.calls) {
    if (c.starts_with("begin") || c.starts_with("end")) seen.push_back(c);
  }
  EXPECT_EQ(seen, edits);
}

TEST_F(PointerTest, AltClickWritesTheDefaultAndTheDragContinuesFromIt) {
  auto& knob = host.create<TW::Knob>(0, Box::of(0, 0, 20, 20));
  host.root().addChild(&knob);
  plugin.hostSets(0, 0.1f);
  host.dispatcher().flush();
  tracker.handle(event(Kind::Press, 10, py(10), kModAlt));
  EXPECT_FLOAT_EQ(plugin.currentValue(0), 0.8f);
  tracker.handle(event(Kind::Move, 10, py(30), kModAlt));
  EXPECT_NEAR(plugin.currentValue(0), 0.9f, 1e-6);
  tracker.handle(event(Kind::Release, 10, py(30), kModAlt));
}

TEST_F(PointerTest, SteppedKnobsToggleAndSnap) {
  auto& toggle = host.create<TW::Knob>(2, Box::of(0, 0, 20, 20));
  auto& choice = host.create<TW::Knob>(3, Box::of(30, 0, 50, 20));
  host.root().addChild(&toggle);
  host.root().addChild(&choice);
  host.dispatcher().prime();
  tracker.handle(event(Kind::Press, 10, py(10)));
  tracker.handle(event(Kind::Release, 10, py(10)));
  EXPECT_EQ(plugin.currentValue(2), 1.0f);
  tracker.handle(event(Kind::Press, 10, py(10)));
  tracker.handle(event(Kind::Move, 10, py(-50)));  // -0.3 from 0: clamps to 0
  tracker.handle(event(Kind::Move, 10, py(-90)));
  EXPECT_EQ(plugin.currentValue(2), 0.0f) << "toggled back to 0, then dragged down";
  tracker.handle(event(Kind::Release, 10, py(-90)));
  EXPECT_EQ(toggle.value(), 0.0f);

  tracker.handle(event(Kind::Press, 40, py(10)));
  tracker.handle(event(Kind::Move, 40, py(10 + 27)));  // 0.135 of 0..4 = 0.54 -> 1
  EXPECT_EQ(plugin.currentValue(3), 1.0f);
  EXPECT_FLOAT_EQ(choice.value(), 0.25f) << "the control's own display snaps too";
  tracker.handle(event(Kind::Move, 40, py(10 + 25)));  // 0.5 exactly: halves round up
  EXPECT_EQ(plugin.currentValue(3), 1.0f);
  tracker.handle(event(Kind::Release, 40, py(10 + 25)));
}

TEST_F(PointerTest, ScaledWindowsMapEveryPositionBackToDesignUnits) {
  auto& a = host.create<Probe>(Box::of(600, 400, 610, 415), log, "a");
  host.root().addChild(&a);
  tracker.setMapping(915.0f / 610.0f, 622.0f / 415.0f, 622);
  const Point corner = tracker.toDesign(915, 0);
  EXPECT_FLOAT_EQ(corner.x, 610.0f);
  EXPECT_FLOAT_EQ(corner.y, 415.0f);
  tracker.handle(event(Kind::Move, 907, 8));
  tracker.handle(event(Kind::Press, 907, 8));
  tracker.handle(event(Kind::Release, 907, 8));
  EXPECT_EQ(log, (std::vector<std::string>{"a enter", "a down 604,409 0", "a drag 604,409 0",
                                           "a up 604,409 0"}));
}

}  // namespace
}  // namespace gw

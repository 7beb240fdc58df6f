// Native pointer events translated for the element tree, driven through XTest.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "platform/window.h"
#include "tests/platform/x11_driver.h"

using namespace gw::platform;
using gw::test::waitUntil;
using gw::test::X11Driver;
using Kind = PointerEvent::Kind;

namespace {

class Pointer : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = x_.topLevel(0, 0, 400, 300);
    std::string error;
    child_ = ChildWindow::create(host_, 200, 100, error);
    ASSERT_NE(child_, nullptr) << error;
    x_.sync();
    x_.rootPosition(static_cast<Window>(child_->nativeHandle()), cx_, cy_);
    // Start outside the child, and drop whatever the set-up produced.
    x_.moveTo(cx_ + 300, cy_ + 250);
    collectUntil([](const PointerEvent&) { return false; }, 100);
    events_.clear();
  }
  void TearDown() override {
    child_.reset();
    x_.destroy(host_);
  }

  // Polls until an event satisfies done or the time is up.
  bool collectUntil(const std::function<bool(const PointerEvent&)>& done, int ms = 3000) {
    return waitUntil(
        [&] {
          const std::size_t before = events_.size();
          child_->pollEvents(events_);
          for (std::size_t i = before; i < events_.size(); ++i) {
            if (done(events_[i])) return true;
          }
          return false;
        },
        std::chrono::milliseconds(ms));
  }
  const PointerEvent* find(Kind kind) const {
    for (const auto& e : events_) {
      if (e.kind == kind) return &e;
    }
    return nullptr;
  }

  X11Driver x_;
  Window host_ = 0;
  std::unique_ptr<ChildWindow> child_;
  std::vector<PointerEvent> events_;
  int cx_ = 0, cy_ = 0;
};

TEST_F(Pointer, PressDragReleaseCarryTheModifierBits) {
  const struct {
    KeySym key;
    std::uint32_t bit;
  } cases[] = {{XK_Shift_L, kModShift}, {XK_Control_L, kModControl}, {XK_Alt_L, kModAlt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bit);
    events_.clear();
    x_.moveTo(cx_ + 10, cy_ + 20);
    x_.key(c.key, true);
    x_.button(1, true);
    x_.moveTo(cx_ + 30, cy_ + 40);
    x_.button(1, false);
    x_.key(c.key, false);
    ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Release; }));
    const PointerEvent* press = find(Kind::Press);
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->x, 10);
    EXPECT_EQ(press->y, 20);
    EXPECT_EQ(press->button, 1);
    EXPECT_EQ(press->modifiers, c.bit);
    const PointerEvent* release = find(Kind::Release);
    EXPECT_EQ(release->x, 30);
    EXPECT_EQ(release->y, 40);
    EXPECT_EQ(release->modifiers, c.bit);
    bool moved = false;
    for (const auto& e : events_) {
      moved |= e.kind == Kind::Move && e.x == 30 && e.y == 40 && e.modifiers == c.bit;
    }
    EXPECT_TRUE(moved);
  }
}

TEST_F(Pointer, OtherButtonsAndTheWheel) {
  x_.moveTo(cx_ + 5, cy_ + 5);
  x_.button(4, true);  // a wheel step: not a press for the editor
  x_.button(4, false);
  x_.button(3, true);
  x_.button(3, false);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Release; }));
  const PointerEvent* press = find(Kind::Press);
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(press->button, 3);
  for (const auto& e : events_) EXPECT_NE(e.button, 4);
}

TEST_F(Pointer, CapturedDragFollowsOutsideAndReportsModifierChangesWithoutMotion) {
  x_.moveTo(cx_ + 50, cy_ + 50);
  x_.button(1, true);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Press; }));
  child_->capturePointer();
  x_.moveTo(cx_ + 350, cy_ + 250);  // far outside the 200 x 100 child
  ASSERT_TRUE(
      collectUntil([](const PointerEvent& e) { return e.kind == Kind::Move && e.x == 350; }));
  EXPECT_EQ(events_.back().y, 250);

  events_.clear();
  x_.key(XK_Control_L, true);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.modifiers == kModControl; }));
  EXPECT_EQ(events_.back().kind, Kind::Move);
  EXPECT_EQ(events_.back().x, 350);
  x_.key(XK_Control_L, false);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.modifiers == 0; }));

  x_.button(1, false);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Release; }));
  EXPECT_EQ(events_.back().x, 350);
  child_->releasePointer();
}

TEST_F(Pointer, LeavingTheWindowIsReported) {
  x_.moveTo(cx_ + 20, cy_ + 20);
  ASSERT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Move; }));
  x_.moveTo(cx_ + 300, cy_ + 20);
  EXPECT_TRUE(collectUntil([](const PointerEvent& e) { return e.kind == Kind::Leave; }));
}

}  // namespace

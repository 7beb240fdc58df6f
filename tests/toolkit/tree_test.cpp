// Boxes, bounds and hit testing of the element tree.
#include <gtest/gtest.h>

#include "tests/toolkit/fake_plugin.h"
#include "toolkit/element_host.h"
#include "toolkit/group.h"

namespace gw {
namespace {

TEST(Box, EmptyBoxIsTheIdentityOfExtendAndEdgesHit) {
  Box box;
  EXPECT_TRUE(box.isEmpty());
  box.extend(Box::of(10, 20, 30, 40));
  EXPECT_FLOAT_EQ(box.minX, 10);
  EXPECT_FLOAT_EQ(box.maxY, 40);
  box.translate(5, 5, 0);
  EXPECT_TRUE(box.contains({15, 25}));
  EXPECT_TRUE(box.contains({35, 45}));
  EXPECT_FALSE(box.contains({35.01f, 45}));
  Box empty;
  empty.translate(100, 100, 100);
  EXPECT_TRUE(empty.isEmpty()) << "translating nothing must not create extent";
}

class TreeTest : public ::testing::Test {
 protected:
  PendingChanges pending;
  test::FakePlugin plugin{pending};
  ElementHost host{plugin, pending};
};

TEST_F(TreeTest, OverlappingSiblingsFirstAddedWinsAndGroupsNeverHitThemselves) {
  auto& a = host.create<TW::ControlBase>(Box::of(0, 0, 20, 20));
  auto& b = host.create<TW::ControlBase>(Box::of(10, 10, 30, 30));
  auto& group = host.create<TW::Group>();
  group.setOffset(100, 50);
  auto& inner = host.create<TW::ControlBase>(Box::of(0, 0, 10, 10));
  group.addChild(&inner);
  host.root().addChild(&a);
  host.root().addChild(&b);
  host.root().addChild(&group);

  EXPECT_EQ(host.root().hitTest({15, 15}), &a);
  EXPECT_EQ(host.root().hitTest({25, 25}), &b);
  EXPECT_EQ(host.root().hitTest({105, 55}), &inner);
  EXPECT_EQ(host.root().hitTest({5, 5}), &a);
  EXPECT_EQ(host.root().hitTest({60, 60}), nullptr);
  EXPECT_EQ(host.root().hitTest({5, 5 + 50}), nullptr) << "offset ignored";
  EXPECT_EQ(inner.parent(), &group);
}

TEST_F(TreeTest, GroupBoundsAreTheUnionOfChildrenShiftedByEveryAncestor) {
  auto& outer = host.create<TW::Group>();
  outer.setOffset(10, 20);
  auto& inner = host.create<TW::Group>();
  inner.setOffset(1, 2);
  auto& x = host.create<TW::ControlBase>(Box::of(0, 0, 5, 5));
  auto& y = host.create<TW::ControlBase>(Box::of(-3, 4, 2, 9));
  inner.addChild(&x);
  inner.addChild(&y);
  outer.addChild(&inner);
  host.root().addChild(&outer);

  Box bounds;
  outer.addBounds(bounds);
  EXPECT_FLOAT_EQ(bounds.minX, 10 + 1 - 3);
  EXPECT_FLOAT_EQ(bounds.minY, 20 + 2 + 0);
  EXPECT_FLOAT_EQ(bounds.maxX, 10 + 1 + 5);
  EXPECT_FLOAT_EQ(bounds.maxY, 20 + 2 + 9);

  const Box absolute = y.absoluteBounds();
  EXPECT_FLOAT_EQ(absolute.minX, 8);
  EXPECT_FLOAT_EQ(absolute.minY, 26);
  const Box innerAbsolute = inner.absoluteBounds();
  EXPECT_FLOAT_EQ(innerAbsolute.minX, 8);
  EXPECT_FLOAT_EQ(innerAbsolute.maxY, 31);

  Box none;
  host.create<TW::Group>().addBounds(none);
  EXPECT_TRUE(none.isEmpty()) << "an empty group adds nothing";
}

}  // namespace
}  // namespace gw

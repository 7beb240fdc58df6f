// A titled group: its children framed with a 10-unit margin, the frame's top edge
// broken where the title sits.
#pragma once

#include <array>

#include "toolkit/group.h"

namespace TW {

class NamedGroup : public Group {
 public:
  static constexpr float kMargin = 10.0f;

  // title: static text, not copied.
  NamedGroup(gw::ElementHost& window, const char* title) : Group(window), title_(title) {}

  void draw() override;
  void addBounds(gw::Box& box) const override;
  // Thread: render. Lays out the title and the frame from the absolute bounds.
  void glInit() override;

  const char* title() const { return title_; }
  // Thread: render. Absolute design units, an open strip from the title's left back
  // round to its right.
  const std::array<gw::Point, 6>& frame() const { return frame_; }

 private:
  const char* title_;
  // Render thread: the title's label reads colour_ at every frame. Nothing hovers a
  // group, so both stay grey; the easing keeps the frame and title in step if that
  // ever changes.
  std::array<float, 4> colour_{0.5f, 0.5f, 0.5f, 0.5f};
  std::array<float, 4> target_{0.5f, 0.5f, 0.5f, 0.5f};
  std::array<gw::Point, 6> frame_{};
};

}  // namespace TW

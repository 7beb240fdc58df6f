// A picture of an envelope's shape: timed stages from 0 through the attack targets, a
// sustain plateau one time unit wide, then the release stages back to 0, scaled so the
// drawn stages fill the box's width. Redrawn only after one of its parameters changed.
#pragma once

#include <array>
#include <atomic>
#include <span>
#include <vector>

#include "toolkit/ui_element.h"

namespace TW {

class EnvDisplay : public UIElement {
 public:
  static constexpr int kMaxStages = 5;

  // An envelope of attack + release timed stages. values holds the stage times, then
  // the stage shapes (0..1, 1 straight), then the stage target levels (the last is 0).
  struct Shape {
    int attack = 0;
    int release = 0;
    // A last stage whose time equals this is left out of the picture.
    float tmax = -1.0f;
    std::span<const float> values;
  };
  // Writes the curve's points (x from 0 in design units, y the level) into out and
  // returns how many; never more than out holds.
  static int computeCurve(const Shape& shape, float width, std::span<gw::Point> out);

  // The box is (0, y) to (width, y + height). Parameters first … first + 3N - 2, where
  // N = attack + release (at most kMaxStages), follow the layout of values above.
  EnvDisplay(gw::ElementHost& window, int first, int attack, int release, float y, float width,
             float height, float tmax);

  void draw() override;
  void addBounds(gw::Box& box) const override { box.extend(box_); }
  void updateValue(const gw::ParameterDisplayRecord& record, float value) override;

  // Thread: UI, while the tree is built: a value no parameter delivers (an empty index).
  void setValue(int i, float value);
  // Thread: render. Recomputes the curve if a value changed; returns whether it did.
  bool refreshCurve();
  // Thread: render, after refreshCurve.
  std::span<const gw::Point> curve() const { return {curve_.data(), static_cast<size_t>(count_)}; }
  const gw::Box& box() const { return box_; }

 private:
  int stages() const { return attack_ + release_; }

  gw::Box box_;
  int first_;
  int attack_;
  int release_;
  float tmax_;
  // Written by the UI thread, read by the render thread after taking dirty (acquire).
  std::array<std::atomic<float>, 3 * kMaxStages> values_{};
  std::atomic<bool> dirty_{true};
  // Render thread only; sized at construction.
  std::vector<gw::Point> curve_;
  int count_ = 0;
};

}  // namespace TW

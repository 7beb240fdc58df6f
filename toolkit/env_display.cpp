#include "toolkit/env_display.h"

#include <algorithm>
#include <cmath>

#include "toolkit/element_host.h"
#include "toolkit/gl_shapes.h"

namespace TW {
namespace {

class CurveWriter {
 public:
  explicit CurveWriter(std::span<gw::Point> out) : out_(out) {}
  void emit(float x, float y) {
    if (count_ < out_.size()) out_[count_++] = {x, y};
  }
  int count() const { return static_cast<int>(count_); }

 private:
  std::span<gw::Point> out_;
  size_t count_ = 0;
};

// One stage from (x, h) to level o over width r: one point per whole design unit by
// forward differences of h + diff · (a·u + b·u²), u = j / r, then the exact end point.
void drawStage(CurveWriter& writer, float& x, float& h, float o, float r, float shape) {
  if (!(r >= 0.0f)) r = 0.0f;
  const float diff = o - h;
  // Rising: s·u + (1 − s)·u²; falling: (2 − s)·u − (1 − s)·u². Shape 1 is straight;
  // shape 0 starts slowly on a rise and fast on a fall.
  const float a = diff >= 0.0f ? shape : 2.0f - shape;
  const float b = diff >= 0.0f ? 1.0f - shape : shape - 1.0f;
  const int steps = static_cast<int>(r);
  if (steps > 0) {
    const float inv = 1.0f / r;
    float level = h;
    float slope = diff * (a * inv + b * inv * inv);
    const float curvature = 2.0f * diff * b * inv * inv;
    for (int j = 0; j < steps; ++j) {
      writer.emit(x + static_cast<float>(j), level);
      level += slope;
      slope += curvature;
    }
  }
  writer.emit(x + r, o);
  x += r;
  h = o;
}

}  // namespace

int EnvDisplay::computeCurve(const Shape& shape, float width, std::span<gw::Point> out) {
  const int n = shape.attack + shape.release;
  if (shape.attack < 0 || shape.release < 0 || n > kMaxStages ||
      shape.values.size() < static_cast<size_t>(3 * n)) {
    return 0;
  }
  const float* times = shape.values.data();
  const float* shapes = times + n;
  const float* levels = shapes + n;
  const int drawn = n > 0 && times[n - 1] == shape.tmax ? n - 1 : n;
  // One time unit more than the stages for the sustain plateau.
  float total = 1.0f;
  for (int i = 0; i < drawn; ++i) total += std::max(times[i], 0.0f);
  const float k = width / total;

  CurveWriter writer(out);
  float x = 0.0f;
  float h = 0.0f;
  writer.emit(x, h);
  for (int i = 0; i < shape.attack && i < drawn; ++i) {
    drawStage(writer, x, h, levels[i], times[i] * k, shapes[i]);
  }
  x += k;
  writer.emit(x, h);
  for (int i = shape.attack; i < drawn; ++i)
    drawStage(writer, x, h, levels[i], times[i] * k, shapes[i]);
  return writer.count();
}

EnvDisplay::EnvDisplay(gw::ElementHost& window, int first, int attack, int release, float y,
                       float width, float height, float tmax)
    : UIElement(window),
      box_(gw::Box::of(0.0f, y, width, y + height)),
      first_(first),
      attack_(std::clamp(attack, 0, kMaxStages)),
      release_(std::clamp(release, 0, kMaxStages - attack_)),
      tmax_(tmax) {
  for (int d = 0; d < 3 * stages() - 1; ++d) {
    const int index = first + d;
    if (index >= 0 && index < gw::kParameterCount) window.dispatcher().addListener(index, this);
  }
  const int wholeWidth = width > 0.0f ? static_cast<int>(width) : 0;
  curve_.resize(static_cast<size_t>(attack_ + wholeWidth + release_ + 1));
}

void EnvDisplay::updateValue(const gw::ParameterDisplayRecord& record, float value) {
  const int d = record.index - first_;
  if (d >= 0 && d < 3 * stages() - 1) values_[d].store(value, std::memory_order_relaxed);
  dirty_.store(true, std::memory_order_release);
}

void EnvDisplay::setValue(int i, float value) {
  if (i < 0 || i >= 3 * stages() - 1) return;
  values_[i].store(value, std::memory_order_relaxed);
  dirty_.store(true, std::memory_order_release);
}

bool EnvDisplay::refreshCurve() {
  if (!dirty_.exchange(false, std::memory_order_acquire)) return false;
  std::array<float, 3 * kMaxStages> values{};
  for (int i = 0; i < 3 * stages(); ++i) values[i] = values_[i].load(std::memory_order_relaxed);
  const Shape shape{attack_, release_, tmax_, {values.data(), static_cast<size_t>(3 * stages())}};
  count_ = computeCurve(shape, box_.maxX - box_.minX, curve_);
  return true;
}

void EnvDisplay::draw() {
  refreshCurve();
  // Levels 0..1 fill the box's height.
  beginCurve(box_.minX, box_.minY, box_.maxY - box_.minY);
  for (int i = 0; i < count_; ++i) glVertex2f(curve_[i].x, curve_[i].y);
  endCurve();
}

}  // namespace TW

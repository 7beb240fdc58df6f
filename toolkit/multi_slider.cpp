#include "toolkit/multi_slider.h"

#include <algorithm>
#include <cmath>

#include "platform/window.h"
#include "toolkit/element_host.h"

namespace TW {

using gw::platform::kModAlt;
using gw::platform::kModControl;
using gw::platform::kModShift;

MultiSlider::MultiSlider(gw::ElementHost& window, int firstParameter, float height)
    : MultiControl(window, firstParameter, gw::Box::of(0.0f, 0.0f, kWidth, height)) {
  for (int i = 0; i < kCount; ++i) regions_[i] = &window.create<RegionReceiver>(*this, i);
}

MultiSlider::BarPosition MultiSlider::barAt(gw::Point point) const {
  const gw::Box box = absoluteBounds();
  const float p = std::clamp((point.x - box.minX) / (box.maxX - box.minX), 0.0f, 1.0f);
  const float q = std::clamp((point.y - box.minY) / (box.maxY - box.minY), 0.0f, 1.0f);
  return {std::min(static_cast<int>(kCount * p), kCount - 1), q};
}

float MultiSlider::barCentre(const gw::Box& absolute, int bar) const {
  return absolute.minX +
         (static_cast<float>(bar) + 0.5f) / kCount * (absolute.maxX - absolute.minX);
}

void MultiSlider::RegionReceiver::addBounds(gw::Box& box) const {
  const gw::Box bank = slider_.absoluteBounds();
  if (bank.isEmpty()) return;
  const float width = (bank.maxX - bank.minX) / kCount;
  const float x0 = bank.minX + width * static_cast<float>(bar_);
  box.extend(gw::Box::of(x0, bank.minY, x0 + width, bank.maxY));
}

UIElement* MultiSlider::hitTest(gw::Point point) {
  if (!box_.contains(point)) return nullptr;
  const float p = (point.x - box_.minX) / (box_.maxX - box_.minX);
  return regions_[std::clamp(static_cast<int>(kCount * p), 0, kCount - 1)];
}

void MultiSlider::mouseDown(gw::Point point, std::uint32_t modifiers) {
  const int bar = barAt(point).bar;
  const gw::ParameterDisplayRecord& record = records_[bar];
  if (record.effect == nullptr) return;
  if (modifiers & kModAlt) {
    gw::ParameterPort& port = *record.effect;
    window().edits().begin(record.index);
    port.setParameterFromEditor(record.index, record.defaultValue);
    setValue(bar, port.toNormalised(record.index, port.currentValue(record.index)));
  }
  originX_ = point.x;
  originY_ = point.y;
  originValue_ = value(bar);
  originBar_ = bar;
  mouseDrag(point, modifiers);
}

void MultiSlider::mouseDrag(gw::Point point, std::uint32_t modifiers) {
  // An Alt press only resets.
  if (modifiers & kModAlt) return;
  const BarPosition at = barAt(point);
  const int bar = (modifiers & kModControl) ? originBar_ : at.bar;
  const gw::ParameterDisplayRecord& record = records_[bar];
  if (record.effect == nullptr) return;
  const float v = (modifiers & kModShift)
                      ? std::clamp(originValue_ + (point.y - originY_) * kFine, 0.0f, 1.0f)
                      : at.height;
  // Begun before the first write so that the host records the whole gesture.
  window().edits().begin(record.index);
  setValue(bar, steppedWrite(record, v));
}

void MultiSlider::regionEnter(int bar) {
  window().hoverParam().store(records_[bar].index, std::memory_order_relaxed);
  window().tooltipAnchor().store(this, std::memory_order_release);
}

void MultiSlider::regionLeave(int bar) {
  std::int32_t own = records_[bar].index;
  window().hoverParam().compare_exchange_strong(own, -1, std::memory_order_relaxed);
}

void RippleMultiSlider::mouseDown(gw::Point point, std::uint32_t modifiers) {
  if (vortex_ != nullptr) vortex_->addCube(point.x, point.y);
  MultiSlider::mouseDown(point, modifiers);
}

void RippleMultiSlider::ripple(float x, float y, const Colour& colour, float radius) {
  if (ripples_ != nullptr) {
    ripples_->addRipple(x, y, colour.data(), radius, kRippleLifetime, kRippleGrowth);
  }
}

Colour LevelsMultiSlider::barColour(float v) {
  const float s = 2.0f * v - 1.0f;
  if (s < 0.0f) return {0.5f - s / 2, 0.0f, 1.0f + s / 2, 0.75f};
  return {0.0f, 0.5f + s / 2, 1.0f - s / 2, 0.75f};
}

void LevelsMultiSlider::regionEnter(int bar) {
  const gw::Box box = absoluteBounds();
  const float v = value(bar);
  Colour colour = barColour(v);
  colour[3] = 1.0f;
  const float radius = (std::fabs(v - 0.5f) * 0.8f + 0.1f) * (box.maxX - box.minX) / kCount;
  ripple(barCentre(box, bar), box.minY + v * (box.maxY - box.minY), colour, radius);
  MultiSlider::regionEnter(bar);
}

void EnvSelMultiSlider::regionEnter(int bar) {
  const gw::Box box = absoluteBounds();
  const float v = value(bar);
  const Colour colour{0.0f, 0.5f + v / 2, 1.0f - v / 2, 0.5f};
  ripple(barCentre(box, bar), box.minY + v * (box.maxY - box.minY), colour,
         0.5f * (box.maxX - box.minX) / kCount);
  MultiSlider::regionEnter(bar);
}

}  // namespace TW

#include "toolkit/control.h"

#include <algorithm>
#include <cmath>

#include "platform/window.h"
#include "toolkit/element_host.h"

namespace TW {
namespace {

// Indexed, boolean, MIDI note number and beats take whole values only.
bool isSteppedUnit(int unit) {
  return unit == 1 || unit == 2 || unit == 11 || unit == 23;
}

}  // namespace

float ControlBase::steppedWrite(const gw::ParameterDisplayRecord& record, float v) const {
  gw::ParameterPort& port = *record.effect;
  float x;
  if (stepped_) {
    const float range = record.maximum - record.minimum;
    x = std::floor(record.minimum + v * range + 0.5f);
    v = range != 0.0f ? (x - record.minimum) / range : 0.0f;
  } else {
    x = port.toInternal(record.index, v);
  }
  port.setParameterFromEditor(record.index, x);
  return v;
}

Control::Control(gw::ElementHost& window, int parameter, const gw::Box& box)
    : ControlBase(window, box), record_(window.displayRecord(parameter)) {
  stepped_ = isSteppedUnit(record_.unit);
  window.dispatcher().addListener(record_.index, this);
}

void Control::mouseDown(gw::Point, std::uint32_t) {
  window().activeParam().store(record_.index, std::memory_order_relaxed);
  record_.effect->beginEdit(record_.index);
}

void Control::mouseUp(gw::Point, std::uint32_t) {
  auto& active = window().activeParam();
  if (active.load(std::memory_order_relaxed) == record_.index) {
    record_.effect->endEdit(record_.index);
    active.store(-1, std::memory_order_relaxed);
  }
}

void Control::mouseEnter() {
  window().hoverParam().store(record_.index, std::memory_order_relaxed);
  window().tooltipAnchor().store(this, std::memory_order_release);
}

void Control::mouseLeave() {
  std::int32_t own = record_.index;
  window().hoverParam().compare_exchange_strong(own, -1, std::memory_order_relaxed);
}

void Control::updateValue(const gw::ParameterDisplayRecord&, float) {
  refreshFromProgram();
}

void Control::refreshFromProgram() {
  const gw::ParameterPort& port = *record_.effect;
  setValue(port.toNormalised(record_.index, port.currentValue(record_.index)));
}

void Knob::mouseDown(gw::Point point, std::uint32_t modifiers) {
  // The press's gesture opens first, so that a reset or a toggle it writes is inside it.
  Control::mouseDown(point, modifiers);
  gw::ParameterPort& port = *record_.effect;
  if (modifiers & gw::platform::kModAlt) {
    port.setParameterFromEditor(record_.index, record_.defaultValue);
    refreshFromProgram();
  } else if (stepped_ && record_.minimum == 0.0f && record_.maximum == 1.0f) {
    port.setParameterFromEditor(record_.index, 1.0f - port.currentValue(record_.index));
    refreshFromProgram();
  }
  originX_ = point.x;
  originY_ = point.y;
  originValue_ = value();
}

void Knob::mouseDrag(gw::Point point, std::uint32_t modifiers) {
  const float k = (modifiers & gw::platform::kModShift) ? fine_ : coarse_;
  const float v = std::clamp(originValue_ + (point.y - originY_) * k, 0.0f, 1.0f);
  setValue(steppedWrite(record_, v));
}

MultiControl::MultiControl(gw::ElementHost& window, int firstParameter, const gw::Box& box)
    : ControlBase(window, box) {
  for (int i = 0; i < kCount; ++i) {
    const int index = firstParameter + i;
    if (index < 0 || index >= gw::kParameterCount) continue;
    records_[i] = window.displayRecord(index);
    window.dispatcher().addListener(index, this);
  }
  stepped_ = records_[0].unit == 1;
}

void MultiControl::updateValue(const gw::ParameterDisplayRecord& record, float value) {
  const int i = record.index - first();
  if (i < 0 || i >= kCount) return;
  setValue(i, record.effect->toNormalised(record.index, value));
}

}  // namespace TW

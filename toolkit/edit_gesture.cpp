#include "toolkit/edit_gesture.h"

namespace gw {

void writeInGesture(ParameterPort& port, int index, float value) {
  port.beginEdit(index);
  port.setParameterFromEditor(index, value);
  port.endEdit(index);
}

void EditGesture::begin(int index) {
  if (index < 0 || index >= kParameterCount) return;
  if (!open_[index]) {
    open_.set(index);
    order_[count_++] = static_cast<std::int16_t>(index);
    port_.beginEdit(index);
  }
  active_.store(index, std::memory_order_relaxed);
}

void EditGesture::endAll() {
  const std::int32_t active = active_.exchange(-1, std::memory_order_relaxed);
  for (int i = 0; i < count_; ++i) port_.endEdit(order_[i]);
  // The host is never told to end an edit of parameter -1.
  if (active >= 0 && !isOpen(active)) port_.endEdit(active);
  open_.reset();
  count_ = 0;
}

}  // namespace gw

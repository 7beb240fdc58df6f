#include "lv2/lv2_ui_port.h"

#include <cmath>

#include "lv2/lv2_ports.h"
#include "params/parameter_model.h"

namespace gw::lv2 {

Lv2UiPort::Lv2UiPort(LV2UI_Write_Function write, LV2UI_Controller controller)
    : write_(write), controller_(controller) {
  for (int i = 0; i < param::kCount; ++i) {
    values_[i].store(kParameterTable[i].defaultValue, std::memory_order_relaxed);
  }
}

void Lv2UiPort::hostValue(std::uint32_t port, float value) {
  if (std::isnan(value)) return;
  if (port == kActivityPort) {
    activity_.store(value, std::memory_order_relaxed);
    return;
  }
  if (port >= static_cast<std::uint32_t>(param::kCount)) return;
  const int index = static_cast<int>(port);
  if (values_[index].exchange(value, std::memory_order_relaxed) == value) return;
  if (link_ != nullptr) link_->parameterChanged(index, value);
}

float Lv2UiPort::currentValue(int index) const {
  if (!isParameterIndex(index)) return 0.0f;
  return values_[index].load(std::memory_order_relaxed);
}

void Lv2UiPort::setParameterFromEditor(int index, float value) {
  if (!isParameterIndex(index) || isInert(index) || std::isnan(value)) return;
  values_[index].store(value, std::memory_order_relaxed);
  if (link_ != nullptr) link_->parameterChanged(index, value);
  // Hosts need not echo a UI's own write back: the copy above is what the controls show.
  if (write_ != nullptr)
    write_(controller_, static_cast<std::uint32_t>(index), sizeof value, 0, &value);
}

ActivityRecord Lv2UiPort::activity() const {
  ActivityRecord record;
  record.activity = activity_.load(std::memory_order_relaxed);
  return record;
}

}  // namespace gw::lv2

#include "lv2/lv2_ui_port.h"

#include <cmath>

#include "lv2/lv2_plugin.h"
#include "plugin/cf_types.h"
#include "plugin/parameter_model.h"
#include "plugin/parameter_table.h"
#include "plugin/value_texts.h"

namespace gw::lv2 {
namespace {

constexpr std::size_t kTextBytes = 64;
constexpr int kFloatTextChars = 8;

}  // namespace

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

EditorParameterInfo Lv2UiPort::parameterInfo(int index) const {
  if (!isParameterIndex(index)) return {};
  const ParameterInfo& row = kParameterTable[index];
  return {row.name, static_cast<int>(row.unit), row.minimum, row.maximum, row.defaultValue};
}

float Lv2UiPort::currentValue(int index) const {
  if (!isParameterIndex(index)) return 0.0f;
  return values_[index].load(std::memory_order_relaxed);
}

float Lv2UiPort::toNormalised(int index, float value) const {
  return gw::toNormalised(index, value);
}

float Lv2UiPort::toInternal(int index, float normalised) const {
  return gw::toInternal(index, normalised);
}

void Lv2UiPort::setParameterFromEditor(int index, float value) {
  if (!isParameterIndex(index) || isInert(index) || std::isnan(value)) return;
  values_[index].store(value, std::memory_order_relaxed);
  if (link_ != nullptr) link_->parameterChanged(index, value);
  // Hosts need not echo a UI's own write back: the copy above is what the controls show.
  if (write_ != nullptr)
    write_(controller_, static_cast<std::uint32_t>(index), sizeof value, 0, &value);
}

// The texts the VST module shows: value names, "On"/"Off", special texts, else numbers.
void Lv2UiPort::parameterDisplay(int index, char* text) {
  text[0] = '\0';
  if (!isParameterIndex(index)) return;
  if (param::isUnused(index)) {
    copyText(text, "Unused", kTextBytes - 1);
    return;
  }
  const float v = currentValue(index);
  const ParameterUnit unit = kParameterTable[index].unit;
  if (unit == ParameterUnit::Indexed) {
    const auto names = valueNames(index);
    if (v >= 0.0f && v < static_cast<float>(names.size())) {
      CFStringGetCString(names[static_cast<std::size_t>(v)], text, kTextBytes);
    } else {
      float2string(v, text, kFloatTextChars);
    }
    return;
  }
  if (unit == ParameterUnit::Boolean) {
    copyText(text, v != 0.0f ? "On" : "Off", kTextBytes - 1);
    return;
  }
  CFString* special = nullptr;
  if (valueText(index, v, &special) && special != nullptr) {
    CFStringGetCString(special, text, kTextBytes);
    return;
  }
  formatValue(v, text, kTextBytes);
}

void Lv2UiPort::parameterLabel(int index, char* text) {
  text[0] = '\0';
  if (isParameterIndex(index)) copyText(text, unitLabel(kParameterTable[index].unit), 8);
}

ActivityRecord Lv2UiPort::activity() const {
  ActivityRecord record;
  record.activity = activity_.load(std::memory_order_relaxed);
  return record;
}

}  // namespace gw::lv2

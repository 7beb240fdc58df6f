#include "params/parameter_text.h"

#include <algorithm>

#include "params/parameter_model.h"
#include "params/value_texts.h"

namespace gw {
namespace {

// Indexed values without a name are the SDK's fixed-width number text.
constexpr std::size_t kFloatTextChars = 8;

}  // namespace

void displayText(int index, float value, char* text, std::size_t bytes) {
  if (text == nullptr || bytes == 0) return;
  text[0] = '\0';
  if (!isParameterIndex(index)) return;
  if (param::isUnused(index)) {
    copyText(text, "Unused", bytes - 1);
    return;
  }
  switch (kParameterTable[index].unit) {
    case ParameterUnit::Indexed: {
      const auto names = valueNames(index);
      if (value >= 0.0f && value < static_cast<float>(names.size())) {
        CFStringGetCString(names[static_cast<std::size_t>(value)], text, bytes);
      } else {
        float2string(value, text, static_cast<int>(std::min(kFloatTextChars, bytes - 1)));
      }
      return;
    }
    case ParameterUnit::Boolean:
      copyText(text, value != 0.0f ? "On" : "Off", bytes - 1);
      return;
    default: {
      CFString* special = nullptr;
      if (valueText(index, value, &special) && special != nullptr) {
        CFStringGetCString(special, text, bytes);
        return;
      }
      formatValue(value, text, bytes);
    }
  }
}

}  // namespace gw

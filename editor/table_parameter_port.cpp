#include "editor/table_parameter_port.h"

#include "params/parameter_model.h"
#include "params/parameter_text.h"

namespace gw {
namespace {

constexpr std::size_t kLabelChars = 8;

}  // namespace

EditorParameterInfo TableParameterPort::parameterInfo(int index) const {
  if (!isParameterIndex(index)) return {};
  const ParameterInfo& row = kParameterTable[index];
  return {row.name, static_cast<int>(row.unit), row.minimum, row.maximum, row.defaultValue};
}

float TableParameterPort::toNormalised(int index, float value) const {
  return gw::toNormalised(index, value);
}

float TableParameterPort::toInternal(int index, float normalised) const {
  return gw::toInternal(index, normalised);
}

void TableParameterPort::parameterDisplay(int index, char* text) {
  displayText(index, currentValue(index), text, kTextBytes);
}

void TableParameterPort::parameterLabel(int index, char* text) {
  if (text == nullptr) return;
  text[0] = '\0';
  if (isParameterIndex(index)) copyText(text, unitLabel(kParameterTable[index].unit), kLabelChars);
}

}  // namespace gw

#include "editor/plugin_port.h"

#include "plugin/parameter_model.h"
#include "plugin/parameter_table.h"
#include "plugin/tarn_au_base.h"

namespace gw {

EditorParameterInfo PluginPort::parameterInfo(int index) const {
  if (!isParameterIndex(index)) return {};
  const ParameterInfo& row = kParameterTable[index];
  return {row.name, static_cast<int>(row.unit), row.minimum, row.maximum, row.defaultValue};
}

float PluginPort::currentValue(int index) const {
  return plugin_.currentValue(index);
}

float PluginPort::toNormalised(int index, float value) const {
  return gw::toNormalised(index, value);
}

float PluginPort::toInternal(int index, float normalised) const {
  return gw::toInternal(index, normalised);
}

void PluginPort::setParameterFromEditor(int index, float value) {
  plugin_.setParameterFromEditor(index, value);
}

void PluginPort::beginEdit(int index) {
  plugin_.beginEdit(index);
}
void PluginPort::endEdit(int index) {
  plugin_.endEdit(index);
}
void PluginPort::updateDisplay() {
  plugin_.updateDisplay();
}

void PluginPort::parameterDisplay(int index, char* text) {
  text[0] = 0;
  if (isParameterIndex(index)) plugin_.getParameterDisplay(index, text);
}

void PluginPort::parameterLabel(int index, char* text) {
  text[0] = 0;
  if (isParameterIndex(index)) plugin_.getParameterLabel(index, text);
}

ActivityRecord PluginPort::activity() const {
  ActivityRecord record;
  plugin_.GetActivity(record);
  return record;
}

}  // namespace gw

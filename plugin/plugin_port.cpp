#include "plugin/plugin_port.h"

#include "plugin/tarn_au_base.h"

namespace gw {

float PluginPort::currentValue(int index) const {
  return plugin_.currentValue(index);
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

ActivityRecord PluginPort::activity() const {
  ActivityRecord record;
  plugin_.GetActivity(record);
  return record;
}

}  // namespace gw

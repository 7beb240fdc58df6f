// The editor's view of the plug-in base: its parameter table, the current program and
// the editor-facing operations, behind the toolkit's ParameterPort.
#pragma once

#include "toolkit/parameter_port.h"

class TarnAuBase;

namespace gw {

class PluginPort final : public ParameterPort {
 public:
  explicit PluginPort(TarnAuBase& plugin) : plugin_(plugin) {}

  EditorParameterInfo parameterInfo(int index) const override;
  float currentValue(int index) const override;
  float toNormalised(int index, float value) const override;
  float toInternal(int index, float normalised) const override;
  void setParameterFromEditor(int index, float value) override;
  void beginEdit(int index) override;
  void endEdit(int index) override;
  void updateDisplay() override;
  void parameterDisplay(int index, char* text) override;
  void parameterLabel(int index, char* text) override;
  ActivityRecord activity() const override;

 private:
  TarnAuBase& plugin_;
};

}  // namespace gw

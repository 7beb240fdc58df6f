// The editor's view of the VST plug-in: the current program's values and the plug-in's
// editor-facing operations (store, automate, begin/end edit, display refresh), over the
// table's rows and texts.
#pragma once

#include "editor/table_parameter_port.h"

class TarnAuBase;

namespace gw {

class PluginPort final : public TableParameterPort {
 public:
  explicit PluginPort(TarnAuBase& plugin) : plugin_(plugin) {}

  float currentValue(int index) const override;
  void setParameterFromEditor(int index, float value) override;
  void beginEdit(int index) override;
  void endEdit(int index) override;
  void updateDisplay() override;
  ActivityRecord activity() const override;

 private:
  TarnAuBase& plugin_;
};

}  // namespace gw

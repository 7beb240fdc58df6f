// The editor's parameter port in the LV2 UI: a UI-side copy of the control ports' values
// kept up to date by the host's port events, writes sent through the host's
// write_function (so the host applies them, records automation and undo), and the
// engine's activity from its output port.
#pragma once

#include <lv2/ui/ui.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "editor/editor_link.h"
#include "editor/table_parameter_port.h"
#include "params/parameter_ids.h"

namespace gw::lv2 {

class Lv2UiPort final : public TableParameterPort {
 public:
  // Values start at the table's defaults until the host reports the ports.
  Lv2UiPort(LV2UI_Write_Function write, LV2UI_Controller controller);

  // The editor that hears of changes; null for none. Thread: UI.
  void setLink(EditorLink* link) { link_ = link; }
  // A control port's value as the host reports it (port_event). Unknown ports and NaN
  // are ignored. Thread: UI.
  void hostValue(std::uint32_t port, float value);

  float currentValue(int index) const override;
  void setParameterFromEditor(int index, float value) override;
  // LV2 hosts learn of gestures from the writes themselves: nothing to tell.
  void beginEdit(int) override {}
  void endEdit(int) override {}
  void updateDisplay() override {}
  ActivityRecord activity() const override;

 private:
  LV2UI_Write_Function write_;
  LV2UI_Controller controller_;
  EditorLink* link_ = nullptr;
  // Read by the render thread while port events write them.
  std::array<std::atomic<float>, param::kCount> values_;
  std::atomic<float> activity_{0.0f};
};

}  // namespace gw::lv2

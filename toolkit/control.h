// Controls bound to parameters: one (Control, Knob) or sixteen in a row (MultiControl).
// Values shown are normalised (0..1) and read by the render thread, hence atomic. The
// display records, and the plug-in port in them, are for the UI thread only: a frame
// draws from the published values and never reaches the plug-in through a control.
#pragma once

#include <array>
#include <atomic>

#include "toolkit/ui_element.h"

namespace TW {

class Control : public ControlBase {
 public:
  Control(gw::ElementHost& window, int parameter, const gw::Box& box);

  void mouseDown(gw::Point point, std::uint32_t modifiers) override;
  void mouseUp(gw::Point point, std::uint32_t modifiers) override;
  void mouseEnter() override;
  void mouseLeave() override;
  // The delivered value is not used: the program holds the value that counts.
  void updateValue(const gw::ParameterDisplayRecord& record, float value) override;

  const gw::ParameterDisplayRecord& record() const { return record_; }
  float value() const { return value_.load(std::memory_order_relaxed); }

 protected:
  void refreshFromProgram();
  void setValue(float v) { value_.store(v, std::memory_order_relaxed); }

  gw::ParameterDisplayRecord record_;

 private:
  std::atomic<float> value_{0.0f};
};

// Vertical drag: 200 design units sweep the range, 2000 with Shift.
class Knob : public Control {
 public:
  Knob(gw::ElementHost& window, int parameter, const gw::Box& box)
      : Control(window, parameter, box) {}

  void mouseDown(gw::Point point, std::uint32_t modifiers) override;
  void mouseDrag(gw::Point point, std::uint32_t modifiers) override;

 protected:
  float originX_ = 0.0f;
  float originY_ = 0.0f;
  float originValue_ = 0.0f;
  float coarse_ = 0.005f;
  float fine_ = 0.0005f;
};

class MultiControl : public ControlBase {
 public:
  static constexpr int kCount = 16;

  MultiControl(gw::ElementHost& window, int firstParameter, const gw::Box& box);

  void updateValue(const gw::ParameterDisplayRecord& record, float value) override;

  int first() const { return records_[0].index; }
  const gw::ParameterDisplayRecord& record(int i) const { return records_[i]; }
  float value(int i) const { return values_[i].load(std::memory_order_relaxed); }

 protected:
  void setValue(int i, float v) { values_[i].store(v, std::memory_order_relaxed); }

  std::array<gw::ParameterDisplayRecord, kCount> records_;

 private:
  std::array<std::atomic<float>, kCount> values_{};
};

}  // namespace TW

// A plug-in stand-in for the toolkit's tests: a small parameter table, the current
// program's values, and a log of the editor-facing calls in order.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/parameter_port.h"
#include "toolkit/pending_changes.h"

namespace gw::test {

class FakePlugin : public ParameterPort {
 public:
  // Rows used by the tests: 0 linear gain 0..1, 1 relative semitones -24..24 (stepped
  // knobs only through their unit's colour, not here), 2 boolean 0..1, 3 indexed 0..4,
  // 17 an empty reserved row, 100..115 a bank of indexed 0..3, 120..135 a bank of signed
  // gains -1..1 with default 0.25; every other row linear 0..1 with default 0.5.
  explicit FakePlugin(PendingChanges& pending) : pending_(pending) {
    for (int i = 0; i < kParameterCount; ++i) values_[i] = parameterInfo(i).defaultValue;
  }

  EditorParameterInfo parameterInfo(int index) const override {
    if (index >= 100 && index < 116) return {"Select", 1, 0.0f, 3.0f, 0.0f};
    if (index >= 120 && index < 136) return {"Level", 14, -1.0f, 1.0f, 0.25f};
    switch (index) {
      case 0:
        return {"Volume", 14, 0.0f, 1.0f, 0.8f};
      case 1:
        return {"Coarse Tune", 10, -24.0f, 24.0f, 0.0f};
      case 2:
        return {"Switch", 2, 0.0f, 1.0f, 0.0f};
      case 3:
        return {"Choice", 1, 0.0f, 4.0f, 0.0f};
      case 17:
        return {"u", 0, 0.0f, 0.0f, 0.0f};
      default:
        return {"Other", 0, 0.0f, 1.0f, 0.5f};
    }
  }
  float currentValue(int index) const override { return values_[index]; }
  float toNormalised(int index, float value) const override {
    const EditorParameterInfo row = parameterInfo(index);
    return row.maximum == row.minimum ? 0.0f : (value - row.minimum) / (row.maximum - row.minimum);
  }
  float toInternal(int index, float v) const override {
    const EditorParameterInfo row = parameterInfo(index);
    return row.minimum + v * (row.maximum - row.minimum);
  }
  void setParameterFromEditor(int index, float value) override {
    values_[index] = value;
    pending_.append(index, value);
    log("automate " + std::to_string(index) + " " + format(value));
  }
  void beginEdit(int index) override { log("begin " + std::to_string(index)); }
  void endEdit(int index) override { log("end " + std::to_string(index)); }
  void updateDisplay() override { log("display"); }
  void parameterDisplay(int index, char* text) override {
    std::snprintf(text, 64, "%.2f", values_[index]);
  }
  void parameterLabel(int, char* text) override { text[0] = 0; }
  ActivityRecord activity() const override { return {}; }

  // A change made by the host (setParameter): store, then notify the editor.
  void hostSets(int index, float value) {
    values_[index] = value;
    pending_.append(index, value);
  }
  // A program change writes every value without queueing.
  void loadProgram(float value) { values_.fill(value); }

  std::vector<std::string> calls;

 private:
  static std::string format(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
  }
  void log(std::string entry) { calls.push_back(std::move(entry)); }

  PendingChanges& pending_;
  std::array<float, kParameterCount> values_{};
};

}  // namespace gw::test

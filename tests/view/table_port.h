// The editor's view of a plug-in over the real parameter table: a program of default
// values and a log of what the editor wrote, in order.
#pragma once

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "params/parameter_model.h"
#include "params/parameter_table.h"
#include "toolkit/parameter_port.h"
#include "toolkit/pending_changes.h"

namespace gw::test {

class TablePort : public ParameterPort {
 public:
  explicit TablePort(PendingChanges& pending) : pending_(pending) {
    for (int i = 0; i < kParameterCount; ++i) values_[i] = kParameterTable[i].defaultValue;
  }

  EditorParameterInfo parameterInfo(int index) const override {
    const ParameterInfo& row = kParameterTable[index];
    return {row.name, static_cast<int>(row.unit), row.minimum, row.maximum, row.defaultValue};
  }
  float currentValue(int index) const override { return values_[index]; }
  float toNormalised(int index, float value) const override {
    return gw::toNormalised(index, value);
  }
  float toInternal(int index, float v) const override { return gw::toInternal(index, v); }
  void setParameterFromEditor(int index, float value) override {
    values_[index] = value;
    pending_.append(index, value);
    writes.emplace_back(index, value);
  }
  void beginEdit(int) override { ++edits; }
  void endEdit(int) override { ++edits; }
  void updateDisplay() override {}
  void parameterDisplay(int index, char* text) override {
    std::snprintf(text, 64, "%g", values_[index]);
  }
  void parameterLabel(int, char* text) override { text[0] = 0; }
  ActivityRecord activity() const override { return {}; }

  std::vector<std::pair<int, float>> writes;
  int edits = 0;

 private:
  PendingChanges& pending_;
  std::array<float, kParameterCount> values_{};
};

}  // namespace gw::test

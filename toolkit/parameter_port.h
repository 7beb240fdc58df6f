// What the editor layers see of the plug-in: its parameter rows, the current program's
// values and the editor-facing operations. The plug-in side implements it; the toolkit,
// the render window and the view never reach the plug-in any other way.
#pragma once

#include <cstdint>

#include "engine/activity_record.h"

namespace gw {

constexpr int kParameterCount = 180;

struct EditorParameterInfo {
  const char* name = "";
  int unit = 0;
  float minimum = 0.0f;
  float maximum = 0.0f;
  float defaultValue = 0.0f;
};

class ParameterPort {
 public:
  virtual ~ParameterPort() = default;
  // Thread: any. index in 0..179.
  virtual EditorParameterInfo parameterInfo(int index) const = 0;
  // Thread: any. The current program's value in the parameter's own unit.
  virtual float currentValue(int index) const = 0;
  // Thread: any. Conversions between the parameter's unit and 0..1.
  virtual float toNormalised(int index, float value) const = 0;
  virtual float toInternal(int index, float normalised) const = 0;
  // Thread: UI. Store, notify the editor's listeners and automate the host.
  virtual void setParameterFromEditor(int index, float value) = 0;
  // Thread: UI. The host's edit gesture and display refresh.
  virtual void beginEdit(int index) = 0;
  virtual void endEdit(int index) = 0;
  virtual void updateDisplay() = 0;
  // Thread: render or UI. Texts of at most 63 characters plus the terminator.
  virtual void parameterDisplay(int index, char* text) = 0;
  virtual void parameterLabel(int index, char* text) = 0;
  // Thread: render.
  virtual ActivityRecord activity() const = 0;
};

// One parameter as the controls see it; a control keeps its own copy.
struct ParameterDisplayRecord {
  std::int32_t index = 0;
  char name[32] = {};
  int unit = 0;
  float minimum = 0.0f;
  float maximum = 0.0f;
  float defaultValue = 0.0f;
  ParameterPort* effect = nullptr;

  // A row with range and default all zero has no meaning for the controls.
  bool isEmpty() const { return minimum == 0.0f && maximum == 0.0f && defaultValue == 0.0f; }
};

ParameterDisplayRecord makeDisplayRecord(ParameterPort& port, int index);

}  // namespace gw

// The parts of a parameter port that every format answers alike, from the parameter table:
// the rows, the conversions, the labels and the display texts of the current values. A
// format's port (the VST module's, the LV2 UI's) adds where values come from and where
// the editor's writes and gestures go.
#pragma once

#include <cstddef>

#include "toolkit/parameter_port.h"

namespace gw {

class TableParameterPort : public ParameterPort {
 public:
  EditorParameterInfo parameterInfo(int index) const override;
  float toNormalised(int index, float value) const override;
  float toInternal(int index, float normalised) const override;
  // The text every format shows for currentValue(index).
  void parameterDisplay(int index, char* text) override;
  void parameterLabel(int index, char* text) override;

  // What the port's texts hold at most, terminator included.
  static constexpr std::size_t kTextBytes = 64;
};

}  // namespace gw

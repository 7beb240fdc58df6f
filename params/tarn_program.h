// One program: a name and the 180 parameter values in internal units.
#pragma once

#include "params/param_view.h"
#include "params/parameter_ids.h"

class TarnProgram {
 public:
  virtual ~TarnProgram() = default;
  // Stores the value (ignored for an index outside 0..179) and returns the index.
  // Thread: any.
  virtual int setValue(int index, float value) = 0;
  // 0 for an index outside 0..179. Thread: any.
  virtual float getValue(int index) const = 0;
  // Keeps at most 31 characters. Thread: UI.
  virtual void setName(const char* name) = 0;
  // Thread: UI.
  virtual const char* getName() const = 0;
};

class TarnProgramBasic : public TarnProgram {
 public:
  static constexpr int kNameSize = 32;

  TarnProgramBasic();
  int setValue(int index, float value) override;
  float getValue(int index) const override;
  void setName(const char* name) override;
  const char* getName() const override { return name_; }

  // The values as the engine reads them (gw::ParamView).
  const gw::ParamValue* values() const { return values_; }

 private:
  // Written by host and editor threads while the audio thread reads: relaxed atomics.
  gw::ParamValue values_[gw::param::kCount];
  char name_[kNameSize] = {};
};

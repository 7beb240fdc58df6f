// Sets the process-wide "Enable eye candy" switch for one test and restores it after.
#pragma once

#include "gfx/display_flags.h"

namespace gw::test {

class EyeCandySwitch {
 public:
  explicit EyeCandySwitch(bool on) : saved_(flag().exchange(on)) {}
  ~EyeCandySwitch() { flag().store(saved_); }
  EyeCandySwitch(const EyeCandySwitch&) = delete;
  EyeCandySwitch& operator=(const EyeCandySwitch&) = delete;

 private:
  static std::atomic<bool>& flag() { return displayFlags().eyeCandy; }
  bool saved_;
};

}  // namespace gw::test

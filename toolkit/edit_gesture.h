// The host's edit gestures opened during one press. A press may edit several parameters
// (painting across a bank of bars): each is begun once, when the press first reaches it,
// and ended once at the end, so the host always sees balanced pairs and no touch
// automation stays latched.
#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>

#include "toolkit/parameter_port.h"

namespace gw {

// One write in a gesture of its own: begin-edit, the write, end-edit. For writes that no
// press on the parameter's own control frames (the waveform buttons' levels), so a host
// records each in Touch mode and undoes it as one change. Thread: UI.
void writeInGesture(ParameterPort& port, int index, float value);

class EditGesture {
 public:
  // active: the window's activeParam, which the status line reads.
  EditGesture(ParameterPort& port, std::atomic<std::int32_t>& active)
      : port_(port), active_(active) {}

  // Thread: UI. Sends begin-edit unless this press has already begun index; index
  // becomes the active parameter either way.
  void begin(int index);
  // Thread: UI. Sends end-edit for every parameter begun here, in the order begun, and
  // for an active parameter that a control began on its own; none is active afterwards.
  void endAll();
  bool isOpen(int index) const { return index >= 0 && index < kParameterCount && open_[index]; }

 private:
  ParameterPort& port_;
  std::atomic<std::int32_t>& active_;
  std::bitset<kParameterCount> open_;
  std::array<std::int16_t, kParameterCount> order_{};
  int count_ = 0;
};

}  // namespace gw

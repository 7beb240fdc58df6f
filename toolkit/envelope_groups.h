// The envelope editors: knobs for an envelope's times, shapes and levels around a small
// picture of its curve. Knobs are 20 units at a pitch of 22; the view sets the offsets.
#pragma once

#include "toolkit/effect_requests.h"
#include "toolkit/env_display.h"
#include "toolkit/named_group.h"

namespace TW {

// Knobs of size 20 on a pitch of 22, shared by the envelope groups and the view.
constexpr float kKnobSize = 20.0f;
constexpr float kKnobPitch = 22.0f;

// A five-stage harmonic envelope whose 14 parameters start at first: times on the upper
// knob row, levels between the stages they join, shapes below, the curve on top.
class EnvGroup : public NamedGroup {
 public:
  EnvGroup(gw::ElementHost& window, const char* title, const ControlEffects& effects, int first);
  EnvDisplay& display() const { return *display_; }

 private:
  EnvDisplay* display_;
};

// "Amplitude": attack, decay, sustain and release with their shapes. Its attack always
// rises to full level, which no parameter holds.
class AdsrGroup : public NamedGroup {
 public:
  AdsrGroup(gw::ElementHost& window, const ControlEffects& effects);
  EnvDisplay& display() const { return *display_; }

 private:
  EnvDisplay* display_;
};

// An untitled linear ADSR (pulse-width and filter envelopes): attack, decay, release at
// first, first + 1, first + 2 and sustain at first + 7.
class AdsrGroupNoShape : public Group {
 public:
  AdsrGroupNoShape(gw::ElementHost& window, const ControlEffects& effects, int first);
  EnvDisplay& display() const { return *display_; }

 private:
  EnvDisplay* display_;
};

}  // namespace TW

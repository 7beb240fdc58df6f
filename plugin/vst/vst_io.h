// Reading host events and filling pin descriptions without the ABI header: the record
// layouts stay in dispatcher.cpp, and plug-in classes see only these plain values.
#pragma once

#include <cstdint>

#include "plugin/vst/vst_types.h"

namespace gw {

struct MidiMessage {
  std::uint8_t status;
  std::uint8_t data1;
  std::uint8_t data2;
  std::int32_t deltaFrames;
};

// Number of events in the host's list; 0 for a null list. Thread: audio.
int eventCount(const vst::VstEvents* events);
// The MIDI bytes of event i; false for other event types, null entries or a bad i.
// Thread: audio.
bool midiMessageAt(const vst::VstEvents* events, int i, MidiMessage& message);

// Writes the label (terminated, cut to fit) and the active/stereo flags. Thread: UI.
void setPinProperties(vst::VstPinProperties* pin, const char* label, bool active, bool stereo);

}  // namespace gw

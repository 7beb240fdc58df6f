// What the instrument takes from MIDI: note on, note off, and the two controllers that
// release every note. The channel is ignored (the instrument is omni).
#pragma once

#include <cstdint>

#include "plugin/vst/vst_io.h"

namespace gw {

struct NoteRequest {
  enum class Kind { NoteOn, NoteOff, ReleaseAll };
  Kind kind;
  std::uint8_t note;  // 0..127; 0 for ReleaseAll
  float velocity;     // 0..1; 0 for NoteOff and ReleaseAll
};

// False for every message the instrument ignores. Thread: audio.
bool decodeMidi(const MidiMessage& message, NoteRequest& request);

}  // namespace gw

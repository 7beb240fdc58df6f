#include "plugin/midi_input.h"

namespace gw {
namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kAllNotesOff = 123;
constexpr std::uint8_t kMonoModeOn = 126;       // implies all notes off
constexpr float kVelocityScale = 0.007874016f;  // 1/127

}  // namespace

bool decodeMidi(const MidiMessage& message, NoteRequest& request) {
  const std::uint8_t kind = message.status & 0xF0;
  const auto note = static_cast<std::uint8_t>(message.data1 & 0x7F);
  const auto velocity = static_cast<std::uint8_t>(message.data2 & 0x7F);
  if (kind == kNoteOn && velocity > 0) {
    request = {NoteRequest::Kind::NoteOn, note, velocity * kVelocityScale};
    return true;
  }
  if (kind == kNoteOff || kind == kNoteOn) {
    request = {NoteRequest::Kind::NoteOff, note, 0.0f};
    return true;
  }
  if (kind == kControlChange && (note == kAllNotesOff || note == kMonoModeOn)) {
    request = {NoteRequest::Kind::ReleaseAll, 0, 0.0f};
    return true;
  }
  return false;
}

}  // namespace gw

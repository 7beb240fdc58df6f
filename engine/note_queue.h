// The ring of note commands between the MIDI path and the render routine, each command
// with the frame of the block it belongs at.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace gw {

enum class NoteKind : std::int32_t {
  NoteOn = 0,
  NoteOff = 1,
  ReleaseAll = 2,
  HardReset = 3,
  PedalChange = 4,
  PitchBend = 5,         // note: the wheel's 14-bit position
  AllSoundOff = 6,       // controller 120
  ResetControllers = 7,  // controller 121
};

struct NoteCommand {
  std::int32_t kind;       // a NoteKind; unknown kinds act as HardReset
  std::int32_t note;       // 0..127; for PedalChange the low byte is the pedal state
  float velocity;          // NoteOn: MIDI velocity / 127
  std::int32_t frame = 0;  // the sample of the next rendered block it takes effect at
};
static_assert(sizeof(NoteCommand) == 16);

// 1/127 in single precision: velocities 1..127 map to (0, 1].
constexpr float kVelocityScale = 0.007874016f;

// Single producer, single consumer, no lock. Room for a whole dense block of a host's
// events (a sequencer's chord runs, a controller sweep): a command is refused only when the
// ring is filled to its kind's share, so past capacity note-ons go first and what ends a
// sound (note-offs, pedal-ups, all notes or sounds off, reset) last, and no voice is left
// stuck for want of room. The read index names the slot consumed last, so "full" and
// "empty" stay distinguishable.
class NoteOnOffQueue {
 public:
  static constexpr std::int32_t kSlots = 2048;
  // Pending commands at which each kind is refused: what starts or colours a sound first,
  // what ends one only when the ring is full.
  static constexpr std::int32_t kStartLimit = 1536;
  static constexpr std::int32_t kChangeLimit = 1792;
  static constexpr std::int32_t kEndLimit = kSlots - 1;

  // Thread: audio (the producer). False when the command was refused for want of room; it
  // is then counted, never printed (the audio thread writes to no stream).
  bool Write(NoteKind kind, std::int32_t note, float velocity, std::int32_t frame = 0);

  // Thread: audio (the consumer). Takes the oldest pending command; false when empty.
  bool read(NoteCommand& out);

  // Commands refused since construction. Thread: any.
  std::uint32_t refused() const { return refused_.load(std::memory_order_relaxed); }

 private:
  std::array<NoteCommand, kSlots> slots_{};
  std::atomic<std::int32_t> readIndex_{kSlots - 1};
  std::atomic<std::int32_t> writeIndex_{0};
  std::atomic<std::uint32_t> refused_{0};
};

}  // namespace gw

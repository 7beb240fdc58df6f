// The fixed ring of note commands between the MIDI path and the render routine.
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
};

struct NoteCommand {
  std::int32_t kind;  // a NoteKind; unknown kinds act as HardReset
  std::int32_t note;  // 0..127; for PedalChange the low byte is the pedal state
  float velocity;     // NoteOn: MIDI velocity / 127
};
static_assert(sizeof(NoteCommand) == 12);

// 1/127 in single precision: velocities 1..127 map to (0, 1].
constexpr float kVelocityScale = 0.007874016f;

// Single producer, single consumer, no lock. Holds at most 63 pending commands: the
// read index names the slot consumed last, so "full" and "empty" stay distinguishable.
class NoteOnOffQueue {
 public:
  static constexpr std::int32_t kSlots = 64;

  // Thread: audio (the producer). Returns false and reports on standard error when full;
  // the command is then lost.
  bool Write(NoteKind kind, std::int32_t note, float velocity);

  // Thread: audio (the consumer). Takes the oldest pending command; false when empty.
  bool read(NoteCommand& out);

 private:
  std::array<NoteCommand, kSlots> slots_{};
  std::atomic<std::int32_t> readIndex_{kSlots - 1};
  std::atomic<std::int32_t> writeIndex_{0};
};

}  // namespace gw

#include "engine/note_queue.h"

namespace gw {
namespace {

std::int32_t limitFor(NoteKind kind) {
  switch (kind) {
    case NoteKind::NoteOn:
      return NoteOnOffQueue::kStartLimit;
    case NoteKind::PitchBend:
      return NoteOnOffQueue::kChangeLimit;
    default:
      return NoteOnOffQueue::kEndLimit;
  }
}

}  // namespace

bool NoteOnOffQueue::Write(NoteKind kind, std::int32_t note, float velocity, std::int32_t frame) {
  const std::int32_t write = writeIndex_.load(std::memory_order_relaxed);
  const std::int32_t read = readIndex_.load(std::memory_order_acquire);
  // Pending commands: those between the slot consumed last and the one written next.
  const std::int32_t pending = (write - read - 1 + kSlots) % kSlots;
  // A pedal going down starts nothing that could stick; one going up ends sounds.
  std::int32_t limit = limitFor(kind);
  if (kind == NoteKind::PedalChange && (note & 0xFF) != 0) limit = kChangeLimit;
  if (pending >= limit) {
    refused_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  slots_[write] = NoteCommand{static_cast<std::int32_t>(kind), note, velocity, frame};
  writeIndex_.store(write + 1 == kSlots ? 0 : write + 1, std::memory_order_release);
  return true;
}

bool NoteOnOffQueue::read(NoteCommand& out) {
  const std::int32_t current = readIndex_.load(std::memory_order_relaxed);
  const std::int32_t next = current + 1 == kSlots ? 0 : current + 1;
  if (next == writeIndex_.load(std::memory_order_acquire)) return false;
  out = slots_[next];
  // Publishing the slot as consumed only after the copy keeps the writer off it.
  readIndex_.store(next, std::memory_order_release);
  return true;
}

}  // namespace gw

#include "engine/note_queue.h"

#include <cstdio>

namespace gw {

bool NoteOnOffQueue::Write(NoteKind kind, std::int32_t note, float velocity) {
  const std::int32_t write = writeIndex_.load(std::memory_order_relaxed);
  if (write == readIndex_.load(std::memory_order_acquire)) {
    // The one message the audio thread may print: a lost command is worth knowing about.
    std::fputs("TarnAdditiveSynth::NoteOnOffQueue::Write() overflow\n", stderr);
    return false;
  }
  slots_[write] = NoteCommand{static_cast<std::int32_t>(kind), note, velocity};
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

#include "host/render/schedule.h"

#include <algorithm>
#include <cmath>

namespace gw::render {

std::int64_t frameOf(double seconds, double sampleRate) {
  return std::llround(seconds * sampleRate);
}

EventScheduler::EventScheduler(const Sequence& sequence, double sampleRate)
    : sequence_(sequence), sampleRate_(sampleRate) {
  endFrame_ = frameOf(sequence.endSeconds, sampleRate);
  if (!sequence.events.empty())
    endFrame_ = std::max(endFrame_, frameOf(sequence.events.back().seconds, sampleRate));
}

void EventScheduler::take(std::int64_t blockStart, std::int32_t frames,
                          std::vector<host::Plugin::MidiEvent>& out) {
  out.clear();
  const std::int64_t blockEnd = blockStart + frames;
  while (next_ < sequence_.events.size()) {
    const TimedMidi& event = sequence_.events[next_];
    // Events before this block (a caller that skipped ahead) go at its start.
    const std::int64_t frame = std::max(frameOf(event.seconds, sampleRate_), blockStart);
    if (frame >= blockEnd) break;
    host::Plugin::MidiEvent midi{};
    std::copy(event.bytes, event.bytes + 3, midi.bytes);
    if (event.size < 3) midi.bytes[2] = 0;
    midi.deltaFrames = static_cast<std::int32_t>(frame - blockStart);
    out.push_back(midi);
    ++next_;
  }
}

}  // namespace gw::render

#include "host/standalone/jack_schedule.h"

#include <algorithm>
#include <cmath>

namespace gw::standalone {
namespace {

// Words before the pointer array in VstEvents (numEvents, reserved).
constexpr std::size_t kHeaderWords = offsetof(vst::VstEvents, events) / sizeof(vst::VstEvent*);

}  // namespace

EventBlock::EventBlock()
    : events_(kCapacity), storage_(kHeaderWords + static_cast<std::size_t>(kCapacity)) {}

bool EventBlock::add(const std::uint8_t* bytes, std::size_t size, std::int32_t deltaFrames) {
  if (size == 0 || size > 3) return false;
  if (count_ >= kCapacity) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  vst::VstMidiEvent& event = events_[static_cast<std::size_t>(count_++)];
  event = {};
  event.type = vst::kVstMidiType;
  event.byteSize = static_cast<std::int32_t>(sizeof(vst::VstMidiEvent) - 2 * sizeof(std::int32_t));
  event.deltaFrames = std::max<std::int32_t>(deltaFrames, 0);
  for (std::size_t b = 0; b < size; ++b) event.midiData[b] = static_cast<char>(bytes[b]);
  return true;
}

vst::VstEvents* EventBlock::list() {
  auto* header = reinterpret_cast<vst::VstEvents*>(storage_.data());
  header->numEvents = count_;
  header->reserved = 0;
  vst::VstEvent** slots = header->events;
  // Live input and the file each arrive in time order; merge them by insertion, which
  // keeps equal times in arrival order.
  for (int i = 0; i < count_; ++i) {
    auto* event = reinterpret_cast<vst::VstEvent*>(&events_[static_cast<std::size_t>(i)]);
    int j = i;
    while (j > 0 && slots[j - 1]->deltaFrames > event->deltaFrames) {
      slots[j] = slots[j - 1];
      --j;
    }
    slots[j] = event;
  }
  return header;
}

void FrameSchedule::load(const render::Sequence& sequence, double sampleRate) {
  events_.clear();
  next_ = 0;
  for (const render::TimedMidi& midi : sequence.events) {
    if (midi.size == 0 || midi.size > 3 || !std::isfinite(midi.seconds)) continue;
    Event event{};
    event.frame = std::llround(std::max(midi.seconds, 0.0) * sampleRate);
    std::copy_n(midi.bytes, midi.size, event.bytes);
    event.size = midi.size;
    events_.push_back(event);
  }
  // The file's events are in playing order already; equal frames keep their order.
  std::stable_sort(events_.begin(), events_.end(),
                   [](const Event& a, const Event& b) { return a.frame < b.frame; });
  endFrame_ = std::llround(std::max(sequence.endSeconds, 0.0) * sampleRate);
  if (!events_.empty()) endFrame_ = std::max(endFrame_, events_.back().frame);
}

bool FrameSchedule::take(std::int64_t position, std::int32_t frames, EventBlock& block) {
  const std::int64_t end = position + frames;
  while (next_ < events_.size() && events_[next_].frame < end) {
    const Event& event = events_[next_++];
    const std::int64_t offset = std::max<std::int64_t>(event.frame - position, 0);
    block.add(event.bytes, event.size, static_cast<std::int32_t>(offset));
  }
  return next_ >= events_.size() && end > endFrame_;
}

}  // namespace gw::standalone

// MIDI for the module on the audio thread: a MIDI file's events laid out in frames, and a
// fixed-capacity event list handed to effProcessEvents, both free of allocation once built.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/render/midi_file.h"
#include "plugin/vst/aeffect.h"

namespace gw::standalone {

// One cycle's MIDI for the module. Events beyond the capacity are dropped and counted.
class EventBlock {
 public:
  static constexpr int kCapacity = 512;
  EventBlock();
  EventBlock(const EventBlock&) = delete;
  EventBlock& operator=(const EventBlock&) = delete;

  // Thread: audio
  void clear() { count_ = 0; }
  // Thread: audio. Channel messages of 1 to 3 bytes; false (and counted) when full.
  bool add(const std::uint8_t* bytes, std::size_t size, std::int32_t deltaFrames);
  int size() const { return count_; }
  // Thread: audio. The list as effProcessEvents takes it.
  vst::VstEvents* list();
  // Thread: any
  std::uint32_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  std::vector<vst::VstMidiEvent> events_;
  std::vector<vst::VstEvent*> storage_;  // VstEvents header words, then the pointers
  int count_ = 0;
  std::atomic<std::uint32_t> dropped_{0};
};

// A MIDI file's events in frames from the start of playback.
class FrameSchedule {
 public:
  struct Event {
    std::int64_t frame;
    std::uint8_t bytes[3];
    std::uint8_t size;
  };
  // Thread: UI (before playback starts)
  void load(const render::Sequence& sequence, double sampleRate);
  bool empty() const { return events_.empty(); }
  std::int64_t endFrame() const { return endFrame_; }

  // Thread: audio. Adds the events of [position, position + frames) with their offsets
  // in the cycle and moves on; true once every event has been handed out.
  bool take(std::int64_t position, std::int32_t frames, EventBlock& block);

 private:
  std::vector<Event> events_;
  std::size_t next_ = 0;
  std::int64_t endFrame_ = 0;
};

}  // namespace gw::standalone

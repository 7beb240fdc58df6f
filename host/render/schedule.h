// Hands out a sequence's events block by block, each with its frame offset in the block,
// as a host's transport does during playback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/host_library.h"
#include "host/render/midi_file.h"

namespace gw::render {

// The frame nearest to a time.
std::int64_t frameOf(double seconds, double sampleRate);

class EventScheduler {
 public:
  EventScheduler(const Sequence& sequence, double sampleRate);

  // Replaces out with the events whose frames fall in [blockStart, blockStart + frames).
  // Blocks are asked for in order; an event never comes twice.
  void take(std::int64_t blockStart, std::int32_t frames,
            std::vector<host::Plugin::MidiEvent>& out);

  // The frame at which the sequence ends (its last event or end of track).
  std::int64_t endFrame() const { return endFrame_; }

 private:
  const Sequence& sequence_;
  double sampleRate_;
  std::size_t next_ = 0;
  std::int64_t endFrame_ = 0;
};

}  // namespace gw::render

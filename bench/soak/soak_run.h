// One soak run: an instance of the module played for a long stretch with dense random
// MIDI and random automation, timed block by block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_library.h"

namespace gw::soak {

struct Settings {
  float sampleRate = 44100.0f;
  double minutes = 60.0;
  std::int32_t blockFrames = 512;
  std::uint32_t seed = 1;
};

// Per minute of audio: the processor time its blocks took and what came out.
struct MinuteStats {
  double meanBlockNs = 0.0;
  double maxBlockNs = 0.0;
  double peak = 0.0;
  long nonFinite = 0;
};

struct Result {
  std::vector<MinuteStats> minutes;
  double wallSeconds = 0.0;
  long rssAfterFirstMinuteKb = 0;
  long rssAtEndKb = 0;
};

Result run(host::Plugin& plugin, const Settings& settings);

}  // namespace gw::soak

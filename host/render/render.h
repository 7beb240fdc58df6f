// The render loop: a sequence played through an instance block by block, then a release
// tail that ends once the output has stayed silent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/host_library.h"
#include "host/render/midi_file.h"
#include "host/render/options.h"

namespace gw::render {

struct RenderSettings {
  double sampleRate = 44100.0;
  std::int32_t blockSize = 512;
  double maxTailSeconds = 30.0;
  double silenceSeconds = 0.5;
  float silenceLevel = 1e-5f;  // -100 dBFS
  float gain = 1.0f;           // applied to the module's output before it is measured
};

struct ChannelLevels {
  float peak = 0.0f;
  double sumOfSquares = 0.0;
  std::int64_t nonFinite = 0;  // NaN or infinite samples, left out of peak and RMS
};

struct RenderSummary {
  std::int64_t frames = 0;
  double wallSeconds = 0.0;
  bool tailCapped = false;
  ChannelLevels levels[2];
  std::uint32_t refusedMidi = 0;  // MIDI the module refused, more than a block could hold
};

// Receives each rendered block; false stops the render as failed.
using BlockSink = std::function<bool(const float* left, const float* right, std::int32_t frames)>;

bool renderSequence(host::Plugin& plugin, const Sequence& sequence, const RenderSettings& settings,
                    const BlockSink& sink, RenderSummary& summary, std::string& error);

// One line: file, duration, format, peak and RMS per channel in dBFS, real-time factor.
std::string summaryLine(const std::string& path, const RenderSummary& summary, double sampleRate,
                        SampleFormat format);

}  // namespace gw::render

#include "host/render/render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "host/render/schedule.h"

namespace gw::render {

namespace {

void measure(const float* samples, std::int32_t frames, ChannelLevels& levels) {
  for (std::int32_t i = 0; i < frames; ++i) {
    const float v = samples[i];
    if (!std::isfinite(v)) {
      ++levels.nonFinite;
      continue;
    }
    levels.peak = std::max(levels.peak, std::fabs(v));
    levels.sumOfSquares += static_cast<double>(v) * v;
  }
}

// Frames at the end of the block that are below the level in both channels; the whole
// block when all are.
std::int32_t quietTail(const float* left, const float* right, std::int32_t frames, float level) {
  std::int32_t quiet = 0;
  for (std::int32_t i = frames - 1; i >= 0; --i) {
    // NaN compares false, so it counts as sound, never as silence.
    if (!(std::fabs(left[i]) < level && std::fabs(right[i]) < level)) break;
    ++quiet;
  }
  return quiet;
}

std::string decibels(double linear) {
  if (linear <= 0.0) return "-inf";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 20.0 * std::log10(linear));
  return text;
}

}  // namespace

bool renderSequence(host::Plugin& plugin, const Sequence& sequence, const RenderSettings& settings,
                    const BlockSink& sink, RenderSummary& summary, std::string& error) {
  summary = {};
  EventScheduler scheduler(sequence, settings.sampleRate);
  const std::int32_t block = settings.blockSize;
  const std::int64_t endFrame = scheduler.endFrame();
  const std::int64_t tailCap =
      endFrame + std::llround(settings.maxTailSeconds * settings.sampleRate);
  const std::int64_t silenceNeeded = std::llround(settings.silenceSeconds * settings.sampleRate);
  std::vector<float> left(block), right(block);
  std::vector<host::Plugin::MidiEvent> events;
  std::int64_t quietFrames = 0;

  const auto start = std::chrono::steady_clock::now();
  std::int64_t frame = 0;
  while (true) {
    if (frame >= endFrame) {
      if (quietFrames >= silenceNeeded) break;
      if (frame >= tailCap) {
        summary.tailCapped = true;
        break;
      }
    }
    scheduler.take(frame, block, events);
    if (!events.empty()) plugin.sendMidi(events);
    plugin.process(left.data(), right.data(), block);
    if (settings.gain != 1.0f) {
      for (std::int32_t i = 0; i < block; ++i) {
        left[i] *= settings.gain;
        right[i] *= settings.gain;
      }
    }
    const std::int32_t quiet = quietTail(left.data(), right.data(), block, settings.silenceLevel);
    quietFrames = quiet == block ? quietFrames + block : quiet;
    measure(left.data(), block, summary.levels[0]);
    measure(right.data(), block, summary.levels[1]);
    if (!sink(left.data(), right.data(), block)) {
      error = "writing the output failed (disk full?)";
      return false;
    }
    frame += block;
  }
  summary.frames = frame;
  summary.refusedMidi = plugin.refusedMidi();
  summary.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}

std::string summaryLine(const std::string& path, const RenderSummary& summary, double sampleRate,
                        SampleFormat format) {
  const double seconds = static_cast<double>(summary.frames) / sampleRate;
  std::string rms[2];
  for (int c = 0; c < 2; ++c) {
    const double valid = static_cast<double>(summary.frames - summary.levels[c].nonFinite);
    rms[c] = decibels(valid > 0 ? std::sqrt(summary.levels[c].sumOfSquares / valid) : 0.0);
  }
  const double speed = seconds / std::max(summary.wallSeconds, 1e-6);
  char refused[96] = "";
  if (summary.refusedMidi > 0) {
    std::snprintf(refused, sizeof refused,
                  "; WARNING: the module refused %u MIDI events (too many in one block)",
                  summary.refusedMidi);
  }
  char line[640];
  std::snprintf(line, sizeof line,
                ": %.2f s, %.0f Hz stereo %s; peak L %s R %s dBFS; RMS L %s R %s dBFS; "
                "%.1fx real time%s%s%s",
                seconds, sampleRate, formatName(format), decibels(summary.levels[0].peak).c_str(),
                decibels(summary.levels[1].peak).c_str(), rms[0].c_str(), rms[1].c_str(), speed,
                summary.tailCapped ? "; tail cut at its cap (notes still sounding?)" : "",
                summary.levels[0].nonFinite + summary.levels[1].nonFinite > 0
                    ? "; WARNING: non-finite samples in the output"
                    : "",
                refused);
  return path + line;
}

}  // namespace gw::render

#include "host/render/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace gw::render {

struct LoudnessMeter::State {
  ebur128_state* meter = nullptr;
  ~State() {
    if (meter != nullptr) ebur128_destroy(&meter);
  }
};

LoudnessMeter::LoudnessMeter() : state_(std::make_unique<State>()) {}

LoudnessMeter::~LoudnessMeter() = default;

bool LoudnessMeter::start(double sampleRate, std::string& error) {
  state_ = std::make_unique<State>();
  state_->meter = ebur128_init(2, static_cast<unsigned long>(sampleRate),
                               EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
  if (state_->meter == nullptr) {
    error =
        "the loudness meter cannot measure at " + std::to_string(std::lround(sampleRate)) + " Hz";
    return false;
  }
  return true;
}

void LoudnessMeter::add(const float* left, const float* right, std::int32_t frames) {
  if (state_->meter == nullptr || frames <= 0) return;
  interleaved_.resize(2 * static_cast<std::size_t>(frames));
  const auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
  for (std::int32_t i = 0; i < frames; ++i) {
    interleaved_[2 * i] = finite(left[i]);
    interleaved_[2 * i + 1] = finite(right[i]);
  }
  ebur128_add_frames_float(state_->meter, interleaved_.data(), static_cast<std::size_t>(frames));
}

double LoudnessMeter::integratedLufs() const {
  double lufs = -std::numeric_limits<double>::infinity();
  if (state_->meter == nullptr || ebur128_loudness_global(state_->meter, &lufs) != EBUR128_SUCCESS)
    return -std::numeric_limits<double>::infinity();
  return lufs;
}

double LoudnessMeter::truePeak() const {
  double peak = 0.0;
  for (unsigned channel = 0; state_->meter != nullptr && channel < 2; ++channel) {
    double channelPeak = 0.0;
    if (ebur128_true_peak(state_->meter, channel, &channelPeak) == EBUR128_SUCCESS)
      peak = std::max(peak, channelPeak);
  }
  return peak;
}

std::string decibelText(double decibels) {
  if (!(decibels > -1000.0)) return "-inf";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", decibels);
  return text;
}

}  // namespace gw::render

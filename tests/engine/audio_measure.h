// What a listener hears, measured: pitch, level, timing, finiteness.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace gw::test {

// Frequency from the time between the first and last upward zero crossing in [from, to).
inline double zeroCrossingFrequency(const std::vector<float>& x, double sampleRate, size_t from,
                                    size_t to) {
  double first = -1.0, last = -1.0;
  int crossings = 0;
  for (size_t i = std::max<size_t>(from, 1); i < std::min(to, x.size()); ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      const double t = (i - 1) + x[i - 1] / (x[i - 1] - x[i]);  // linear interpolation
      if (first < 0.0) first = t;
      last = t;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * sampleRate / (last - first);
}

inline float peak(const std::vector<float>& x, size_t from, size_t to) {
  float p = 0.0f;
  for (size_t i = from; i < std::min(to, x.size()); ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

inline double rms(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0.0;
  size_t n = 0;
  for (size_t i = from; i < std::min(to, x.size()); ++i, ++n) s += double(x[i]) * x[i];
  return n ? std::sqrt(s / n) : 0.0;
}

inline bool allFinite(const std::vector<float>& x) {
  return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
}

// Amplitude of the component at frequency f over [from, to) (a single DFT bin, Hann window).
inline double toneAmplitude(const std::vector<float>& x, double sampleRate, double f, size_t from,
                            size_t to) {
  std::complex<double> acc = 0.0;
  double wsum = 0.0;
  const size_t n = to - from;
  for (size_t i = 0; i < n; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
    acc += w * double(x[from + i]) * std::polar(1.0, -2.0 * std::numbers::pi * f * i / sampleRate);
    wsum += w;
  }
  return 2.0 * std::abs(acc) / wsum;
}

}  // namespace gw::test

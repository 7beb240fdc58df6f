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

// In-place radix-2 FFT; the size must be a power of two.
inline void fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / len);
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], t = a[i + k + len / 2] * w;
        a[i + k] = u + t;
        a[i + k + len / 2] = u - t;
      }
    }
  }
}

// A coarse spectrogram of [from, to): for each frame of `frame` samples (Hann window), the
// level in dB (floored at -90) of `bands` bands spaced evenly in log frequency from 50 Hz to
// 16 kHz. Frames follow each other in the result.
inline std::vector<double> spectrogramDb(const std::vector<float>& x, double sampleRate,
                                         size_t from, size_t to, size_t frame = 4096,
                                         int bands = 24) {
  std::vector<double> out;
  const double lowHz = 50.0, highHz = 16000.0;
  for (size_t start = from; start + frame <= std::min(to, x.size()); start += frame) {
    std::vector<std::complex<double>> a(frame);
    for (size_t i = 0; i < frame; ++i)
      a[i] = x[start + i] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / frame));
    fft(a);
    std::vector<double> energy(bands, 0.0);
    for (size_t k = 1; k < frame / 2; ++k) {
      const double hz = k * sampleRate / frame;
      if (hz < lowHz || hz >= highHz) continue;
      const int band = static_cast<int>(bands * std::log(hz / lowHz) / std::log(highHz / lowHz));
      energy[band] += std::norm(a[k]) / (frame * frame);
    }
    for (double e : energy) out.push_back(std::max(10.0 * std::log10(e + 1e-30), -90.0));
  }
  return out;
}

// Mean absolute difference in dB between two spectrograms of the same shape.
inline double spectralDistance(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) sum += std::fabs(a[i] - b[i]);
  return a.empty() ? 0.0 : sum / std::min(a.size(), b.size());
}

}  // namespace gw::test

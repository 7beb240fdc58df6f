#include "toolkit/additive_waveform.h"

#include <cmath>

#include "engine/oscillator.h"
#include "params/parameter_ids.h"
#include "toolkit/element_host.h"
#include "toolkit/gl_shapes.h"

namespace TW {

float AdditiveWaveform::computeCurve(const std::array<float, kHarmonics>& levels, float pulseWidth,
                                     std::array<float, kPoints>& y) {
  gw::Float4 numbers[4];
  gw::Float4 gains[4];
  for (int g = 0; g < 4; ++g) {
    numbers[g] = gw::harmonicNumbers(g);
    const float* l = &levels[4 * g];
    gains[g] = gw::Float4::make(l[0], l[1], l[2], l[3]);
  }
  // The last point reaches the end of the cycle; the start is nudged off zero as the
  // oscillator's phase never sits exactly there.
  const float step = 1.0f / (kPoints - 1);
  float peak = 1e-10f;
  for (int i = 0; i < kPoints; ++i) {
    const float phase = 1e-10f + static_cast<float>(i) * step;
    const gw::Float4 warped = gw::Float4::splat(gw::phaseWarp(phase, pulseWidth));
    gw::Float4 sum = gains[0] * gw::fastSine(numbers[0] * warped);
    for (int g = 1; g < 4; ++g) sum = sum + gains[g] * gw::fastSine(numbers[g] * warped);
    y[i] = gw::sumLanes(sum);
    peak = std::fmax(peak, std::fabs(y[i]));
  }
  return peak;
}

AdditiveWaveform::AdditiveWaveform(gw::ElementHost& window, float x, float y, float height)
    : UIElement(window), box_(gw::Box::of(x, y, x + kPoints, y + height)) {
  for (int k = 1; k <= kHarmonics; ++k) window.dispatcher().addListener(gw::param::level(k), this);
  window.dispatcher().addListener(gw::param::kPulseWidth, this);
}

void AdditiveWaveform::updateValue(const gw::ParameterDisplayRecord& record, float value) {
  const int d = record.index - gw::param::level(1);
  if (d >= 0 && d < kHarmonics) {
    levels_[d].store(value, std::memory_order_relaxed);
  } else {
    pulseWidth_.store(value, std::memory_order_relaxed);
  }
  dirty_.store(true, std::memory_order_release);
}

bool AdditiveWaveform::refreshCurve() {
  if (!dirty_.exchange(false, std::memory_order_acquire)) return false;
  std::array<float, kHarmonics> levels;
  for (int k = 0; k < kHarmonics; ++k) levels[k] = levels_[k].load(std::memory_order_relaxed);
  peak_ = computeCurve(levels, pulseWidth_.load(std::memory_order_relaxed), curve_);
  return true;
}

void AdditiveWaveform::draw() {
  refreshCurve();
  // A silent waveform draws as a flat line.
  const float scale = peak_ > 1e-6f ? (box_.maxY - box_.minY) / 2 / peak_ : 0.0f;
  beginCurve(box_.minX, (box_.minY + box_.maxY) / 2, scale);
  for (int i = 0; i < kPoints; ++i) glVertex2f(static_cast<float>(i), curve_[i]);
  endCurve();
}

}  // namespace TW

// One cycle of the oscillator's summed waveform (harmonic levels and pulse width, before
// envelopes, LFOs and filter), drawn to fill its box's height: the shape, never the
// loudness. It uses the engine's own sine and phase warp, so it shows what is played.
#pragma once

#include <array>
#include <atomic>

#include "toolkit/ui_element.h"

namespace TW {

class AdditiveWaveform : public UIElement {
 public:
  static constexpr int kPoints = 256;
  static constexpr int kHarmonics = 16;

  // The curve's y values; returns the peak |y| (at least 1e-10).
  static float computeCurve(const std::array<float, kHarmonics>& levels, float pulseWidth,
                            std::array<float, kPoints>& y);

  // Box (x, y) to (x + 256, y + height). Listens to the sixteen levels and "Pulse Width".
  AdditiveWaveform(gw::ElementHost& window, float x, float y, float height);

  void draw() override;
  void addBounds(gw::Box& box) const override { box.extend(box_); }
  // Values in the parameters' own units; marks the curve for recomputing.
  void updateValue(const gw::ParameterDisplayRecord& record, float value) override;

  // Thread: render. Recomputes the curve when a listened value changed since the last
  // call; returns whether it did.
  bool refreshCurve();
  // Thread: render, after refreshCurve.
  const std::array<float, kPoints>& curve() const { return curve_; }
  float peak() const { return peak_; }
  const gw::Box& box() const { return box_; }

 private:
  gw::Box box_;
  // Written by the UI thread, read by the render thread: dirty is set (release) after the
  // values, and taken (acquire) before they are read.
  std::array<std::atomic<float>, kHarmonics> levels_{};
  std::atomic<float> pulseWidth_{0.0f};
  std::atomic<bool> dirty_{true};
  // Render thread only.
  std::array<float, kPoints> curve_{};
  float peak_ = 1e-10f;
};

}  // namespace TW

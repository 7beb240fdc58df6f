// EBU R 128 measures of a stereo signal through libebur128: integrated loudness and true
// peak, fed block by block as it is rendered.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gw::render {

class LoudnessMeter {
 public:
  LoudnessMeter();
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;

  // False with the reason when the library refuses the rate (or cannot allocate).
  bool start(double sampleRate, std::string& error);
  // Non-finite samples are measured as silence; a renderer reports them separately.
  void add(const float* left, const float* right, std::int32_t frames);

  // LUFS; minus infinity for a signal too quiet to gate in (or nothing measured).
  double integratedLufs() const;
  // The larger channel's true peak (4x oversampled by the library), linear full scale.
  double truePeak() const;

 private:
  struct State;  // the library's state, whose type cannot be declared ahead
  std::unique_ptr<State> state_;
  std::vector<float> interleaved_;
};

// "-14.2" for decibels and LUFS, "-inf" below the representable.
std::string decibelText(double decibels);

}  // namespace gw::render

#include "view/waveform_commands.h"

#include "params/parameter_ids.h"

namespace gw {
namespace {

constexpr int kHarmonics = 16;

void writeEvenZero(ParameterPort& port) {
  for (int n = 2; n <= kHarmonics; n += 2) port.setParameterFromEditor(param::level(n), 0.0f);
}

}  // namespace

void writeWaveform(ParameterPort& port, Waveform waveform) {
  switch (waveform) {
    case Waveform::Square:
      for (int n = 1; n < kHarmonics; n += 2) {
        port.setParameterFromEditor(param::level(n), 1.0f / static_cast<float>(n));
      }
      writeEvenZero(port);
      break;
    case Waveform::Triangle:
      // 1, -1/9, 1/25, -1/49 …: the odd harmonics alternate in sign.
      for (int n = 1; n < kHarmonics; n += 2) {
        const float sign = ((n - 1) / 2) % 2 == 0 ? 1.0f : -1.0f;
        port.setParameterFromEditor(param::level(n), sign / static_cast<float>(n * n));
      }
      writeEvenZero(port);
      break;
    case Waveform::Saw:
      for (int n = 1; n <= kHarmonics; ++n) {
        port.setParameterFromEditor(param::level(n), 1.0f / static_cast<float>(n));
      }
      break;
    case Waveform::Sine:
      port.setParameterFromEditor(param::level(1), 1.0f);
      for (int n = 2; n <= kHarmonics; ++n) port.setParameterFromEditor(param::level(n), 0.0f);
      break;
  }
}

}  // namespace gw

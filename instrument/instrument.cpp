#include "instrument/instrument.h"

#include "engine/processor.h"
#include "params/parameter_model.h"

namespace gw {

Instrument::Instrument() : played_(ownValues_.data()) {
  for (int i = 0; i < param::kCount; ++i)
    ownValues_[i].store(kParameterTable[i].defaultValue, std::memory_order_relaxed);
}

bool Instrument::processorSupported() {
  return processorHasSse2();
}

void Instrument::playValues(const ParamValue* values) {
  played_.store(values != nullptr ? values : ownValues_.data(), std::memory_order_release);
}

float Instrument::value(int index) const {
  if (!isParameterIndex(index)) return 0.0f;
  return ParamView(played_.load(std::memory_order_acquire))[index];
}

std::optional<float> Instrument::takeValue(int index, float value) {
  const std::optional<float> accepted = acceptValue(index, value);
  if (accepted) ownValues_[index].store(*accepted, std::memory_order_relaxed);
  return accepted;
}

void Instrument::takeMidi(std::int32_t frame, const std::uint8_t* bytes, int size) {
  engine_.midiMessage(bytes, size, frame);
}

void Instrument::render(float sampleRate, float* left, float* right, std::int32_t frames) {
  const ParamView values(played_.load(std::memory_order_acquire));
  engine_.renderBlock(values, sampleRate, left, right, frames);
}

}  // namespace gw

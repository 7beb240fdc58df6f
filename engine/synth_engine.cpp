#include "engine/synth_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/denormal_guard.h"
#include "engine/filter.h"
#include "engine/lfo.h"
#include "engine/voice_render.h"

namespace gw {

SynthEngine::SynthEngine() {
  for (Voice& v : voices_) v.forEachEnvelope([](Envelope& e) { e.segments.fill(Segment{}); });
}

void SynthEngine::midiMessage(const std::uint8_t* bytes, int size) {
  if (bytes == nullptr || size < 2) return;
  const std::uint8_t status = bytes[0] & 0xF0;
  const std::int32_t d1 = bytes[1] & 0x7F;
  const std::int32_t d2 = size > 2 ? bytes[2] & 0x7F : 0;
  if (status == 0xB0 && (bytes[1] == 123 || bytes[1] == 126)) {
    queue_.Write(NoteKind::ReleaseAll, 0, 0.0f);
    return;
  }
  if (size < 3) return;
  if (status == 0x90 && d2 != 0) {
    queue_.Write(NoteKind::NoteOn, d1, static_cast<float>(d2) * kVelocityScale);
  } else if (status == 0x90 || status == 0x80) {
    queue_.Write(NoteKind::NoteOff, d1, 0.0f);
  } else if (status == 0xE0) {
    pitchBend_.store(d1 | (d2 << 7), std::memory_order_relaxed);
  }
}

void SynthEngine::run(const NoteCommand& c, ParamView p, float sr) {
  switch (static_cast<NoteKind>(c.kind)) {
    case NoteKind::NoteOn:
      noteOn(c.note, c.velocity, p, sr);
      break;
    case NoteKind::NoteOff:
      noteOff(c.note, p, sr);
      break;
    case NoteKind::ReleaseAll:
      for (int i = 0; i < voiceCount_; ++i) noteOff(voices_[i].note, p, sr);
      break;
    case NoteKind::PedalChange:
      pedalChange(static_cast<std::uint8_t>(c.note & 0xFF), p, sr);
      break;
    case NoteKind::HardReset:
    default:
      voiceCount_ = 0;
      heldCount_ = 0;
      pedalDown_ = 0;
      break;
  }
}

bool SynthEngine::isHeld(std::int32_t note) const {
  return std::find(heldNotes_.begin(), heldNotes_.begin() + heldCount_, note) !=
         heldNotes_.begin() + heldCount_;
}

int SynthEngine::chooseVoice() {
  if (voiceCount_ < kMaxVoices) return voiceCount_++;
  // Take over the quietest voice; the lowest index wins a tie.
  int quietest = 0;
  for (int i = 1; i < kMaxVoices; ++i)
    if (voices_[i].ampEnvelope.level < voices_[quietest].ampEnvelope.level) quietest = i;
  return quietest;
}

void SynthEngine::noteOn(std::int32_t note, float velocity, ParamView p, float sr) {
  // The held-note list has room for each of the 128 notes once, and no more.
  if (note < 0 || note > 127) return;
  for (int i = 0; i < voiceCount_; ++i)
    if (voices_[i].note == note) noteOff(note, p, sr);
  if (!isHeld(note)) heldNotes_[heldCount_++] = static_cast<std::uint8_t>(note);
  startVoice(voices_[chooseVoice()], note, velocity, p, sr);
}

void SynthEngine::noteOff(std::int32_t note, ParamView p, float sr) {
  for (int i = 0; i < heldCount_; ++i) {
    if (heldNotes_[i] == note) {
      heldNotes_[i] = heldNotes_[--heldCount_];
      break;
    }
  }
  if (pedalDown_ != 0) return;
  for (int i = 0; i < voiceCount_; ++i) {
    Voice& v = voices_[i];
    if (v.note == note && !isReleased(v)) {
      releaseVoice(v, p, sr);
      return;
    }
  }
}

void SynthEngine::pedalChange(std::uint8_t state, ParamView p, float sr) {
  if (state == pedalDown_) return;
  pedalDown_ = state;
  if (state != 0) return;
  for (int i = 0; i < voiceCount_; ++i)
    if (!isHeld(voices_[i].note)) noteOff(voices_[i].note, p, sr);
}

float SynthEngine::pitchFactor(ParamView p) const {
  const std::int32_t raw = pitchBend_.load(std::memory_order_relaxed) - kPitchBendCentre;
  // 14-bit wheel: -8192..8191 around the centre, mapped onto exactly -1..1.
  const double bend = raw / (raw >= 0 ? 8191.0 : 8192.0);
  const double factor = std::exp2(bend * p[param::kPitchWheelRange] / 12.0);
  return std::isfinite(factor) ? static_cast<float>(factor) : 1.0f;
}

void SynthEngine::retireFinishedVoices() {
  for (int i = 0; i < voiceCount_;) {
    if (voices_[i].ampEnvelope.stage == 0) {
      --voiceCount_;
      if (i != voiceCount_) voices_[i] = voices_[voiceCount_];
    } else {
      ++i;
    }
  }
}

void SynthEngine::renderBlock(ParamView p, float sr, float* left, float* right,
                              std::int32_t frames) {
  const ScopedFlushDenormals flushDenormals;
  const int n = (left != nullptr && right != nullptr && frames > 0) ? frames : 0;
  // Below one hertz the phase arithmetic would leave its range; no host asks for that.
  if (!(sr >= 1.0f) || !std::isfinite(sr)) {
    // No sound can be made without a sample rate; commands wait for a valid one.
    if (n > 0) {
      std::memset(left, 0, sizeof(float) * n);
      std::memset(right, 0, sizeof(float) * n);
    }
    return;
  }

  NoteCommand command;
  while (queue_.read(command)) run(command, p, sr);
  if (n > 0) {
    std::memset(left, 0, sizeof(float) * n);
    std::memset(right, 0, sizeof(float) * n);
  }
  const bool effectOn = p[param::kModulationOnOff] != 0.0f;
  if (voiceCount_ == 0 && !effectOn) {
    activity_.store(0.0f, std::memory_order_relaxed);
    return;
  }

  const float tuneOct = (p[param::kCoarseTune] + p[param::kFineTune] * 0.01f) * 0.083333336f;
  const float tuneFactor = static_cast<float>(std::exp2(static_cast<double>(tuneOct)));
  VoiceBlock block = oscillatorBlock(p);
  block.stepMultiplier = tuneFactor * pitchFactor(p);
  block.pwLfoCoef = pwLfoCoefficient(p, sr);
  const Float4 lfoIncrements = voiceLfoIncrements(p, sr);
  const double filterLfo = advanceFilterLfo(filterLfoPhase_, p, n, sr);
  const FilterBlock filter = filterBlock(p, filterLfo, sr);
  block.filter = filter.weights;

  for (int i = 0; i < voiceCount_; ++i) {
    Voice& v = voices_[i];
    v.pitchOctaves = (v.note - 60) * 0.08333333333333333 + tuneOct;
    v.lfoCoef = voiceLfoCoefficients(lfoIncrements, v.pitchOctaves, p);
    setFilterCoefficients(v, filter, p);
  }
  if (n > 0) {
    for (int i = 0; i < voiceCount_; ++i) refreshSustain(voices_[i], p);
    renderVoices(voices_.data(), voiceCount_, block, left, n);
    // Voices are mono: both channels get the same sum until the effect spreads it.
    std::memcpy(right, left, sizeof(float) * n);
    if (effectOn) effect_.process(p, sr, left, right, n);
  }
  retireFinishedVoices();

  float sum = 0.0f;
  for (int i = 0; i < voiceCount_; ++i) sum += voices_[i].ampEnvelope.level;
  activity_.store(sum, std::memory_order_relaxed);
}

ActivityRecord SynthEngine::activity() const {
  ActivityRecord record;
  record.activity = activity_.load(std::memory_order_relaxed);
  return record;
}

void SynthEngine::reset() {
  effect_.reset();
  filterLfoPhase_ = 0.0f;
  pitchBend_.store(kPitchBendCentre, std::memory_order_relaxed);
}

}  // namespace gw

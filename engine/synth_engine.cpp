#include "engine/synth_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/denormal_guard.h"
#include "engine/filter.h"
#include "engine/lfo.h"

namespace gw {

namespace {

constexpr std::uint8_t kSustainPedal = 64;
constexpr std::uint8_t kAllSoundOff = 120;
constexpr std::uint8_t kResetControllers = 121;
constexpr std::uint8_t kAllNotesOff = 123;
constexpr std::uint8_t kMonoModeOn = 126;

}  // namespace

SynthEngine::SynthEngine() {
  clearVoices();
}

void SynthEngine::clearVoices() {
  for (Voice& v : voices_) {
    v = Voice{};
    v.forEachEnvelope([](Envelope& e) { e.segments.fill(Segment{}); });
  }
  voiceCount_ = 0;
  fadeCount_ = 0;
}

void SynthEngine::midiMessage(const std::uint8_t* bytes, int size, std::int32_t frame) {
  if (bytes == nullptr || size < 2) return;
  const std::uint8_t status = bytes[0] & 0xF0;
  const std::int32_t d1 = bytes[1] & 0x7F;
  const std::int32_t d2 = size > 2 ? bytes[2] & 0x7F : 0;
  if (status == 0xB0) {
    switch (bytes[1]) {
      case kAllNotesOff:
      case kMonoModeOn:
        queue_.Write(NoteKind::ReleaseAll, 0, 0.0f, frame);
        return;
      case kAllSoundOff:
        queue_.Write(NoteKind::AllSoundOff, 0, 0.0f, frame);
        return;
      case kResetControllers:
        queue_.Write(NoteKind::ResetControllers, 0, 0.0f, frame);
        return;
      default:
        break;
    }
  }
  if (size < 3) return;
  if (status == 0x90 && d2 != 0) {
    queue_.Write(NoteKind::NoteOn, d1, static_cast<float>(d2) * kVelocityScale, frame);
  } else if (status == 0x90 || status == 0x80) {
    queue_.Write(NoteKind::NoteOff, d1, 0.0f, frame);
  } else if (status == 0xB0 && d1 == kSustainPedal) {
    queue_.Write(NoteKind::PedalChange, d2 >= 64 ? 1 : 0, 0.0f, frame);
  } else if (status == 0xE0) {
    queue_.Write(NoteKind::PitchBend, d1 | (d2 << 7), 0.0f, frame);
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
    case NoteKind::PitchBend:
      pitchBend_.store(std::clamp(c.note, 0, 16383), std::memory_order_relaxed);
      break;
    case NoteKind::AllSoundOff:
      allSoundOff(sr);
      break;
    case NoteKind::ResetControllers:
      pitchBend_.store(kPitchBendCentre, std::memory_order_relaxed);
      pedalChange(0, p, sr);
      break;
    case NoteKind::HardReset:
    default:
      voiceCount_ = 0;
      fadeCount_ = 0;
      heldCount_ = 0;
      pedalDown_ = 0;
      break;
  }
}

bool SynthEngine::isHeld(std::int32_t note) const {
  return std::find(heldNotes_.begin(), heldNotes_.begin() + heldCount_, note) !=
         heldNotes_.begin() + heldCount_;
}

std::uint32_t SynthEngine::fadeSamples(float sr) {
  // A host may claim any finite rate; no fade need outlast a second at the highest real one.
  constexpr float kLongest = 768000.0f;
  return static_cast<std::uint32_t>(std::clamp(std::round(kFadeSeconds * sr), 1.0f, kLongest));
}

int SynthEngine::chooseVoice(float sr) {
  if (voiceCount_ < kMaxVoices) return voiceCount_++;
  // Take over the quietest voice; the lowest index wins a tie.
  int quietest = 0;
  for (int i = 1; i < kMaxVoices; ++i)
    if (voices_[i].ampEnvelope.level < voices_[quietest].ampEnvelope.level) quietest = i;
  // What it was playing fades out beside the new note, where a slot is free.
  if (fadeCount_ < kFadeSlots) {
    Voice& fading = voices_[kMaxVoices + fadeCount_++];
    fading = voices_[quietest];
    fadeOut(fading, fadeSamples(sr));
  }
  return quietest;
}

void SynthEngine::noteOn(std::int32_t note, float velocity, ParamView p, float sr) {
  // The held-note list has room for each of the 128 notes once, and no more.
  if (note < 0 || note > 127) return;
  for (int i = 0; i < voiceCount_; ++i)
    if (voices_[i].note == note) noteOff(note, p, sr);
  if (!isHeld(note)) heldNotes_[heldCount_++] = static_cast<std::uint8_t>(note);
  startVoice(voices_[chooseVoice(sr)], note, velocity, p, sr);
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

// Every voice, sounding or fading, goes silent within the fade. The effect's echoes fade
// over twice as long, so that its line is emptied only once the voices' fades, which it
// has taken in meanwhile, are over. Keys still held stay held, for the pedal's sake.
void SynthEngine::allSoundOff(float sr) {
  const std::uint32_t samples = fadeSamples(sr);
  for (int i = 0; i < voiceCount_; ++i) fadeOut(voices_[i], samples);
  effect_.silence(static_cast<int>(2 * samples));
}

float SynthEngine::pitchFactor(ParamView p) const {
  const std::int32_t raw = pitchBend_.load(std::memory_order_relaxed) - kPitchBendCentre;
  // 14-bit wheel: -8192..8191 around the centre, mapped onto exactly -1..1.
  const double bend = raw / (raw >= 0 ? 8191.0 : 8192.0);
  const double factor = std::exp2(bend * p[param::kPitchWheelRange] / 12.0);
  return std::isfinite(factor) ? static_cast<float>(factor) : 1.0f;
}

namespace {

// Drops the voices whose amplitude envelope has ended; the last takes a dropped one's place.
void retireEnded(Voice* voices, std::int32_t& count) {
  for (int i = 0; i < count;) {
    if (voices[i].ampEnvelope.stage == 0) {
      --count;
      if (i != count) voices[i] = voices[count];
    } else {
      ++i;
    }
  }
}

}  // namespace

void SynthEngine::retireFinishedVoices() {
  retireEnded(voices_.data(), voiceCount_);
  retireEnded(voices_.data() + kMaxVoices, fadeCount_);
}

// The voices sum level × Volume³ per harmonic before their filters. To ramp the gain
// without touching the per-sample loop, they render at the larger of the two gains and
// their sum is scaled down by the ramp; the filters' state, which carries the previous
// gain, is brought to the rendering gain first and to the new one after the block, so a
// block with an unchanged Volume renders exactly as it always has.
SynthEngine::VolumeRamp SynthEngine::volumeRamp(float volume, int frames) {
  VolumeRamp ramp;
  const float last = lastVolume_;
  if (frames <= 0 || last < 0.0f || volume == last || !std::isfinite(volume) ||
      !std::isfinite(last))
    return ramp;
  const float oldGain = last * last * last;
  const float newGain = volume * volume * volume;
  const float gain = std::max(oldGain, newGain);
  if (!(gain > 0.0f)) return ramp;
  ramp.active = true;
  ramp.gainVolume = std::max(last, volume);
  ramp.start = oldGain / gain;
  ramp.step = (newGain - oldGain) / (gain * static_cast<float>(frames));
  return ramp;
}

void SynthEngine::scaleFilterStates(float factor) {
  auto scale = [factor](Voice& v) {
    v.filterLow *= factor;
    v.filterBand *= factor;
    v.filterHigh *= factor;
  };
  for (int i = 0; i < voiceCount_; ++i) scale(voices_[i]);
  for (int i = 0; i < fadeCount_; ++i) scale(voices_[kMaxVoices + i]);
}

void SynthEngine::renderPiece(ParamView p, float sr, float* left, float* right, int from, int count,
                              const VolumeRamp& ramp) {
  const bool effectOn = p[param::kModulationOnOff] != 0.0f;
  if (voiceCount_ + fadeCount_ == 0) {
    // Nothing sounds but, perhaps, the effect's echoes: the filter LFO keeps its time and
    // nothing else needs the block's values.
    if (effectOn) {
      advanceFilterLfo(filterLfoPhase_, p, count, sr);
      if (count > 0) effect_.process(p, sr, left + from, right + from, count);
    }
    activity_.store(0.0f, std::memory_order_relaxed);
    return;
  }
  const float tuneOct = (p[param::kCoarseTune] + p[param::kFineTune] * 0.01f) * 0.083333336f;
  const float tuneFactor = static_cast<float>(std::exp2(static_cast<double>(tuneOct)));
  VoiceBlock block = ramp.active ? oscillatorBlock(p, ramp.gainVolume) : oscillatorBlock(p);
  block.stepMultiplier = tuneFactor * pitchFactor(p);
  block.pwLfoCoef = pwLfoCoefficient(p, sr);
  const Float4 lfoIncrements = voiceLfoIncrements(p, sr);
  const double filterLfo = advanceFilterLfo(filterLfoPhase_, p, count, sr);
  const FilterBlock filter = filterBlock(p, filterLfo, sr);
  block.filter = filter.weights;

  auto prepare = [&](Voice& v) {
    v.pitchOctaves = (v.note - 60) * 0.08333333333333333 + tuneOct;
    v.lfoCoef = voiceLfoCoefficients(lfoIncrements, v.pitchOctaves, p);
    setFilterCoefficients(v, filter, p);
  };
  Voice* fading = voices_.data() + kMaxVoices;
  for (int i = 0; i < voiceCount_; ++i) prepare(voices_[i]);
  for (int i = 0; i < fadeCount_; ++i) prepare(fading[i]);
  if (count > 0) {
    float* l = left + from;
    float* r = right + from;
    for (int i = 0; i < voiceCount_; ++i) refreshSustain(voices_[i], p);
    for (int i = 0; i < fadeCount_; ++i) refreshSustain(fading[i], p);
    renderVoices(voices_.data(), voiceCount_, block, l, count);
    renderVoices(fading, fadeCount_, block, l, count);
    if (ramp.active) {
      for (int s = 0; s < count; ++s)
        l[s] *= ramp.start + ramp.step * static_cast<float>(from + s + 1);
    }
    // Voices are mono: both channels get the same sum until the effect spreads it.
    std::memcpy(r, l, sizeof(float) * count);
    if (effectOn) effect_.process(p, sr, l, r, count);
  }
  retireFinishedVoices();

  float sum = 0.0f;
  for (int i = 0; i < voiceCount_; ++i) sum += voices_[i].ampEnvelope.level;
  for (int i = 0; i < fadeCount_; ++i) sum += fading[i].ampEnvelope.level;
  activity_.store(sum, std::memory_order_relaxed);
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

  int commands = 0;
  while (commands < NoteOnOffQueue::kSlots && queue_.read(blockCommands_[commands])) ++commands;
  if (n > 0) {
    std::memset(left, 0, sizeof(float) * n);
    std::memset(right, 0, sizeof(float) * n);
  }
  const float volume = p[param::kVolume];
  const VolumeRamp ramp = volumeRamp(volume, n);
  if (ramp.active) {
    const float oldGain = lastVolume_ * lastVolume_ * lastVolume_;
    const float gain = ramp.gainVolume * ramp.gainVolume * ramp.gainVolume;
    // A filter that heard nothing holds nothing: no division by a silent gain.
    scaleFilterStates(oldGain > 0.0f ? gain / oldGain : 0.0f);
  }

  // Pieces end where the next command is due. A command's frame is held inside the block
  // and never before the one it follows.
  const int lastFrame = n > 0 ? n - 1 : 0;
  int next = 0;
  int due = 0;
  int from = 0;
  do {
    while (next < commands) {
      due = std::clamp(blockCommands_[next].frame, due, lastFrame);
      if (due > from) break;
      run(blockCommands_[next++], p, sr);
    }
    const int to = next < commands ? due : n;
    renderPiece(p, sr, left, right, from, to - from, ramp);
    from = to;
  } while (from < n);

  if (ramp.active) {
    const float newGain = volume * volume * volume;
    const float gain = ramp.gainVolume * ramp.gainVolume * ramp.gainVolume;
    scaleFilterStates(newGain / gain);
  }
  if (n > 0) lastVolume_ = volume;
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

void SynthEngine::restart() {
  // What was queued belongs to the performance that ended.
  NoteCommand discarded;
  while (queue_.read(discarded)) {
  }
  clearVoices();
  heldNotes_.fill(0);
  heldCount_ = 0;
  pedalDown_ = 0;
  lastVolume_ = -1.0f;
  activity_.store(0.0f, std::memory_order_relaxed);
  reset();
}

}  // namespace gw

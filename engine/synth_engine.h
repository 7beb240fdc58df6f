// The whole synthesis engine in one object: note queue, held notes, voices, the shared
// filter LFO, the pitch wheel and the modulation effect. It never allocates after
// construction, so the plug-in that holds it as a member stays one allocation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/activity_record.h"
#include "engine/modulation_effect.h"
#include "engine/note_queue.h"
#include "engine/voice.h"
#include "params/param_view.h"

namespace gw {

class SynthEngine {
 public:
  static constexpr int kMaxVoices = 32;
  static constexpr std::int32_t kPitchBendCentre = 8192;

  SynthEngine();

  // Thread: audio. One MIDI message (status byte first) turned into a queued command,
  // or a pitch-wheel position picked up at the next block. Other messages are ignored.
  void midiMessage(const std::uint8_t* bytes, int size);
  // Thread: audio (producer side only).
  NoteOnOffQueue& queue() { return queue_; }

  // Thread: audio. Replaces frames samples of both outputs with the next block.
  void renderBlock(ParamView params, float sampleRate, float* left, float* right,
                   std::int32_t frames);

  // Thread: any. The record published at the end of the last rendered block.
  ActivityRecord activity() const;

  // Thread: audio. Clears the effect's line and phases, the filter LFO and the pitch
  // wheel; voices, held notes and the queue stay.
  void reset();

  // Read-only views for tests and diagnostics; Thread: audio.
  int voiceCount() const { return voiceCount_; }
  const Voice& voice(int index) const { return voices_[index]; }
  int heldNoteCount() const { return heldCount_; }
  bool pedalDown() const { return pedalDown_ != 0; }
  float filterLfoPhase() const { return filterLfoPhase_; }
  const ModulationEffect& effect() const { return effect_; }

 private:
  void run(const NoteCommand& command, ParamView params, float sampleRate);
  void noteOn(std::int32_t note, float velocity, ParamView params, float sampleRate);
  void noteOff(std::int32_t note, ParamView params, float sampleRate);
  void pedalChange(std::uint8_t state, ParamView params, float sampleRate);
  bool isHeld(std::int32_t note) const;
  int chooseVoice();
  float pitchFactor(ParamView params) const;
  void retireFinishedVoices();

  NoteOnOffQueue queue_;
  std::array<Voice, kMaxVoices> voices_{};
  std::int32_t voiceCount_ = 0;
  std::array<std::uint8_t, 128> heldNotes_{};
  std::int32_t heldCount_ = 0;
  std::uint8_t pedalDown_ = 0;
  float filterLfoPhase_ = 0.0f;  // radians
  std::atomic<std::int32_t> pitchBend_{kPitchBendCentre};
  std::atomic<float> activity_{0.0f};
  ModulationEffect effect_;
};

}  // namespace gw

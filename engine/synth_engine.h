// The whole synthesis engine in one object: note queue, held notes and pedal, voices, the
// shared filter LFO, the pitch wheel and the modulation effect. It never allocates after
// construction, so the plug-in that holds it as a member stays one allocation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/activity_record.h"
#include "engine/modulation_effect.h"
#include "engine/note_queue.h"
#include "engine/voice.h"
#include "engine/voice_render.h"
#include "params/param_view.h"

namespace gw {

class SynthEngine {
 public:
  static constexpr int kMaxVoices = 32;
  // A voice taken over by a new note, or silenced by controller 120, fades out along a
  // straight line in this time instead of stopping on the spot (which clicks). Stolen
  // voices fade in slots of their own beside the 32.
  static constexpr float kFadeSeconds = 0.005f;
  static constexpr int kFadeSlots = 32;
  static constexpr std::int32_t kPitchBendCentre = 8192;

  SynthEngine();

  // Thread: audio. One MIDI message (status byte first) turned into a queued command that
  // takes effect frame samples into the next rendered block: notes, pitch wheel and the
  // controllers 64 (sustain pedal), 120 (all sound off), 121 (reset), 123 (all notes off)
  // and 126 (mono mode, as all notes off). Other messages are ignored.
  void midiMessage(const std::uint8_t* bytes, int size, std::int32_t frame = 0);
  // Thread: audio (producer side only).
  NoteOnOffQueue& queue() { return queue_; }
  // Commands refused because a block brought more than the queue holds. Thread: any.
  std::uint32_t refusedCommands() const { return queue_.refused(); }

  // Thread: audio. Replaces frames samples of both outputs with the next block. The block
  // is rendered in pieces cut at the frames of its commands (frames outside the block are
  // held to it, and a frame before its predecessor's waits for it, so the host's order
  // stands); each piece takes its block values as a whole block of its length would. A
  // change of Volume since the last block ramps across this one.
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
  int fadingVoiceCount() const { return fadeCount_; }
  const Voice& fadingVoice(int index) const { return voices_[kMaxVoices + index]; }
  int heldNoteCount() const { return heldCount_; }
  bool pedalDown() const { return pedalDown_ != 0; }
  float filterLfoPhase() const { return filterLfoPhase_; }
  const ModulationEffect& effect() const { return effect_; }

 private:
  // How Volume moves across one block: the voices render at gainVolume, and their sum is
  // scaled by start + step × (s + 1) at sample s of the block.
  struct VolumeRamp {
    bool active = false;
    float gainVolume = 0.0f;
    float start = 1.0f;
    float step = 0.0f;
  };

  void run(const NoteCommand& command, ParamView params, float sampleRate);
  void noteOn(std::int32_t note, float velocity, ParamView params, float sampleRate);
  void noteOff(std::int32_t note, ParamView params, float sampleRate);
  void pedalChange(std::uint8_t state, ParamView params, float sampleRate);
  void allSoundOff(float sampleRate);
  bool isHeld(std::int32_t note) const;
  static std::uint32_t fadeSamples(float sampleRate);
  int chooseVoice(float sampleRate);
  float pitchFactor(ParamView params) const;
  VolumeRamp volumeRamp(float volume, int frames);
  void scaleFilterStates(float factor);
  void renderPiece(ParamView params, float sampleRate, float* left, float* right, int from,
                   int count, const VolumeRamp& ramp);
  void retireFinishedVoices();

  NoteOnOffQueue queue_;
  // The block's commands, taken from the queue at its start.
  std::array<NoteCommand, NoteOnOffQueue::kSlots> blockCommands_{};
  // Sounding voices at [0, voiceCount_), voices fading out at [kMaxVoices, + fadeCount_).
  std::array<Voice, kMaxVoices + kFadeSlots> voices_{};
  std::int32_t voiceCount_ = 0;
  std::int32_t fadeCount_ = 0;
  std::array<std::uint8_t, 128> heldNotes_{};
  std::int32_t heldCount_ = 0;
  std::uint8_t pedalDown_ = 0;
  float filterLfoPhase_ = 0.0f;  // radians
  // Volume at the end of the last block; negative before the first.
  float lastVolume_ = -1.0f;
  std::atomic<std::int32_t> pitchBend_{kPitchBendCentre};
  std::atomic<float> activity_{0.0f};
  ModulationEffect effect_;
};

}  // namespace gw

// The synthesiser whatever the plug-in format: the engine, the parameter values it plays,
// MIDI in, audio out and the activity the editor animates. Each format is a thin adapter
// that owns one Instrument and turns its host's calls into these (the VST module's
// TarnAdditiveSynth, the LV2 instrument); how a host's value is taken in and how a value
// reads as text are the parameter model's (params/parameter_model.h, parameter_text.h),
// shared with the editors. No allocation after construction, so an adapter that holds it
// as a member stays one allocation.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "engine/activity_record.h"
#include "engine/synth_engine.h"
#include "params/param_view.h"
#include "params/parameter_ids.h"

namespace gw {

class Instrument {
 public:
  // Plays its own value set, at the parameter table's defaults, until told otherwise.
  Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // Whether this processor can run the engine (SSE2). Thread: any.
  static bool processorSupported();

  // The value set the engine plays from the next block on: a format that keeps values of
  // its own (the VST module's current program) points here; null returns to the own set.
  // The set must outlive its use. Thread: any; takes effect at the next block.
  void playValues(const ParamValue* values);
  // Thread: any. The played value; 0 for a bad index.
  float value(int index) const;
  // Takes a value in the parameter's own unit into the own set (acceptValue: clamped,
  // stepped, refused for a bad index, NaN or an "Unused" row); the stored value, or
  // nothing when refused. Thread: any.
  std::optional<float> takeValue(int index, float value);

  // One MIDI message (status byte first) for the block about to be rendered, to take
  // effect frame samples into it. Thread: audio.
  void takeMidi(std::int32_t frame, const std::uint8_t* bytes, int size);
  // MIDI messages refused because a block brought more than the instrument holds (see
  // NoteOnOffQueue), for reporting from a thread that may print. Thread: any.
  std::uint32_t refusedMidi() const { return engine_.refusedCommands(); }
  // Replaces frames samples of both outputs with the next block. Thread: audio.
  void render(float sampleRate, float* left, float* right, std::int32_t frames);
  // The record published at the end of the last block. Thread: any.
  ActivityRecord activity() const { return engine_.activity(); }
  // Clears the effect's line and phases, the filter LFO and the pitch wheel. Thread: audio,
  // or any while the host is not processing.
  void reset() { engine_.reset(); }

  // For tests and diagnostics. Thread: audio.
  const SynthEngine& engine() const { return engine_; }

 private:
  SynthEngine engine_;
  std::array<ParamValue, param::kCount> ownValues_;
  std::atomic<const ParamValue*> played_;
};

}  // namespace gw

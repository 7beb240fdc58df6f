// The synthesiser as an LV2 instrument: the format-free instrument with its value set fed
// from the host's control ports, one atom MIDI input, two audio outputs and an output
// control port carrying the engine's activity for the editor's background.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>

#include "instrument/instrument.h"
#include "lv2/lv2_ports.h"

namespace gw::lv2 {

class Lv2Plugin {
 public:
  // Parameters start at the table's defaults. Thread: the host's instantiation thread.
  Lv2Plugin(float sampleRate, LV2_URID midiEventType);

  // Null detaches the port; run() skips detached ports. Thread: audio (the LV2
  // "audio class"), never during run().
  void connectPort(std::uint32_t port, void* data);
  // Clears effect line, phases and pitch wheel. Thread: the host's instantiation class,
  // never during run(): LV2 hosts call activate outside run.
  void activate();
  // Reads every control port, takes the run's MIDI at its start (as a VST block takes its
  // events), renders both outputs and publishes the activity. Thread: audio; real-time
  // safe (no allocation, lock or I/O).
  void run(std::uint32_t frames);

  // The values the engine reads. Thread: any.
  float value(int index) const { return instrument_.value(index); }

  // Where to report MIDI the instrument had to refuse; null for nowhere. Thread: the
  // host's instantiation class.
  void setLog(const LV2_Log_Log* log, LV2_URID warning) {
    log_ = log;
    warning_ = warning;
  }
  // Reports refusals since the last report, outside run() (the audio thread prints
  // nothing). Thread: the host's instantiation class.
  void reportRefusedMidi();

 private:
  void readControls();
  void takeMidi();

  Instrument instrument_;
  float sampleRate_;
  LV2_URID midiEventType_;
  std::array<const float*, param::kCount> controls_{};
  const LV2_Atom_Sequence* midiIn_ = nullptr;
  float* outLeft_ = nullptr;
  float* outRight_ = nullptr;
  float* activityOut_ = nullptr;
  const LV2_Log_Log* log_ = nullptr;
  LV2_URID warning_ = 0;
  std::uint32_t reported_ = 0;
};

}  // namespace gw::lv2

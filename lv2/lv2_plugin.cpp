#include "lv2/lv2_plugin.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include <algorithm>

namespace gw::lv2 {

Lv2Plugin::Lv2Plugin(float sampleRate, LV2_URID midiEventType)
    : sampleRate_(sampleRate), midiEventType_(midiEventType) {}

void Lv2Plugin::connectPort(std::uint32_t port, void* data) {
  if (port < static_cast<std::uint32_t>(param::kCount)) {
    controls_[port] = static_cast<const float*>(data);
    return;
  }
  switch (port) {
    case kMidiInPort:
      midiIn_ = static_cast<const LV2_Atom_Sequence*>(data);
      break;
    case kOutLeftPort:
      outLeft_ = static_cast<float*>(data);
      break;
    case kOutRightPort:
      outRight_ = static_cast<float*>(data);
      break;
    case kActivityPort:
      activityOut_ = static_cast<float*>(data);
      break;
    default:
      break;  // no such port: nothing to remember
  }
}

void Lv2Plugin::activate() {
  instrument_.reset();
}

// A host may send any float: the instrument keeps each value to its row's range and whole
// steps, as the VST path's conversion from normalised values does; NaN leaves the value as
// it was, and the "Unused" rows keep theirs as the VST path refuses changes to them.
void Lv2Plugin::readControls() {
  for (int i = 0; i < param::kCount; ++i) {
    if (const float* port = controls_[i]) instrument_.takeValue(i, *port);
  }
}

void Lv2Plugin::takeMidi() {
  if (midiIn_ == nullptr) return;
  LV2_ATOM_SEQUENCE_FOREACH(midiIn_, event) {
    if (event->body.type != midiEventType_) continue;
    const auto* bytes = static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
    const auto frame = static_cast<std::int32_t>(event->time.frames);
    instrument_.takeMidi(frame, bytes,
                         static_cast<int>(std::min<std::uint32_t>(event->body.size, 3)));
  }
}

void Lv2Plugin::reportRefusedMidi() {
  const std::uint32_t refused = instrument_.refusedMidi();
  if (refused == reported_ || log_ == nullptr || log_->printf == nullptr) return;
  log_->printf(log_->handle, warning_,
               "glimmerwick: %u MIDI events refused (too many in one block)\n",
               refused - reported_);
  reported_ = refused;
}

void Lv2Plugin::run(std::uint32_t frames) {
  readControls();
  takeMidi();
  if (outLeft_ != nullptr && outRight_ != nullptr) {
    instrument_.render(sampleRate_, outLeft_, outRight_, static_cast<std::int32_t>(frames));
  }
  if (activityOut_ != nullptr) *activityOut_ = instrument_.activity().activity;
}

}  // namespace gw::lv2

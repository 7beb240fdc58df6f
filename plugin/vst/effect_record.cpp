// The rest of the SDK classes that touch the effect record: where it lies, its flags and fields,
// the host-callback wrappers, and the event and pin accessors for plug-in classes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "plugin/vst/aeff_editor.h"
#include "plugin/vst/aeffect.h"
#include "plugin/vst/audio_effect_x.h"
#include "plugin/vst/vst_io.h"

using vst::IntPtr;

vst::AEffect* AudioEffect::getAeffect() {
  return std::launder(reinterpret_cast<vst::AEffect*>(record_));
}

bool AudioEffect::effectFlag(std::int32_t flag) const {
  return (std::launder(reinterpret_cast<const vst::AEffect*>(record_))->flags & flag) != 0;
}

void AudioEffect::setEffectFlag(std::int32_t flag, bool state) {
  std::int32_t& flags = getAeffect()->flags;
  flags = state ? (flags | flag) : (flags & ~flag);
}

void AudioEffect::setUniqueID(std::int32_t id) {
  getAeffect()->uniqueID = id;
}
void AudioEffect::setNumInputs(std::int32_t inputs) {
  getAeffect()->numInputs = inputs;
}
void AudioEffect::setNumOutputs(std::int32_t outputs) {
  getAeffect()->numOutputs = outputs;
}
void AudioEffect::setInitialDelay(std::int32_t delay) {
  getAeffect()->initialDelay = delay;
}
void AudioEffect::canProcessReplacing(bool state) {
  setEffectFlag(vst::effFlagsCanReplacing, state);
}
void AudioEffect::canDoubleReplacing(bool state) {
  setEffectFlag(vst::effFlagsCanDoubleReplacing, state);
}
void AudioEffect::programsAreChunks(bool state) {
  setEffectFlag(vst::effFlagsProgramChunks, state);
}
void AudioEffectX::isSynth(bool state) {
  setEffectFlag(vst::effFlagsIsSynth, state);
}
void AudioEffectX::noTail(bool state) {
  setEffectFlag(vst::effFlagsNoSoundInStop, state);
}
bool AudioEffectX::isSynthFlagSet() const {
  return effectFlag(vst::effFlagsIsSynth);
}

void AudioEffect::setEditor(AEffEditor* editor) {
  editor_ = editor;
  setEffectFlag(vst::effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setSampleRate(float sampleRate) {
  if (std::isfinite(sampleRate) && sampleRate > 0.0f) {
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
  }
}

void AudioEffect::setBlockSize(std::int32_t blockSize) {
  if (blockSize >= 1) blockSize_.store(blockSize, std::memory_order_relaxed);
}

IntPtr AudioEffect::queryHostVersion(vst::HostCallback audioMaster) {
  if (audioMaster == nullptr) return 0;
  return audioMaster(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f);
}

IntPtr AudioEffect::callHost(std::int32_t opcode, std::int32_t index, IntPtr value, void* ptr,
                             float opt) {
  if (audioMaster_ == nullptr) return 0;
  return audioMaster_(getAeffect(), opcode, index, value, ptr, opt);
}

std::int32_t AudioEffect::getMasterVersion() {
  const auto version = static_cast<std::int32_t>(callHost(vst::audioMasterVersion));
  return version != 0 ? version : 1;
}

void AudioEffect::setParameterAutomated(std::int32_t index, float value) {
  setParameter(index, value);
  automateHost(index, value);
}

void AudioEffect::automateHost(std::int32_t index, float normalised) {
  callHost(vst::audioMasterAutomate, index, 0, nullptr, normalised);
}

bool AudioEffectX::wantEvents(std::int32_t filter) {
  return callHost(vst::audioMasterWantMidi, 0, filter) != 0;
}
bool AudioEffectX::beginEdit(std::int32_t index) {
  return callHost(vst::audioMasterBeginEdit, index) != 0;
}
bool AudioEffectX::endEdit(std::int32_t index) {
  return callHost(vst::audioMasterEndEdit, index) != 0;
}
bool AudioEffectX::updateDisplay() {
  return callHost(vst::audioMasterUpdateDisplay) != 0;
}

std::int32_t AudioEffectX::getPlugCategory() {
  return isSynthFlagSet() ? vst::kPlugCategSynth : vst::kPlugCategUnknown;
}

std::int32_t AudioEffectX::getVstVersion() {
  return 2400;
}

bool AudioEffectX::getSpeakerArrangement(vst::VstSpeakerArrangement** input,
                                         vst::VstSpeakerArrangement** output) {
  if (input != nullptr) *input = nullptr;
  if (output != nullptr) *output = nullptr;
  return false;
}

void AudioEffectX::setBlockSizeAndSampleRate(std::int32_t blockSize, float sampleRate) {
  setBlockSize(blockSize);
  setSampleRate(sampleRate);
}

namespace gw {

int eventCount(const vst::VstEvents* events) {
  return events != nullptr && events->numEvents > 0 ? events->numEvents : 0;
}

bool midiMessageAt(const vst::VstEvents* events, int i, MidiMessage& message) {
  if (i < 0 || i >= eventCount(events)) return false;
  // The host's list runs past the two slots the record declares; indexing that array
  // beyond them is undefined, so the slot is read from its address in the host's memory.
  const vst::VstEvent* event = nullptr;
  std::memcpy(&event,
              reinterpret_cast<const unsigned char*>(events) + offsetof(vst::VstEvents, events) +
                  static_cast<std::size_t>(i) * sizeof event,
              sizeof event);
  if (event == nullptr || event->type != vst::kVstMidiType) return false;
  const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
  message.status = static_cast<std::uint8_t>(midi->midiData[0]);
  message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
  message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
  message.deltaFrames = midi->deltaFrames;
  return true;
}

void setPinProperties(vst::VstPinProperties* pin, const char* label, bool active, bool stereo) {
  if (pin == nullptr) return;
  std::strncpy(pin->label, label != nullptr ? label : "", sizeof(pin->label) - 1);
  pin->label[sizeof(pin->label) - 1] = '\0';
  pin->flags = (active ? vst::kVstPinIsActive : 0) | (stereo ? vst::kVstPinIsStereo : 0);
}

}  // namespace gw

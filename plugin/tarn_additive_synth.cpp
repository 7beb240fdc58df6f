#include "plugin/tarn_additive_synth.h"

#include <cstdio>

#include "params/factory_bank.h"
#include "params/parameter_model.h"
#include "params/value_texts.h"
#include "plugin/vendor_requests.h"
#include "plugin/vst/aeff_editor.h"
#include "plugin/vst/vst_io.h"
#if GW_WITH_EDITOR
#include "view/synth_view.h"
#endif

namespace {

constexpr std::int32_t kInputs = 0;
constexpr std::int32_t kOutputs = 2;
constexpr std::size_t kEffectNameChars = 31;
static_assert(gw::kFactoryPresetCount == TarnAuBase::kNumPrograms);

}  // namespace

TarnAdditiveSynth::TarnAdditiveSynth(vst::HostCallback audioMaster)
    : TarnAuBase(audioMaster, gw::param::kCount) {
  isSynth(true);
  canProcessReplacing(true);
  setNumInputs(kInputs);
  setNumOutputs(kOutputs);
  setUniqueID(kUniqueId);
  for (int i = 0; i < kNumPrograms; ++i) {
    TarnProgramBasic* target = program(i);
    if (target == nullptr) continue;  // constructed() reports the failed allocation
    const gw::FactoryPreset& preset = gw::factoryBank[i];
    for (int j = 0; j < gw::param::kCount; ++j) target->setValue(j, preset.values[j]);
    target->setName(preset.name);
  }
  if (const TarnProgramBasic* current = currentProgram()) instrument_.playValues(current->values());
}

// The editor's render thread reads this object: it must stop before the object goes.
TarnAdditiveSynth::~TarnAdditiveSynth() {
  if (AEffEditor* editor = getEditor()) editor->close();
}

void TarnAdditiveSynth::resume() {
  wantEvents(1);
}

void TarnAdditiveSynth::processReplacing(float**, float** outputs, std::int32_t sampleFrames) {
  float* left = outputs[0];
  float* right = outputs[1];
  if (left == nullptr || right == nullptr) return;
  instrument_.render(getSampleRate(), left, right, sampleFrames);
}

std::int32_t TarnAdditiveSynth::processEvents(vst::VstEvents* events) {
  const int count = gw::eventCount(events);
  for (int i = 0; i < count; ++i) {
    gw::MidiMessage message;
    if (gw::midiMessageAt(events, i, message)) {
      const std::uint8_t bytes[3] = {message.status, message.data1, message.data2};
      instrument_.takeMidi(message.deltaFrames, bytes, 3);
    }
  }
  return 1;
}

std::int32_t TarnAdditiveSynth::Reset() {
  instrument_.reset();
  return kNoErr;
}

void TarnAdditiveSynth::setProgram(std::int32_t program) {
  if (program < 0 || program >= kNumPrograms) return;
  TarnAuBase::setProgram(program);
  instrument_.playValues(currentProgram()->values());
  if (gw::EditorLink* link = editorLink()) link->programChanged();
}

bool TarnAdditiveSynth::getOutputProperties(std::int32_t index, vst::VstPinProperties* properties) {
  if (index < 0 || index >= kOutputs || properties == nullptr) return false;
  char label[16];
  std::snprintf(label, sizeof label, "Glimmer %1ld", static_cast<long>(index) + 1);
  gw::setPinProperties(properties, label, true, true);
  return true;
}

bool TarnAdditiveSynth::getEffectName(char* name) {
  if (name == nullptr) return false;
  gw::copyText(name, "Glimmerwick", kEffectNameChars);
  return true;
}

bool TarnAdditiveSynth::getProductString(char* text) {
  if (text == nullptr) return false;
  gw::copyText(text, "Glimmerwick", kEffectNameChars);
  return true;
}

std::int32_t TarnAdditiveSynth::GetParameterInfo(std::int32_t scope, std::int32_t index,
                                                 gw::CFArray** valueNames) {
  if (valueNames == nullptr) return kNoErr;
  if (scope != 0) return kInvalidParameter;
  const auto names = gw::valueNames(index);
  if (names.empty()) return kInvalidParameter;
  *valueNames = gw::CFArrayCreate(names.data(), names.size());
  return *valueNames != nullptr ? kNoErr : kInvalidParameter;
}

std::int32_t TarnAdditiveSynth::GetProperty(std::int32_t property, std::int32_t, std::int32_t,
                                            void* data) {
  if (property == kActivityProperty) {
    if (data == nullptr) return kInvalidParameter;
    GetActivity(*static_cast<gw::ActivityRecord*>(data));
    return kNoErr;
  }
  if (property != kParameterStringFromValue) return kInvalidProperty;
  auto* request = static_cast<ParameterStringFromValue*>(data);
  if (request == nullptr || !gw::isParameterIndex(request->inParamID)) return kInvalidParameter;
  const int index = request->inParamID;
  const float value = request->inValue != nullptr ? *request->inValue : currentValue(index);
  gw::CFString* text = nullptr;
  if (!gw::valueText(index, value, &text)) return kInvalidParameter;
  request->outString = static_cast<gw::CFString*>(gw::CFRetain(text));
  return kNoErr;
}

std::int32_t TarnAdditiveSynth::GetPropertyInfo(std::int32_t property, std::int32_t, std::int32_t,
                                                std::uint32_t* size, bool* writable) {
  std::uint32_t bytes = 0;
  if (property == kParameterStringFromValue) {
    bytes = sizeof(ParameterStringFromValue);
  } else if (property == kActivityProperty) {
    bytes = sizeof(gw::ActivityRecord);
  } else {
    return kInvalidProperty;
  }
  if (size != nullptr) *size = bytes;
  if (writable != nullptr) *writable = false;
  return kNoErr;
}

vst::IntPtr TarnAdditiveSynth::vendorSpecific(std::int32_t index, vst::IntPtr value, void* ptr,
                                              float opt) {
  if (index == gw::kRefusedMidiRequest) return static_cast<vst::IntPtr>(instrument_.refusedMidi());
  return TarnAuBase::vendorSpecific(index, value, ptr, opt);
}

void TarnAdditiveSynth::GetActivity(gw::ActivityRecord& record) {
  record = instrument_.activity();
}

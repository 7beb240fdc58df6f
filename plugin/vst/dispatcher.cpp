// The effect record's entry points and the host's opcodes: the record's construction
// with its trampolines into the object, and both levels of the opcode dispatcher. With
// effect_record.cpp the only code that knows the record's layout (aeffect.h).
#include <cstdint>
#include <new>

#include "plugin/vst/aeff_editor.h"
#include "plugin/vst/aeffect.h"
#include "plugin/vst/audio_effect_x.h"

using vst::IntPtr;

namespace {

AudioEffect* objectOf(vst::AEffect* e) {
  return e != nullptr ? static_cast<AudioEffect*>(e->object) : nullptr;
}

IntPtr VSTCALLBACK dispatchEffectClass(vst::AEffect* e, std::int32_t opcode, std::int32_t index,
                                       IntPtr value, void* ptr, float opt) {
  AudioEffect* effect = objectOf(e);
  if (effect == nullptr) return 0;
  if (opcode == vst::effClose) {
    effect->dispatcher(opcode, index, value, ptr, opt);
    delete effect;
    return 1;
  }
  return effect->dispatcher(opcode, index, value, ptr, opt);
}

float VSTCALLBACK getParameterClass(vst::AEffect* e, std::int32_t index) {
  AudioEffect* effect = objectOf(e);
  return effect != nullptr ? effect->getParameter(index) : 0.0f;
}

void VSTCALLBACK setParameterClass(vst::AEffect* e, std::int32_t index, float value) {
  if (AudioEffect* effect = objectOf(e)) effect->setParameter(index, value);
}

void VSTCALLBACK processClass(vst::AEffect* e, float** inputs, float** outputs,
                              std::int32_t frames) {
  AudioEffect* effect = objectOf(e);
  if (effect != nullptr && outputs != nullptr && frames > 0)
    effect->process(inputs, outputs, frames);
}

void VSTCALLBACK processClassReplacing(vst::AEffect* e, float** inputs, float** outputs,
                                       std::int32_t frames) {
  AudioEffect* effect = objectOf(e);
  if (effect != nullptr && outputs != nullptr && frames > 0) {
    effect->processReplacing(inputs, outputs, frames);
  }
}

void VSTCALLBACK processClassDoubleReplacing(vst::AEffect* e, double** inputs, double** outputs,
                                             std::int32_t frames) {
  AudioEffect* effect = objectOf(e);
  if (effect != nullptr && outputs != nullptr && frames > 0) {
    effect->processDoubleReplacing(inputs, outputs, frames);
  }
}

// Opcodes whose pointer argument is a buffer or record the plug-in reads or fills; with a
// null pointer they do nothing and answer 0.
bool needsPointer(std::int32_t opcode) {
  switch (opcode) {
    case vst::effSetProgramName:
    case vst::effGetProgramName:
    case vst::effGetParamLabel:
    case vst::effGetParamDisplay:
    case vst::effGetParamName:
    case vst::effEditGetRect:
    case vst::effGetChunk:
    case vst::effProcessEvents:
    case vst::effString2Parameter:
    case vst::effGetProgramNameIndexed:
    case vst::effGetInputProperties:
    case vst::effGetOutputProperties:
    case vst::effGetEffectName:
    case vst::effGetVendorString:
    case vst::effGetProductString:
    case vst::effCanDo:
    case vst::effGetParameterProperties:
    case vst::effGetMidiProgramName:
    case vst::effGetMidiProgramCategory:
    case vst::effGetMidiKeyName:
      return true;
    default:
      return false;
  }
}

}  // namespace

AudioEffect::AudioEffect(vst::HostCallback audioMaster, std::int32_t numPrograms,
                         std::int32_t numParams)
    : audioMaster_(audioMaster), numPrograms_(numPrograms), numParams_(numParams) {
  static_assert(sizeof(vst::AEffect) == kRecordSize);
  static_assert(alignof(vst::AEffect) <= alignof(std::max_align_t));
  auto* e = new (record_) vst::AEffect{};
  e->magic = vst::kEffectMagic;
  e->dispatcher = dispatchEffectClass;
  e->process = processClass;
  e->setParameter = setParameterClass;
  e->getParameter = getParameterClass;
  e->numPrograms = numPrograms;
  e->numParams = numParams;
  e->numInputs = 1;
  e->numOutputs = 2;
  e->flags = vst::effFlagsCanReplacing;
  e->ioRatio = 1.0f;
  e->object = this;
  e->version = 1;
  e->processReplacing = processClassReplacing;
  e->processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
  delete editor_;
}

// Block sizes arrive pointer-sized; anything beyond 32 bits is as invalid as 0.
static std::int32_t blockSizeFrom(IntPtr value) {
  return value >= 1 && value <= INT32_MAX ? static_cast<std::int32_t>(value) : 0;
}

IntPtr AudioEffect::dispatcher(std::int32_t opcode, std::int32_t index, IntPtr value, void* ptr,
                               float opt) {
  if (ptr == nullptr && needsPointer(opcode)) return 0;
  auto* text = static_cast<char*>(ptr);
  switch (opcode) {
    case vst::effOpen:
      open();
      break;
    case vst::effClose:
      close();
      return 1;
    case vst::effSetProgram:
      // Negative programs are as invalid as programs past the count.
      if (value >= 0 && value < numPrograms_) setProgram(static_cast<std::int32_t>(value));
      break;
    case vst::effGetProgram:
      return getProgram();
    case vst::effSetProgramName:
      setProgramName(text);
      break;
    case vst::effGetProgramName:
      getProgramName(text);
      break;
    case vst::effGetParamLabel:
      getParameterLabel(index, text);
      break;
    case vst::effGetParamDisplay:
      getParameterDisplay(index, text);
      break;
    case vst::effGetParamName:
      getParameterName(index, text);
      break;
    case vst::effGetVu:
      return static_cast<IntPtr>(getVu() * 32767.0f);
    case vst::effSetSampleRate:
      setSampleRate(opt);
      break;
    case vst::effSetBlockSize:
      setBlockSize(blockSizeFrom(value));
      break;
    case vst::effMainsChanged:
      value != 0 ? resume() : suspend();
      break;
    case vst::effEditGetRect:
      return editor_ != nullptr && editor_->getRect(static_cast<vst::ERect**>(ptr)) ? 1 : 0;
    case vst::effEditOpen:
      return editor_ != nullptr && editor_->open(ptr) ? 1 : 0;
    case vst::effEditClose:
      if (editor_ != nullptr) editor_->close();
      break;
    case vst::effEditIdle:
      if (editor_ != nullptr) editor_->idle();
      break;
    case vst::effIdentify:
      return vst::fourCC('N', 'v', 'E', 'f');
    case vst::effGetChunk:
      return getChunk(static_cast<void**>(ptr), index != 0);
    case vst::effSetChunk:
      return setChunk(ptr, static_cast<std::int32_t>(value), index != 0);
    default:
      break;
  }
  return 0;
}

IntPtr AudioEffectX::dispatcher(std::int32_t opcode, std::int32_t index, IntPtr value, void* ptr,
                                float opt) {
  if (ptr == nullptr && needsPointer(opcode)) return 0;
  auto* text = static_cast<char*>(ptr);
  auto* pin = static_cast<vst::VstPinProperties*>(ptr);
  auto key = [&] {
    // The modifiers arrive as a float; converting one outside 0..255 (or NaN) to a byte
    // is undefined, so such a value counts as no modifier.
    const unsigned char modifiers =
        opt >= 0.0f && opt < 256.0f ? static_cast<unsigned char>(opt) : 0;
    return vst::VstKeyCode{index, static_cast<unsigned char>(value), modifiers};
  };
  auto flag = [](bool b) -> IntPtr { return b ? 1 : 0; };
  switch (opcode) {
    case vst::effProcessEvents:
      return processEvents(static_cast<vst::VstEvents*>(ptr));
    case vst::effCanBeAutomated:
      return flag(canParameterBeAutomated(index));
    case vst::effString2Parameter:
      return flag(string2parameter(index, text));
    case vst::effGetNumProgramCategories:
      return getNumCategories();
    case vst::effGetProgramNameIndexed:
      return flag(getProgramNameIndexed(static_cast<std::int32_t>(value), index, text));
    case vst::effGetInputProperties:
      return flag(getInputProperties(index, pin));
    case vst::effGetOutputProperties:
      return flag(getOutputProperties(index, pin));
    case vst::effGetPlugCategory:
      return getPlugCategory();
    case vst::effSetSpeakerArrangement:
      return flag(setSpeakerArrangement(reinterpret_cast<vst::VstSpeakerArrangement*>(value),
                                        static_cast<vst::VstSpeakerArrangement*>(ptr)));
    case vst::effGetSpeakerArrangement:
      return flag(getSpeakerArrangement(reinterpret_cast<vst::VstSpeakerArrangement**>(value),
                                        static_cast<vst::VstSpeakerArrangement**>(ptr)));
    case vst::effSetBlockSizeAndSampleRate:
      setBlockSizeAndSampleRate(blockSizeFrom(value), opt);
      return 0;
    case vst::effSetBypass:
      return flag(setBypass(value != 0));
    case vst::effGetEffectName:
      return flag(getEffectName(text));
    case vst::effGetVendorString:
      return flag(getVendorString(text));
    case vst::effGetProductString:
      return flag(getProductString(text));
    case vst::effGetVendorVersion:
      return getVendorVersion();
    case vst::effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case vst::effCanDo:
      return canDo(text);
    case vst::effGetTailSize:
      return getGetTailSize();
    case vst::effGetParameterProperties:
      return flag(getParameterProperties(index, ptr));
    case vst::effGetVstVersion:
      return getVstVersion();
    case vst::effEditKeyDown: {
      vst::VstKeyCode code = key();
      return flag(editor_ != nullptr && editor_->onKeyDown(code));
    }
    case vst::effEditKeyUp: {
      vst::VstKeyCode code = key();
      return flag(editor_ != nullptr && editor_->onKeyUp(code));
    }
    case vst::effSetEditKnobMode:
      return flag(editor_ != nullptr && editor_->setKnobMode(static_cast<std::int32_t>(value)));
    case vst::effGetMidiProgramName:
      return getMidiProgramName(index, ptr);
    case vst::effGetCurrentMidiProgram:
      return getCurrentMidiProgram(index, ptr);
    case vst::effGetMidiProgramCategory:
      return getMidiProgramCategory(index, ptr);
    case vst::effHasMidiProgramsChanged:
      return flag(hasMidiProgramsChanged(index));
    case vst::effGetMidiKeyName:
      return flag(getMidiKeyName(index, ptr));
    case vst::effBeginSetProgram:
      return flag(beginSetProgram());
    case vst::effEndSetProgram:
      return flag(endSetProgram());
    case vst::effSetTotalSampleToProcess:
      return value;
    case vst::effSetPanLaw:
      return flag(setPanLaw(static_cast<std::int32_t>(value), opt));
    case vst::effBeginLoadBank:
      return beginLoadBank(ptr);
    case vst::effBeginLoadProgram:
      return beginLoadProgram(ptr);
    case vst::effStartProcess:
      return startProcess();
    case vst::effStopProcess:
      return stopProcess();
    case vst::effSetProcessPrecision:
      return flag(setProcessPrecision(static_cast<std::int32_t>(value)));
    case vst::effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case vst::effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

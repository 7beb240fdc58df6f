// The VST 2.4 SDK's extended effect class: the second level of the opcode dispatcher and
// the SDK's default answers, plus the host-callback wrappers for MIDI, edits and display.
#pragma once

#include "plugin/vst/audio_effect.h"

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(vst::HostCallback audioMaster, std::int32_t numPrograms, std::int32_t numParams)
      : AudioEffect(audioMaster, numPrograms, numParams) {}

  // Thread: any (the host's choice per opcode).
  vst::IntPtr dispatcher(std::int32_t opcode, std::int32_t index, vst::IntPtr value, void* ptr,
                         float opt) override;

  // Thread: audio. 1 when the events were taken.
  virtual std::int32_t processEvents(vst::VstEvents*) { return 0; }

  // Thread: UI.
  virtual bool canParameterBeAutomated(std::int32_t) { return true; }
  virtual bool string2parameter(std::int32_t, char*) { return false; }
  virtual bool getParameterProperties(std::int32_t, void*) { return false; }
  virtual std::int32_t getNumCategories() { return 1; }
  virtual bool getProgramNameIndexed(std::int32_t, std::int32_t, char*) { return false; }
  virtual bool beginSetProgram() { return false; }
  virtual bool endSetProgram() { return false; }
  virtual bool getInputProperties(std::int32_t, vst::VstPinProperties*) { return false; }
  virtual bool getOutputProperties(std::int32_t, vst::VstPinProperties*) { return false; }
  virtual std::int32_t getPlugCategory();
  virtual bool setSpeakerArrangement(vst::VstSpeakerArrangement*, vst::VstSpeakerArrangement*) {
    return false;
  }
  virtual bool getSpeakerArrangement(vst::VstSpeakerArrangement** input,
                                     vst::VstSpeakerArrangement** output);
  virtual bool setBypass(bool) { return false; }
  virtual bool getEffectName(char*) { return false; }
  virtual bool getVendorString(char*) { return false; }
  virtual bool getProductString(char*) { return false; }
  virtual std::int32_t getVendorVersion() { return 0; }
  virtual vst::IntPtr vendorSpecific(std::int32_t, vst::IntPtr, void*, float) { return 0; }
  virtual std::int32_t canDo(char*) { return 0; }
  virtual std::int32_t getGetTailSize() { return 0; }
  virtual std::int32_t getVstVersion();
  virtual std::int32_t getMidiProgramName(std::int32_t, void*) { return 0; }
  virtual std::int32_t getCurrentMidiProgram(std::int32_t, void*) { return -1; }
  virtual std::int32_t getMidiProgramCategory(std::int32_t, void*) { return 0; }
  virtual bool hasMidiProgramsChanged(std::int32_t) { return false; }
  virtual bool getMidiKeyName(std::int32_t, void*) { return false; }
  virtual std::int32_t getNumMidiInputChannels() { return 0; }
  virtual std::int32_t getNumMidiOutputChannels() { return 0; }
  virtual std::int32_t startProcess() { return 0; }
  virtual std::int32_t stopProcess() { return 0; }
  virtual bool setProcessPrecision(std::int32_t) { return false; }
  virtual bool setPanLaw(std::int32_t, float) { return false; }
  virtual std::int32_t beginLoadBank(void*) { return 0; }
  virtual std::int32_t beginLoadProgram(void*) { return 0; }
  // Deprecated: stores both values through the checked setters.
  virtual void setBlockSizeAndSampleRate(std::int32_t blockSize, float sampleRate);

  // Record set-up. Thread: UI.
  virtual void isSynth(bool state = true);
  virtual void noTail(bool state = true);
  bool isSynthFlagSet() const;

  // Host-callback wrappers. Thread: any; the host decides what it allows where.
  virtual bool wantEvents(std::int32_t filter = 1);
  virtual bool beginEdit(std::int32_t index);
  virtual bool endEdit(std::int32_t index);
  virtual bool updateDisplay();
};

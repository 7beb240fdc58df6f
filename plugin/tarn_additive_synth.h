// The synthesiser as a VST 2.4 plug-in: the plug-in base made concrete with its
// host-facing answers and the parameters' value names and texts, over the format-free
// instrument. The whole object, instrument included, is one allocation made by the plug-in
// factory, which also gives it its editor.
#pragma once

#include <cstdint>

#include "engine/activity_record.h"
#include "instrument/instrument.h"
#include "plugin/tarn_au_base.h"
#include "plugin/vendor_requests.h"

class TarnAdditiveSynth : public TarnAuBase {
 public:
  static constexpr std::int32_t kVendorVersion = 65547;
  static constexpr std::int32_t kUniqueId = gw::kModuleUniqueId;

  explicit TarnAdditiveSynth(vst::HostCallback audioMaster);
  ~TarnAdditiveSynth() override;

  // Thread: UI.
  void resume() override;
  // Writes both outputs; inputs are ignored. Thread: audio.
  void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) override;
  // Takes the MIDI the instrument answers (notes, pitch wheel, controllers 64, 120, 121,
  // 123, 126), each to take effect at its deltaFrames in the next block. Thread: audio.
  std::int32_t processEvents(vst::VstEvents* events) override;

  // Switches the current program and refreshes the editor. Thread: UI (hosts may use any).
  void setProgram(std::int32_t program) override;

  // Thread: UI.
  bool getOutputProperties(std::int32_t index, vst::VstPinProperties* properties) override;
  bool getEffectName(char* name) override;
  bool getProductString(char* text) override;
  std::int32_t getVendorVersion() override { return kVendorVersion; }
  std::int32_t getPlugCategory() override { return 2; }  // the SDK's synth category
  // Thread: any. Answers the refused-MIDI count (plugin/vendor_requests.h), else as the base.
  vst::IntPtr vendorSpecific(std::int32_t index, vst::IntPtr value, void* ptr, float opt) override;

  std::int32_t GetParameterInfo(std::int32_t scope, std::int32_t index,
                                gw::CFArray** valueNames) override;
  std::int32_t GetProperty(std::int32_t property, std::int32_t scope, std::int32_t element,
                           void* data) override;
  std::int32_t GetPropertyInfo(std::int32_t property, std::int32_t scope, std::int32_t element,
                               std::uint32_t* size, bool* writable) override;
  // Thread: render.
  void GetActivity(gw::ActivityRecord& record) override;

  // Re-initialises the instrument's effect state. Not called on the VST path. Thread: audio, or any
  // thread while the host is not processing (the engine state it clears is the audio
  // thread's).
  virtual std::int32_t Reset();
  virtual std::int32_t GetVersion() { return kVendorVersion; }

 private:
  // Voices, note queue and delay line share this object's single allocation.
  gw::Instrument instrument_;
};

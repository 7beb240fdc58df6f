// The maker's generic plug-in base: owns the 32 programs, implements the parameter and
// program operations over the parameter table, and adds a small Audio Unit-style
// interface (value names, properties, listeners, activity) that returns status codes.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "editor/editor_link.h"
#include "engine/activity_record.h"
#include "params/cf_types.h"
#include "params/param_view.h"
#include "params/tarn_program.h"
#include "plugin/vst/audio_effect_x.h"

class TarnAuBase : public AudioEffectX {
 public:
  static constexpr std::int32_t kNumPrograms = 32;
  // Audio Unit status codes.
  static constexpr std::int32_t kNoErr = 0;
  static constexpr std::int32_t kInvalidParameter = -10878;
  static constexpr std::int32_t kInvalidProperty = -10879;
  // Properties.
  static constexpr std::int32_t kParameterStringFromValue = 33;
  static constexpr std::int32_t kActivityProperty = 64000;

  // The record of the ParameterStringFromValue property. The callee retains outString;
  // the caller releases it.
  struct ParameterStringFromValue {
    std::int32_t inParamID;
    const float* inValue;  // null: the current program's value
    gw::CFString* outString;
  };

  using PropertyListenerProc = void (*)(void* userData, TarnAuBase* plugin, std::int32_t property);
  struct PropertyListener {
    std::int32_t property;
    PropertyListenerProc callback;
    void* userData;
  };

  // Programs start at the table's defaults, named "Defaults"; program 0 is current.
  TarnAuBase(vst::HostCallback audioMaster, std::int32_t numParams);
  ~TarnAuBase() override;
  // False when a program could not be allocated; such an object must not be used.
  bool constructed() const;

  // Thread: UI.
  void resume() override;

  // Parameter operations reject indices outside 0..179. Thread: any.
  void setParameter(std::int32_t index, float value) override;
  float getParameter(std::int32_t index) override;
  // Thread: UI (hosts may use any thread).
  void getParameterLabel(std::int32_t index, char* label) override;
  void getParameterDisplay(std::int32_t index, char* text) override;
  void getParameterName(std::int32_t index, char* text) override;

  // Program operations ignore indices outside 0..31. Thread: UI (hosts may use any).
  void setProgram(std::int32_t program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(std::int32_t category, std::int32_t index, char* text) override;

  // Thread: UI.
  bool getVendorString(char* text) override;
  // Thread: UI. Answers only the editor's frame grab (editor/frame_grab.h); 0 otherwise.
  vst::IntPtr vendorSpecific(std::int32_t index, vst::IntPtr value, void* ptr, float opt) override;

  // Audio Unit-style interface. Thread: UI, except GetActivity: render.
  virtual std::int32_t GetParameterInfo(std::int32_t scope, std::int32_t index,
                                        gw::CFArray** valueNames);
  virtual std::int32_t GetProperty(std::int32_t property, std::int32_t scope, std::int32_t element,
                                   void* data);
  virtual std::int32_t GetPropertyInfo(std::int32_t property, std::int32_t scope,
                                       std::int32_t element, std::uint32_t* size, bool* writable);
  virtual std::int32_t SetProperty(std::int32_t property, std::int32_t scope, std::int32_t element,
                                   const void* data, std::uint32_t size);
  virtual std::int32_t AddPropertyListener(std::int32_t property, PropertyListenerProc callback,
                                           void* userData);
  virtual std::int32_t RemovePropertyListener(std::int32_t property, PropertyListenerProc callback,
                                              void* userData);
  virtual void GetActivity(gw::ActivityRecord& record);

  // For the editor: stores an internal value in the current program, tells the editor
  // link, then automates the host with the normalised value. Thread: UI.
  void setParameterFromEditor(int index, float value);
  // The current program's internal value; 0 outside 0..179. Thread: any.
  float currentValue(int index) const;
  // The current program's values, for a gw::ParamView. Thread: any.
  const gw::ParamValue* currentValues() const { return currentProgram()->values(); }
  TarnProgramBasic* currentProgram() const;
  TarnProgramBasic* program(int index) const;

  // The editor that hears of parameter and program changes; null for none. Thread: UI.
  void setEditorLink(gw::EditorLink* link) { editorLink_.store(link, std::memory_order_release); }
  gw::EditorLink* editorLink() const { return editorLink_.load(std::memory_order_acquire); }

 protected:
  TarnProgramBasic* programs_[kNumPrograms] = {};
  std::vector<PropertyListener> propertyListeners_;

 private:
  std::atomic<gw::EditorLink*> editorLink_{nullptr};
};

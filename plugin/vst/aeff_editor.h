// The VST 2.4 SDK's editor base class: the slots through which the dispatcher forwards
// the host's editor opcodes. An implementation draws into the host's window.
#pragma once

#include <cstdint>

#include "plugin/vst/vst_types.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect = nullptr) : effect_(effect) {}
  virtual ~AEffEditor() = default;
  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;

  // All slots: Thread: UI.
  virtual AudioEffect* getEffect() { return effect_; }
  // Points *rect at the editor's size; false when it has none.
  virtual bool getRect(vst::ERect** rect) {
    *rect = nullptr;
    return false;
  }
  // ptr is the host's parent window (an X11 Window id here).
  virtual bool open(void* ptr) {
    systemWindow_ = ptr;
    return false;
  }
  virtual void close() { systemWindow_ = nullptr; }
  virtual bool isOpen() { return systemWindow_ != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(vst::VstKeyCode&) { return false; }
  virtual bool onKeyUp(vst::VstKeyCode&) { return false; }
  virtual bool onWheel(float) { return false; }
  virtual bool setKnobMode(std::int32_t) { return false; }

 protected:
  AudioEffect* effect_;
  void* systemWindow_ = nullptr;
};

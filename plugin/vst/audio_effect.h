// The VST 2.4 SDK's base effect class, written from the public description of the
// interface: owns the effect record the host sees, routes the record's entry points to
// virtual operations, and wraps the host callback. Everything that touches the record's
// layout lives in dispatcher.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "plugin/vst/vst_types.h"

class AEffEditor;

class AudioEffect {
 public:
  AudioEffect(vst::HostCallback audioMaster, std::int32_t numPrograms, std::int32_t numParams);
  virtual ~AudioEffect();
  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  // Thread: any (the host's choice per opcode).
  virtual vst::IntPtr dispatcher(std::int32_t opcode, std::int32_t index, vst::IntPtr value,
                                 void* ptr, float opt);

  // Thread: UI.
  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  // Ignores rates that are not finite and positive. Thread: UI.
  virtual void setSampleRate(float sampleRate);
  // Ignores sizes below 1. Thread: UI.
  virtual void setBlockSize(std::int32_t blockSize);

  // Thread: audio.
  virtual void processReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) = 0;
  virtual void processDoubleReplacing(double**, double**, std::int32_t) {}

  // Thread: any.
  virtual void setParameter(std::int32_t, float) {}
  virtual float getParameter(std::int32_t) { return 0.0f; }
  // Sets the parameter, then tells the host as if the user had moved it. Thread: any.
  virtual void setParameterAutomated(std::int32_t index, float value);

  // Thread: any.
  virtual vst::AEffect* getAeffect();

  // Thread: UI (hosts may use any thread).
  virtual void setProgram(std::int32_t program) {
    curProgram_.store(program, std::memory_order_relaxed);
  }
  virtual std::int32_t getProgram() { return curProgram_.load(std::memory_order_relaxed); }
  virtual void setProgramName(char*) {}
  virtual void getProgramName(char* name) { *name = 0; }
  virtual void getParameterLabel(std::int32_t, char* label) { *label = 0; }
  virtual void getParameterDisplay(std::int32_t, char* text) { *text = 0; }
  virtual void getParameterName(std::int32_t, char* text) { *text = 0; }
  virtual std::int32_t getChunk(void**, bool = false) { return 0; }
  virtual std::int32_t setChunk(void*, std::int32_t, bool = false) { return 0; }

  // Record set-up, used by constructors. Thread: UI.
  virtual void setUniqueID(std::int32_t id);
  virtual void setNumInputs(std::int32_t inputs);
  virtual void setNumOutputs(std::int32_t outputs);
  virtual void canProcessReplacing(bool state = true);
  virtual void canDoubleReplacing(bool state = true);
  virtual void programsAreChunks(bool state = true);
  virtual void setInitialDelay(std::int32_t delay);

  // Host queries. Thread: any.
  virtual std::int32_t getMasterVersion();
  virtual float getSampleRate() { return sampleRate_.load(std::memory_order_relaxed); }
  virtual std::int32_t getBlockSize() { return blockSize_.load(std::memory_order_relaxed); }

  // Sets the has-editor flag when an editor is given, clears it otherwise. Thread: UI.
  virtual void setEditor(AEffEditor* editor);
  virtual AEffEditor* getEditor() { return editor_; }

  // Deprecated accumulating process and meter; hosts of 2.4 no longer call them.
  virtual void process(float**, float**, std::int32_t) {}
  virtual float getVu() { return 0.0f; }

  // The host's version answer to a version query made before any effect exists; 0 when
  // there is no callback. Thread: any.
  static vst::IntPtr queryHostVersion(vst::HostCallback audioMaster);

 protected:
  // Calls the host with this effect's record. 0 without a callback. Thread: any.
  vst::IntPtr callHost(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
  // Sends the host an automate call without setting the parameter. Thread: any.
  void automateHost(std::int32_t index, float normalised);
  bool effectFlag(std::int32_t flag) const;
  void setEffectFlag(std::int32_t flag, bool state);

  vst::HostCallback audioMaster_;
  AEffEditor* editor_ = nullptr;
  // Written by the host's UI thread, read by the engine on the audio thread.
  std::atomic<float> sampleRate_{44100.0f};
  std::atomic<std::int32_t> blockSize_{1024};
  std::int32_t numPrograms_;
  std::int32_t numParams_;
  std::atomic<std::int32_t> curProgram_{0};

 private:
  // The effect record, constructed in place by dispatcher.cpp; its size is checked there
  // against the real declaration.
  static constexpr std::size_t kRecordSize = sizeof(void*) == 8 ? 192 : 144;
  alignas(alignof(std::max_align_t)) unsigned char record_[kRecordSize];
};

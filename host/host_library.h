// Our host library: loads a VST 2.4 module with the platform's loader, creates instances
// through the exported entry point, drives them through the effect record exactly as a
// host does, and records every callback an instance makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/vst/aeffect.h"

namespace gw::host {

// One loaded module file. Unloads it on destruction (instances must be gone by then).
class Module {
 public:
  // Returns null and sets error (loader's text) when the file cannot be loaded or has no
  // VSTPluginMain/main export.
  static std::unique_ptr<Module> load(const std::string& path, std::string& error);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  VstPluginMainProc entry() const { return entry_; }
  const std::string& path() const { return path_; }

 private:
  Module() = default;
  void* handle_ = nullptr;
  VstPluginMainProc entry_ = nullptr;
  std::string path_;
};

// One callback from the instance to the host.
struct CallbackRecord {
  std::int32_t opcode;
  std::int32_t index;
  vst::IntPtr value;
  float opt;
};

struct HostOptions {
  vst::IntPtr versionAnswer = 2400;  // answer to audioMasterVersion
  float sampleRate = 44100.0f;
  std::int32_t blockSize = 512;
  bool open = true;  // send effOpen, sample rate, block size and resume after creation
};

// One plug-in instance. Closes it (effClose) on destruction unless already closed.
class Plugin {
 public:
  // Null with error set when the entry point returns null.
  static std::unique_ptr<Plugin> create(const Module& module, std::string& error,
                                        const HostOptions& options = {});
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  vst::AEffect* effect() const { return effect_; }
  vst::IntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
  void close();  // effClose; the effect record is gone afterwards

  void setParameter(std::int32_t index, float normalised);
  float getParameter(std::int32_t index);
  std::string parameterName(std::int32_t index);
  std::string parameterLabel(std::int32_t index);
  std::string parameterDisplay(std::int32_t index);
  std::string programName();  // current program
  std::string programNameIndexed(std::int32_t index);
  std::string effectName();
  std::string vendorString();
  std::string productString();
  // effGetOutputProperties / effGetInputProperties; false when the module declines.
  bool outputProperties(std::int32_t pin, vst::VstPinProperties& properties);
  bool inputProperties(std::int32_t pin, vst::VstPinProperties& properties);

  // The editor's next frame through the module's frame grab (editor/frame_grab.h): rows
  // top first, 4 bytes a pixel. False when the module has none to give (no editor open,
  // no frame drawn in time, or a module without the request).
  struct Frame {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
  };
  bool grabEditorFrame(Frame& frame);
  // MIDI messages the module refused for want of room in a block (plugin/vendor_requests.h);
  // 0 from any other module, which is not asked.
  std::uint32_t refusedMidi();

  // effMainsChanged with 1 / 0.
  void resume();
  void suspend();
  void setSampleRate(float rate);
  void setBlockSize(std::int32_t frames);

  // Sends one MIDI message (1 to 3 bytes) per event through effProcessEvents.
  struct MidiEvent {
    std::uint8_t bytes[3];
    std::int32_t deltaFrames = 0;
  };
  vst::IntPtr sendMidi(const std::vector<MidiEvent>& events);
  // processReplacing into two output buffers of `frames` samples (zeroed first; extra
  // pins the module declares get scratch buffers).
  void process(float* left, float* right, std::int32_t frames);

  std::vector<CallbackRecord> callbacks() const;
  void clearCallbacks();
  std::size_t countCallbacks(std::int32_t opcode) const;

 private:
  Plugin() = default;
  static vst::IntPtr VSTCALLBACK hostCallback(vst::AEffect* effect, std::int32_t opcode,
                                              std::int32_t index, vst::IntPtr value, void* ptr,
                                              float opt);
  vst::IntPtr answer(std::int32_t opcode, std::int32_t index, vst::IntPtr value, void* ptr,
                     float opt);
  std::string textFrom(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0);

  vst::AEffect* effect_ = nullptr;
  HostOptions options_;
  mutable std::mutex mutex_;
  std::vector<CallbackRecord> records_;
  // Reused between calls so that steady rendering does not allocate.
  std::vector<vst::VstMidiEvent> midiEvents_;
  std::vector<void*> eventList_;
  std::vector<std::vector<float>> scratch_;
  std::vector<float*> inputPointers_;
  std::vector<float*> outputPointers_;
};

}  // namespace gw::host

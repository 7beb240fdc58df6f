#include "host/host_library.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "editor/frame_grab.h"
#include "platform/module_loader.h"
#include "plugin/vendor_requests.h"

namespace gw::host {

namespace {

// The instance whose entry call is running on this thread. A module may call back before
// its effect record exists (the version query passes a null effect) or before we have
// stamped the record's user field; such calls belong to the instance being created.
thread_local Plugin* tCreating = nullptr;

// Generous text buffers: modules often write past the interface's nominal capacities.
constexpr std::size_t kTextCapacity = 256;

bool equals(const void* ptr, const char* text) {
  return ptr != nullptr && std::strcmp(static_cast<const char*>(ptr), text) == 0;
}

void copyText(void* ptr, const char* text, std::size_t capacity) {
  if (ptr == nullptr) return;
  std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
  static_cast<char*>(ptr)[capacity - 1] = '\0';
}

// Far beyond any real instrument, well short of what would exhaust memory.
bool countsArePlausible(const vst::AEffect& effect) {
  constexpr std::int32_t kMaxPins = 256;
  constexpr std::int32_t kMaxItems = 1 << 16;
  return effect.numInputs >= 0 && effect.numInputs <= kMaxPins && effect.numOutputs >= 0 &&
         effect.numOutputs <= kMaxPins && effect.numParams >= 0 && effect.numParams <= kMaxItems &&
         effect.numPrograms >= 0 && effect.numPrograms <= kMaxItems;
}

}  // namespace

std::unique_ptr<Module> Module::load(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no module file given";
    return nullptr;
  }
  void* handle = platform::loadModule(path, error);
  if (handle == nullptr) return nullptr;
  void* symbol = platform::findModuleSymbol(handle, "VSTPluginMain");
  if (symbol == nullptr) symbol = platform::findModuleSymbol(handle, "main");
  if (symbol == nullptr) {
    error = path + ": exports neither VSTPluginMain nor main";
    platform::unloadModule(handle);
    return nullptr;
  }
  std::unique_ptr<Module> module(new Module());
  module->handle_ = handle;
  module->entry_ = reinterpret_cast<VstPluginMainProc>(symbol);
  module->path_ = path;
  return module;
}

Module::~Module() {
  platform::unloadModule(handle_);
}

std::unique_ptr<Plugin> Plugin::create(const Module& module, std::string& error,
                                       const HostOptions& options) {
  std::unique_ptr<Plugin> plugin(new Plugin());
  plugin->options_ = options;
  Plugin* previous = tCreating;
  tCreating = plugin.get();
  vst::AEffect* effect = module.entry()(&Plugin::hostCallback);
  tCreating = previous;
  if (effect == nullptr) {
    error = module.path() + ": VSTPluginMain returned no effect";
    return nullptr;
  }
  if (effect->magic != vst::kEffectMagic || effect->dispatcher == nullptr) {
    // Not something we can talk to, nor safely close; the module keeps it.
    error = module.path() + ": VSTPluginMain returned a record without the effect magic";
    return nullptr;
  }
  effect->user = plugin.get();
  plugin->effect_ = effect;
  if (!countsArePlausible(*effect)) {
    // A corrupt record would have us allocate or loop without end; close it unopened.
    error = module.path() + ": the effect declares implausible pin, parameter or program counts";
    return nullptr;
  }
  if (options.open) {
    plugin->dispatch(vst::effOpen);
    plugin->setSampleRate(options.sampleRate);
    plugin->setBlockSize(options.blockSize);
    plugin->resume();
  }
  return plugin;
}

Plugin::~Plugin() {
  close();
}

vst::IntPtr Plugin::dispatch(std::int32_t opcode, std::int32_t index, vst::IntPtr value, void* ptr,
                             float opt) {
  if (effect_ == nullptr) return 0;
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Plugin::close() {
  if (effect_ == nullptr) return;
  vst::AEffect* effect = effect_;
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
  effect_ = nullptr;
}

void Plugin::setParameter(std::int32_t index, float normalised) {
  if (effect_ != nullptr && effect_->setParameter != nullptr)
    effect_->setParameter(effect_, index, normalised);
}

float Plugin::getParameter(std::int32_t index) {
  if (effect_ == nullptr || effect_->getParameter == nullptr) return 0.0f;
  return effect_->getParameter(effect_, index);
}

std::string Plugin::textFrom(std::int32_t opcode, std::int32_t index, vst::IntPtr value) {
  char text[kTextCapacity] = {};
  dispatch(opcode, index, value, text);
  text[kTextCapacity - 1] = '\0';
  return text;
}

std::string Plugin::parameterName(std::int32_t index) {
  return textFrom(vst::effGetParamName, index);
}
std::string Plugin::parameterLabel(std::int32_t index) {
  return textFrom(vst::effGetParamLabel, index);
}
std::string Plugin::parameterDisplay(std::int32_t index) {
  return textFrom(vst::effGetParamDisplay, index);
}
std::string Plugin::programName() {
  return textFrom(vst::effGetProgramName);
}

std::string Plugin::programNameIndexed(std::int32_t index) {
  char text[kTextCapacity] = {};
  if (dispatch(vst::effGetProgramNameIndexed, index, 0, text) == 0) return {};
  text[kTextCapacity - 1] = '\0';
  return text;
}

std::string Plugin::effectName() {
  return textFrom(vst::effGetEffectName);
}
std::string Plugin::vendorString() {
  return textFrom(vst::effGetVendorString);
}
std::string Plugin::productString() {
  return textFrom(vst::effGetProductString);
}

bool Plugin::outputProperties(std::int32_t pin, vst::VstPinProperties& properties) {
  properties = {};
  return dispatch(vst::effGetOutputProperties, pin, 0, &properties) != 0;
}

bool Plugin::inputProperties(std::int32_t pin, vst::VstPinProperties& properties) {
  properties = {};
  return dispatch(vst::effGetInputProperties, pin, 0, &properties) != 0;
}

void Plugin::resume() {
  dispatch(vst::effMainsChanged, 0, 1);
}
void Plugin::suspend() {
  dispatch(vst::effMainsChanged, 0, 0);
}

void Plugin::setSampleRate(float rate) {
  options_.sampleRate = rate;
  dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
}

void Plugin::setBlockSize(std::int32_t frames) {
  options_.blockSize = frames;
  dispatch(vst::effSetBlockSize, 0, frames);
}

vst::IntPtr Plugin::sendMidi(const std::vector<MidiEvent>& events) {
  const std::size_t count = events.size();
  midiEvents_.assign(count, vst::VstMidiEvent{});
  // The record declares two event pointers; hosts allocate room for as many as they send.
  const std::size_t pointers = std::max<std::size_t>(count, 2);
  eventList_.assign(offsetof(vst::VstEvents, events) / sizeof(void*) + pointers, nullptr);
  auto* list = reinterpret_cast<vst::VstEvents*>(eventList_.data());
  list->numEvents = static_cast<std::int32_t>(count);
  list->reserved = 0;
  vst::VstEvent** slots = list->events;
  for (std::size_t i = 0; i < count; ++i) {
    vst::VstMidiEvent& midi = midiEvents_[i];
    midi.type = vst::kVstMidiType;
    midi.byteSize = static_cast<std::int32_t>(sizeof(vst::VstMidiEvent) - 2 * sizeof(std::int32_t));
    midi.deltaFrames = events[i].deltaFrames;
    for (int b = 0; b < 3; ++b) midi.midiData[b] = static_cast<char>(events[i].bytes[b]);
    slots[i] = reinterpret_cast<vst::VstEvent*>(&midi);
  }
  return dispatch(vst::effProcessEvents, 0, 0, list);
}

void Plugin::process(float* left, float* right, std::int32_t frames) {
  if (frames <= 0) return;
  std::fill(left, left + frames, 0.0f);
  std::fill(right, right + frames, 0.0f);
  if (effect_ == nullptr) return;
  // Every pin the module declares gets a buffer, whether or not we keep what it writes.
  const std::int32_t inputs = std::max(effect_->numInputs, 0);
  const std::int32_t outputs = std::max(effect_->numOutputs, 2);
  const std::size_t scratchSize = static_cast<std::size_t>(frames);
  scratch_.resize(static_cast<std::size_t>(inputs + outputs - 2));
  for (auto& buffer : scratch_) buffer.assign(scratchSize, 0.0f);
  inputPointers_.assign(static_cast<std::size_t>(std::max(inputs, 2)), nullptr);
  outputPointers_.assign(static_cast<std::size_t>(outputs), nullptr);
  std::size_t next = 0;
  for (std::int32_t i = 0; i < inputs; ++i) inputPointers_[i] = scratch_[next++].data();
  outputPointers_[0] = left;
  outputPointers_[1] = right;
  for (std::int32_t i = 2; i < outputs; ++i) outputPointers_[i] = scratch_[next++].data();
  if (effect_->processReplacing != nullptr) {
    effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), frames);
  } else if (effect_->process != nullptr) {
    // The deprecated call accumulates into the zeroed outputs.
    effect_->process(effect_, inputPointers_.data(), outputPointers_.data(), frames);
  }
}

std::vector<CallbackRecord> Plugin::callbacks() const {
  std::lock_guard lock(mutex_);
  return records_;
}

void Plugin::clearCallbacks() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

bool Plugin::grabEditorFrame(Frame& frame) {
  gw::FrameGrab grab;
  // The first call only learns the size.
  dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, &grab);
  if (grab.width <= 0 || grab.height <= 0 || grab.width > 16384 || grab.height > 16384) {
    return false;
  }
  frame.width = grab.width;
  frame.height = grab.height;
  frame.rgba.assign(static_cast<std::size_t>(grab.width) * grab.height * 4, 0);
  grab.capacity = static_cast<std::int32_t>(frame.rgba.size());
  grab.rgba = frame.rgba.data();
  return dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, &grab) == 1 &&
         grab.width == frame.width && grab.height == frame.height;
}

std::uint32_t Plugin::refusedMidi() {
  if (effect_ == nullptr || effect_->uniqueID != gw::kModuleUniqueId) return 0;
  const vst::IntPtr count = dispatch(vst::effVendorSpecific, gw::kRefusedMidiRequest);
  return count > 0 ? static_cast<std::uint32_t>(count) : 0u;
}

std::size_t Plugin::countCallbacks(std::int32_t opcode) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(records_.begin(), records_.end(),
                    [opcode](const CallbackRecord& record) { return record.opcode == opcode; }));
}

// Thread: any (whichever thread the module calls back from)
vst::IntPtr VSTCALLBACK Plugin::hostCallback(vst::AEffect* effect, std::int32_t opcode,
                                             std::int32_t index, vst::IntPtr value, void* ptr,
                                             float opt) {
  Plugin* plugin = nullptr;
  if (effect != nullptr && effect->user != nullptr) {
    plugin = static_cast<Plugin*>(effect->user);
  } else {
    plugin = tCreating;
  }
  if (plugin != nullptr) return plugin->answer(opcode, index, value, ptr, opt);
  // An instance we cannot place: answer as a host of our version would, record nothing.
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

vst::IntPtr Plugin::answer(std::int32_t opcode, std::int32_t index, vst::IntPtr value, void* ptr,
                           float opt) {
  {
    std::lock_guard lock(mutex_);
    records_.push_back({opcode, index, value, opt});
  }
  switch (opcode) {
    case vst::audioMasterVersion:
      return options_.versionAnswer;
    case vst::audioMasterWantMidi:
    case vst::audioMasterUpdateDisplay:
    case vst::audioMasterBeginEdit:
    case vst::audioMasterEndEdit:
      return 1;
    case vst::audioMasterGetSampleRate:
      return static_cast<vst::IntPtr>(options_.sampleRate);
    case vst::audioMasterGetBlockSize:
      return options_.blockSize;
    case vst::audioMasterGetVendorString:
      copyText(ptr, "Glimmerwick", vst::kVstMaxVendorStrLen);
      return 1;
    case vst::audioMasterGetProductString:
      copyText(ptr, "Glimmerwick host library", vst::kVstMaxProductStrLen);
      return 1;
    case vst::audioMasterGetVendorVersion:
      return 1;
    case vst::audioMasterGetLanguage:
      return 1;  // English
    case vst::audioMasterCanDo:
      return (equals(ptr, "sendVstEvents") || equals(ptr, "sendVstMidiEvent")) ? 1 : 0;
    default:
      return 0;
  }
}

}  // namespace gw::host

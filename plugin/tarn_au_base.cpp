#include "plugin/tarn_au_base.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "editor/frame_grab.h"
#include "params/parameter_model.h"
#include "params/parameter_text.h"

namespace {

// Longest value text written into a host's display buffer, terminator included.
constexpr std::size_t kDisplayBytes = 24;
constexpr std::size_t kParameterNameChars = 15;
// A program keeps 31 characters of its name, but a host's program-name buffer is only
// promised 24 bytes: a longer reply would write past it.
constexpr std::size_t kProgramNameChars = 23;
constexpr std::size_t kLabelChars = 8;
constexpr std::size_t kVendorChars = 63;
constexpr std::size_t kListenerReserve = 32;

}  // namespace

TarnAuBase::TarnAuBase(vst::HostCallback audioMaster, std::int32_t numParams)
    : AudioEffectX(audioMaster, kNumPrograms, numParams) {
  for (TarnProgramBasic*& program : programs_) {
    program = new (std::nothrow) TarnProgramBasic;
    if (program == nullptr) continue;
    for (int i = 0; i < gw::param::kCount; ++i) {
      program->setValue(i, gw::kParameterTable[i].defaultValue);
    }
    program->setName("Defaults");
  }
}

TarnAuBase::~TarnAuBase() {
  for (TarnProgramBasic* program : programs_) delete program;
}

bool TarnAuBase::constructed() const {
  return std::all_of(std::begin(programs_), std::end(programs_),
                     [](const TarnProgramBasic* p) { return p != nullptr; });
}

TarnProgramBasic* TarnAuBase::currentProgram() const {
  return programs_[curProgram_.load(std::memory_order_relaxed)];
}

TarnProgramBasic* TarnAuBase::program(int index) const {
  return index >= 0 && index < kNumPrograms ? programs_[index] : nullptr;
}

float TarnAuBase::currentValue(int index) const {
  return currentProgram()->getValue(index);
}

void TarnAuBase::resume() {
  if (!isSynthFlagSet()) {
    char midiInput[] = "receiveVstMidiEvent";
    if (canDo(midiInput) != 1) return;
  }
  wantEvents(1);
}

void TarnAuBase::setParameter(std::int32_t index, float value) {
  const std::optional<float> internal = gw::acceptNormalised(index, value);
  if (!internal) return;
  currentProgram()->setValue(index, *internal);
  if (gw::EditorLink* link = editorLink()) link->parameterChanged(index, *internal);
}

float TarnAuBase::getParameter(std::int32_t index) {
  if (!gw::isParameterIndex(index)) return 0.0f;
  return gw::toNormalised(index, currentValue(index));
}

void TarnAuBase::setParameterFromEditor(int index, float value) {
  if (!gw::isParameterIndex(index) || std::isnan(value)) return;
  currentProgram()->setValue(index, value);
  if (gw::EditorLink* link = editorLink()) link->parameterChanged(index, value);
  automateHost(index, gw::toNormalised(index, value));
}

void TarnAuBase::getParameterLabel(std::int32_t index, char* label) {
  if (label == nullptr) return;
  const bool valid = gw::isParameterIndex(index);
  gw::copyText(label, valid ? gw::unitLabel(gw::kParameterTable[index].unit) : "", kLabelChars);
}

void TarnAuBase::getParameterName(std::int32_t index, char* text) {
  if (text == nullptr) return;
  const bool valid = gw::isParameterIndex(index);
  gw::copyText(text, valid ? gw::kParameterTable[index].name : "", kParameterNameChars);
}

void TarnAuBase::getParameterDisplay(std::int32_t index, char* text) {
  gw::displayText(index, currentValue(index), text, kDisplayBytes);
}

void TarnAuBase::setProgram(std::int32_t program) {
  if (program >= 0 && program < kNumPrograms) curProgram_.store(program, std::memory_order_relaxed);
}

void TarnAuBase::setProgramName(char* name) {
  currentProgram()->setName(name);
}

void TarnAuBase::getProgramName(char* name) {
  gw::copyText(name, currentProgram()->getName(), kProgramNameChars);
}

bool TarnAuBase::getProgramNameIndexed(std::int32_t, std::int32_t index, char* text) {
  const TarnProgramBasic* p = program(index);
  if (p == nullptr || text == nullptr) return false;
  gw::copyText(text, p->getName(), kProgramNameChars);
  return true;
}

bool TarnAuBase::getVendorString(char* text) {
  gw::copyText(text, "Tarnwell", kVendorChars);
  return text != nullptr;
}

vst::IntPtr TarnAuBase::vendorSpecific(std::int32_t index, vst::IntPtr, void* ptr, float) {
  if (index != gw::kFrameGrabRequest || ptr == nullptr) return 0;
  gw::EditorLink* link = editorLink();
  return link != nullptr && link->grabFrame(*static_cast<gw::FrameGrab*>(ptr)) ? 1 : 0;
}

std::int32_t TarnAuBase::GetParameterInfo(std::int32_t, std::int32_t, gw::CFArray**) {
  return kInvalidParameter;
}

std::int32_t TarnAuBase::GetProperty(std::int32_t, std::int32_t, std::int32_t, void*) {
  return kInvalidProperty;
}

std::int32_t TarnAuBase::GetPropertyInfo(std::int32_t, std::int32_t, std::int32_t, std::uint32_t*,
                                         bool*) {
  return kInvalidProperty;
}

std::int32_t TarnAuBase::SetProperty(std::int32_t, std::int32_t, std::int32_t, const void*,
                                     std::uint32_t) {
  return kInvalidProperty;  // no property is writable
}

std::int32_t TarnAuBase::AddPropertyListener(std::int32_t property, PropertyListenerProc callback,
                                             void* userData) {
  if (callback == nullptr) return kInvalidProperty;
  try {
    if (propertyListeners_.empty()) propertyListeners_.reserve(kListenerReserve);
    propertyListeners_.push_back({property, callback, userData});
  } catch (const std::bad_alloc&) {
    return kInvalidProperty;
  }
  return kNoErr;
}

std::int32_t TarnAuBase::RemovePropertyListener(std::int32_t property,
                                                PropertyListenerProc callback, void* userData) {
  std::erase_if(propertyListeners_, [&](const PropertyListener& l) {
    return l.property == property && l.callback == callback && l.userData == userData;
  });
  return kNoErr;
}

void TarnAuBase::GetActivity(gw::ActivityRecord&) {}

// A tiny VST 2.4 module for testing our host library and host programs without the real
// synthesiser. Variants are chosen at build time: FAKE_RETURN_NULL (the entry refuses),
// FAKE_NO_ENTRY (no entry export), FAKE_MAIN_ONLY (entry exported only as "main"),
// FAKE_CORRUPT_COUNTS (a record claiming a billion outputs).
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "plugin/vst/aeffect.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<int> gLive{0};

struct Fake {
  vst::AEffect effect{};
  vst::HostCallback host = nullptr;
  float params[2] = {0.5f, 0.25f};
  int program = 0;
  int events = 0;
  int held = 0;
  int lastNote = -1;
  int lastDelta = -1;
  float sampleRate = 0.0f;
  int blockSize = 0;
};

const char* const kParamNames[2] = {"Gain", "Very Long Parameter Name"};
const char* const kProgramNames[3] = {"Init", "Bright Pad", "Deep Bass"};

Fake* self(vst::AEffect* effect) {
  return static_cast<Fake*>(effect->object);
}

void put(void* ptr, const char* text) {
  std::strcpy(static_cast<char*>(ptr), text);
}

vst::IntPtr dispatcher(vst::AEffect* effect, std::int32_t opcode, std::int32_t index,
                       vst::IntPtr value, void* ptr, float opt) {
  Fake* fake = self(effect);
  switch (opcode) {
    case vst::effClose:
      delete fake;
      --gLive;
      return 1;
    case vst::effSetProgram:
      if (value >= 0 && value < 3) fake->program = static_cast<int>(value);
      return 0;
    case vst::effGetProgram:
      return fake->program;
    case vst::effGetProgramName:
      put(ptr, kProgramNames[fake->program]);
      return 0;
    case vst::effGetProgramNameIndexed:
      if (index < 0 || index >= 3) return 0;
      put(ptr, kProgramNames[index]);
      return 1;
    case vst::effGetParamName:
      if (index < 0 || index >= 2) return 0;
      std::snprintf(static_cast<char*>(ptr), 16, "%s", kParamNames[index]);
      return 0;
    case vst::effGetParamLabel:
      put(ptr, index == 0 ? "dB" : "");
      return 0;
    case vst::effGetParamDisplay:
      if (index < 0 || index >= 2) return 0;
      std::snprintf(static_cast<char*>(ptr), 8, "%.3f", fake->params[index]);
      return 0;
    case vst::effSetSampleRate:
      fake->sampleRate = opt;
      return 0;
    case vst::effSetBlockSize:
      fake->blockSize = static_cast<int>(value);
      return 0;
    case vst::effMainsChanged:
      if (value != 0) fake->host(effect, vst::audioMasterWantMidi, 0, 1, nullptr, 0.0f);
      return 0;
    case vst::effProcessEvents: {
      auto* list = static_cast<vst::VstEvents*>(ptr);
      for (int i = 0; i < list->numEvents; ++i) {
        auto* midi = reinterpret_cast<vst::VstMidiEvent*>(list->events[i]);
        if (midi->type != vst::kVstMidiType) continue;
        ++fake->events;
        fake->lastDelta = midi->deltaFrames;
        const int kind = midi->midiData[0] & 0xF0;
        if (kind == 0x90 && midi->midiData[2] != 0) {
          fake->lastNote = midi->midiData[1];
          ++fake->held;
        } else if (kind == 0x80 || kind == 0x90) {
          fake->held = fake->held > 0 ? fake->held - 1 : 0;
        }
      }
      return 1;
    }
    case vst::effGetOutputProperties:
    case vst::effGetInputProperties: {
      if (index < 0 || index > 2) return 0;
      auto* pin = static_cast<vst::VstPinProperties*>(ptr);
      std::snprintf(pin->label, sizeof pin->label, "%s %d",
                    opcode == vst::effGetInputProperties ? "In" : "Out", index + 1);
      pin->flags = vst::kVstPinIsActive;
      return 1;
    }
    case vst::effGetPlugCategory:
      return vst::kPlugCategSynth;
    case vst::effGetEffectName:
      put(ptr, "Fake");
      return 1;
    case vst::effGetVendorString:
      put(ptr, "Test Vendor");
      return 1;
    case vst::effGetProductString:
      put(ptr, "Fake Product");
      return 1;
    case vst::effGetVendorVersion:
      return 42;
    case vst::effGetVstVersion:
      return 2400;
    case vst::effVendorSpecific: {
      // Automate from `index` threads at once, `value` times each.
      std::vector<std::thread> threads;
      for (int t = 0; t < index; ++t) {
        threads.emplace_back([effect, fake, t, value] {
          for (vst::IntPtr i = 0; i < value; ++i)
            fake->host(effect, vst::audioMasterAutomate, t, 0, nullptr, 0.5f);
        });
      }
      for (auto& thread : threads) thread.join();
      return 1;
    }
    case 1000:  // test hook: what the last events carried
      return fake->lastNote * 10000 + fake->lastDelta;
    default:
      return 0;
  }
}

void setParameter(vst::AEffect* effect, std::int32_t index, float value) {
  if (index >= 0 && index < 2) self(effect)->params[index] = value;
}

float getParameter(vst::AEffect* effect, std::int32_t index) {
  return index >= 0 && index < 2 ? self(effect)->params[index] : 0.0f;
}

// Output 0 carries parameter 0, output 1 the number of held notes, output 2 the input plus
// one. Like a synthesiser that applies events at block starts, whole blocks are constant.
void processReplacing(vst::AEffect* effect, float** inputs, float** outputs, std::int32_t n) {
  Fake* fake = self(effect);
  for (std::int32_t i = 0; i < n; ++i) {
    outputs[0][i] = fake->params[0];
    outputs[1][i] = static_cast<float>(fake->held);
    outputs[2][i] = inputs[0][i] + 1.0f;
  }
}

[[maybe_unused]] vst::AEffect* create(vst::HostCallback host) {
  if (host(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
#ifdef FAKE_RETURN_NULL
  return nullptr;
#endif
  auto* fake = new Fake();
  ++gLive;
  fake->host = host;
  vst::AEffect& e = fake->effect;
  e.magic = vst::kEffectMagic;
  e.dispatcher = &dispatcher;
  e.setParameter = &setParameter;
  e.getParameter = &getParameter;
  e.processReplacing = &processReplacing;
  e.numPrograms = 3;
  e.numParams = 2;
  e.numInputs = 1;
  e.numOutputs = 3;
#ifdef FAKE_CORRUPT_COUNTS
  e.numOutputs = 1 << 30;
#endif
  e.flags = vst::effFlagsCanReplacing | vst::effFlagsIsSynth;
  e.ioRatio = 1.0f;
  e.object = fake;
  e.uniqueID = vst::fourCC('F', 'a', 'k', 'e');
  e.version = 7;
  // A call with the record before the host has seen it.
  host(&e, vst::audioMasterCurrentId, 0, 0, nullptr, 0.0f);
  return &e;
}

}  // namespace

FAKE_EXPORT int fakeLiveInstances() {
  return gLive.load();
}

#if defined(FAKE_MAIN_ONLY)
FAKE_EXPORT vst::AEffect* fakeMain(vst::HostCallback host) __asm__("main");
FAKE_EXPORT vst::AEffect* fakeMain(vst::HostCallback host) {
  return create(host);
}
#elif !defined(FAKE_NO_ENTRY)
FAKE_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallback host) {
  return create(host);
}
#endif

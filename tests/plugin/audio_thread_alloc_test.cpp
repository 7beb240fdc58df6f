// The calls a host may make from its audio thread must not allocate.
#include <gtest/gtest.h>

#include "plugin/plugin_factory.h"
#include "plugin/vst/aeffect.h"
#include "tests/support/counting_allocator.h"

namespace {

vst::IntPtr VSTCALLBACK quietHost(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                  void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

}  // namespace

TEST(AudioThread, EventsProcessingAndParameterChangesDoNotAllocate) {
  vst::AEffect* e = gw::createEffect(quietHost, true);
  ASSERT_NE(e, nullptr);
  e->dispatcher(e, vst::effMainsChanged, 0, 1, nullptr, 0.0f);

  // A host allocates the list with room for all its event pointers.
  vst::VstMidiEvent midi[3] = {};
  const unsigned char bytes[3][3] = {{0x90, 60, 100}, {0x80, 60, 0}, {0xB0, 123, 0}};
  struct {
    std::int32_t numEvents;
    vst::IntPtr reserved;
    vst::VstEvent* events[3];
  } hostList{3, 0, {}};
  for (int i = 0; i < 3; ++i) {
    midi[i].type = vst::kVstMidiType;
    midi[i].byteSize = sizeof(vst::VstMidiEvent);
    for (int b = 0; b < 3; ++b) midi[i].midiData[b] = static_cast<char>(bytes[i][b]);
    hostList.events[i] = reinterpret_cast<vst::VstEvent*>(&midi[i]);
  }
  auto* events = reinterpret_cast<vst::VstEvents*>(&hostList);

  float left[256], right[256];
  float* outputs[] = {left, right};
  {
    gw::test::AllocationCount allocations;
    int* probe = new int[64];  // proves the counter sees allocations
    asm volatile("" : : "r"(probe) : "memory");
    delete[] probe;
    ASSERT_EQ(allocations.count(), 2);
  }

  gw::test::AllocationCount allocations;
  for (int block = 0; block < 20; ++block) {
    e->dispatcher(e, vst::effProcessEvents, 0, 0, events, 0.0f);
    e->setParameter(e, block % 180, 0.3f);
    e->getParameter(e, 139);
    e->dispatcher(e, vst::effSetProgram, 0, block % 32, nullptr, 0.0f);
    e->processReplacing(e, nullptr, outputs, 256);
  }
  EXPECT_EQ(allocations.count(), 0);
  e->dispatcher(e, vst::effClose, 0, 0, nullptr, 0.0f);
}

// Programs, host opcodes and the entry point, through the effect record.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "editor/frame_grab.h"
#include "params/factory_bank.h"
#include "platform/system.h"
#include "tests/plugin/synth_fixture.h"

namespace gw::test {
namespace {

// Out of range at every pointer width, and 0 once truncated to 32 bits on 64-bit hosts.
constexpr vst::IntPtr kHugeIndex = std::numeric_limits<vst::IntPtr>::min();

TEST_F(SynthTest, ProgramsStartAsTheFactoryBank) {
  EXPECT_EQ(dispatch(vst::effGetProgram), 0);
  EXPECT_EQ(text(vst::effGetProgramName), "Defaults");
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    for (int i = 0; i < param::kCount; ++i)
      ASSERT_EQ(synth_->program(p)->getValue(i), factoryBank[p].values[i]) << p << " " << i;
  }
  char name[64] = "untouched";
  EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, 31, 0, name), 1);
  EXPECT_STREQ(name, "KV Stars2");
  for (int bad : {32, -1, 1000}) {
    std::strcpy(name, "untouched");
    EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, bad, 0, name), 0);
    EXPECT_STREQ(name, "untouched");
  }
}

TEST_F(SynthTest, LongProgramNamesKeep31CharactersButReplyWithinTheHostsBuffer) {
  char name[] = "0123456789012345678901234567890123456789";
  dispatch(vst::effSetProgramName, 0, 0, name);
  EXPECT_EQ(std::string(synth_->program(0)->getName()), std::string(name, 31));
  // The host's buffer is promised 24 bytes: 23 characters and the terminator.
  char reply[64];
  std::memset(reply, 0x55, sizeof reply);
  dispatch(vst::effGetProgramName, 0, 0, reply);
  EXPECT_EQ(std::string(reply), std::string(name, 23));
  EXPECT_EQ(static_cast<unsigned char>(reply[24]), 0x55) << "nothing written past 24 bytes";
  std::memset(reply, 0x55, sizeof reply);
  EXPECT_EQ(dispatch(vst::effGetProgramNameIndexed, 0, 0, reply), 1);
  EXPECT_EQ(std::string(reply), std::string(name, 23));
}

TEST_F(SynthTest, SwitchingProgramsKeepsEdits) {
  EditorSpy spy;
  synth_->setEditorLink(&spy);
  set(param::kFilterCutoff, 0.25f);
  const float edited = synth_->currentValue(param::kFilterCutoff);
  dispatch(vst::effSetProgram, 0, 5);
  EXPECT_EQ(dispatch(vst::effGetProgram), 5);
  EXPECT_EQ(synth_->currentValue(param::kFilterCutoff),
            factoryBank[5].values[param::kFilterCutoff]);
  dispatch(vst::effSetProgram, 0, 0);
  EXPECT_EQ(synth_->currentValue(param::kFilterCutoff), edited);
  EXPECT_EQ(spy.programChanges, 2);
  // Out-of-range programs change nothing and refresh nothing.
  for (vst::IntPtr bad : {vst::IntPtr{32}, vst::IntPtr{-1}, kHugeIndex}) {
    dispatch(vst::effSetProgram, 0, bad);
  }
  synth_->setProgram(-3);
  EXPECT_EQ(dispatch(vst::effGetProgram), 0);
  EXPECT_EQ(spy.programChanges, 2);
  synth_->setEditorLink(nullptr);
}

TEST_F(SynthTest, OnlyTheFrameGrabOfVendorRequestsReachesTheEditor) {
  gw::FrameGrab grab;
  EXPECT_EQ(dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, &grab), 0) << "no editor";
  EditorSpy spy;
  synth_->setEditorLink(&spy);
  spy.grabAnswer = true;
  EXPECT_EQ(dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, &grab), 1);
  EXPECT_EQ(dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, nullptr), 0);
  EXPECT_EQ(dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest + 1, 0, &grab), 0);
  EXPECT_EQ(spy.frameGrabs, 1);
  spy.grabAnswer = false;
  EXPECT_EQ(dispatch(vst::effVendorSpecific, gw::kFrameGrabRequest, 0, &grab), 0);
  synth_->setEditorLink(nullptr);
}

TEST_F(SynthTest, NoChunks) {
  void* chunk = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(dispatch(vst::effGetChunk, 0, 0, &chunk), 0);
  EXPECT_EQ(effect_->flags & vst::effFlagsProgramChunks, 0);
}

TEST_F(SynthTest, SampleRateAndBlockSizeIgnoreNonsense) {
  dispatch(vst::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  dispatch(vst::effSetBlockSize, 0, 256);
  for (float bad : {0.0f, -44100.0f, NAN, INFINITY})
    dispatch(vst::effSetSampleRate, 0, 0, nullptr, bad);
  for (vst::IntPtr bad : {vst::IntPtr{0}, vst::IntPtr{-5}, kHugeIndex}) {
    dispatch(vst::effSetBlockSize, 0, bad);
  }
  EXPECT_EQ(synth_->getSampleRate(), 48000.0f);
  EXPECT_EQ(synth_->getBlockSize(), 256);
}

TEST_F(SynthTest, NullBuffersAreRefused) {
  for (std::int32_t opcode :
       {vst::effGetProgramName, vst::effSetProgramName, vst::effGetParamLabel,
        vst::effGetParamDisplay, vst::effGetParamName, vst::effGetChunk,
        vst::effGetProgramNameIndexed, vst::effGetOutputProperties, vst::effGetEffectName,
        vst::effGetVendorString, vst::effGetProductString, vst::effCanDo, vst::effProcessEvents,
        vst::effEditGetRect, vst::effGetSpeakerArrangement, vst::effString2Parameter}) {
    EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << opcode;
  }
  EXPECT_EQ(text(vst::effGetProgramName), "Defaults");
}

TEST_F(SynthTest, ResumeAsksForMidiAndANoteStartsFromSilence) {
  hostCalls().clear();
  dispatch(vst::effMainsChanged, 0, 1);
  ASSERT_FALSE(hostCalls().empty());
  EXPECT_EQ(hostCalls().back().opcode, vst::audioMasterWantMidi);
  EXPECT_EQ(hostCalls().back().value, 1);

  vst::VstMidiEvent noteOn{vst::kVstMidiType,
                           sizeof(vst::VstMidiEvent),
                           17,
                           0,
                           0,
                           0,
                           {char(0x93), 60, 100, 0},
                           0,
                           0,
                           0,
                           0};
  vst::VstEvents events{1, 0, {reinterpret_cast<vst::VstEvent*>(&noteOn), nullptr}};
  EXPECT_EQ(dispatch(vst::effProcessEvents, 0, 0, &events), 1);

  float left[64], right[64];
  std::fill(std::begin(left), std::end(left), 1.0f);
  std::fill(std::begin(right), std::end(right), 1.0f);
  float* outputs[] = {left, right};
  effect_->processReplacing(effect_, nullptr, outputs, 64);
  // The note starts at the first sample, from silence (the default attack is 0.5 s).
  EXPECT_TRUE(std::all_of(std::begin(left), std::end(left), [](float s) { return s < 1e-3f; }));
  EXPECT_TRUE(std::equal(std::begin(left), std::end(left), std::begin(right)));
  EXPECT_NE(left[63], 0.0f);
  effect_->processReplacing(effect_, nullptr, nullptr, 64);  // refused, no crash
}

TEST(Entry, HostThatAnswersZeroGetsNothingAndSeesNoMessage) {
  int messages = 0;
  platform::setMessageSink([&](std::string_view, std::string_view) { ++messages; });
  auto silentHost = [](vst::AEffect*, std::int32_t, std::int32_t, vst::IntPtr, void*,
                       float) -> vst::IntPtr { return 0; };
  EXPECT_EQ(createEffect(silentHost, true), nullptr);
  EXPECT_EQ(createEffect(silentHost, false), nullptr);
  EXPECT_EQ(createEffect(nullptr, true), nullptr);
  EXPECT_EQ(messages, 0);
  platform::setMessageSink({});
}

TEST(Entry, ProcessorWithoutSse2IsRefusedWithOneMessage) {
  std::vector<std::pair<std::string, std::string>> messages;
  platform::setMessageSink([&](std::string_view text, std::string_view caption) {
    messages.emplace_back(text, caption);
  });
  EXPECT_EQ(createEffect(recordingHost, false), nullptr);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, "Tarnwell Glimmerwick requires a processor with SSE2 capability");
  EXPECT_EQ(messages[0].second, "Error");
  platform::setMessageSink({});
}

}  // namespace
}  // namespace gw::test

// Note handling through MIDI bytes, as the host delivers them.
#include <gtest/gtest.h>

#include "audio_measure.h"
#include "test_program.h"

namespace gw {
namespace {

using test::send;

class Notes : public ::testing::Test {
 protected:
  void renderFrames(int frames) { last = test::render(*engine, program, 44100.0f, frames); }
  std::unique_ptr<SynthEngine> engine = test::makeEngine();
  test::TestProgram program;
  test::Rendered last;
};

TEST_F(Notes, VelocityZeroIsANoteOffAndOtherChannelsBehaveAlike) {
  send(*engine, 0x99, 60, 100);  // channel 10
  renderFrames(256);
  ASSERT_EQ(engine->voiceCount(), 1);
  EXPECT_FALSE(isReleased(engine->voice(0)));
  EXPECT_NEAR(engine->voice(0).velocity, 100.0f / 127.0f, 1e-6f);
  send(*engine, 0x90, 60, 0);
  renderFrames(256);
  EXPECT_TRUE(isReleased(engine->voice(0)));
  EXPECT_EQ(engine->heldNoteCount(), 0);
}

TEST_F(Notes, OnAndOffInOneBufferIsHeardOnlyThroughItsRelease) {
  send(*engine, 0x90, 64, 127);
  send(*engine, 0x80, 64, 64);
  renderFrames(256);
  ASSERT_EQ(engine->voiceCount(), 1);
  EXPECT_TRUE(isReleased(engine->voice(0)));
  // Released from level 0 at the first sample: nothing to hear.
  EXPECT_EQ(test::peak(last.left, 0, 256), 0.0f);
  renderFrames(44100 / 2 + 512);
  EXPECT_EQ(engine->voiceCount(), 0);
}

TEST_F(Notes, RestrikingAHeldKeyReleasesTheOldVoiceAndTheNoteOffTheNewOne) {
  send(*engine, 0x90, 60, 100);
  renderFrames(512);
  send(*engine, 0x90, 60, 90);
  renderFrames(512);
  ASSERT_EQ(engine->voiceCount(), 2);
  EXPECT_TRUE(isReleased(engine->voice(0)));
  EXPECT_FALSE(isReleased(engine->voice(1)));
  EXPECT_EQ(engine->heldNoteCount(), 1);
  send(*engine, 0x80, 60, 0);
  renderFrames(256);
  EXPECT_TRUE(isReleased(engine->voice(1)));
}

TEST_F(Notes, Controllers123And126ReleaseAllAndOthersReleaseNothing) {
  program.makeOrgan();
  // 121 resets the pedal and the wheel (neither is in use here); 64 holds rather than
  // releases; 120 fades (tests/engine/playing_test.cpp).
  for (std::uint8_t cc : {121, 64, 1, 123, 126}) {
    engine = test::makeEngine();
    send(*engine, 0x90, 60, 100);
    send(*engine, 0x91, 67, 100);
    renderFrames(256);
    send(*engine, 0xB5, cc, 127);
    renderFrames(256);
    ASSERT_EQ(engine->voiceCount(), 2);
    const bool releases = cc == 123 || cc == 126;
    EXPECT_EQ(isReleased(engine->voice(0)), releases) << "controller " << int(cc);
    EXPECT_EQ(isReleased(engine->voice(1)), releases) << "controller " << int(cc);
    // They fade with their release rather than stopping.
    if (releases) {
      EXPECT_GT(test::peak(last.left, 128, 256), 0.01f);
    }
  }
}

TEST_F(Notes, TheThirtyThirdNoteTakesOverTheQuietestVoice) {
  program.makeOrgan();
  program.set(param::kRelease, 0.01f);
  for (int n = 0; n < 32; ++n) send(*engine, 0x90, 40 + n, 100);
  renderFrames(256);
  send(*engine, 0x80, 40 + 7, 0);  // voice 7 fades out
  renderFrames(256);
  ASSERT_EQ(engine->voiceCount(), 32);
  send(*engine, 0x90, 100, 100);
  renderFrames(64);
  EXPECT_EQ(engine->voice(7).note, 100);
  EXPECT_EQ(engine->voiceCount(), 32);
}

TEST_F(Notes, AmongEqualLevelsTheLowestIndexIsTakenOver) {
  for (int n = 0; n < 32; ++n) send(*engine, 0x90, 40 + n, 100);
  send(*engine, 0x90, 100, 100);  // all 32 start at level 0 in the same drain
  renderFrames(64);
  EXPECT_EQ(engine->voice(0).note, 100);
}

TEST_F(Notes, AFinishedVoiceIsRetiredAndTheLastTakesItsPlace) {
  program.makeOrgan();
  program.set(param::kRelease, 0.002f);
  for (int n : {50, 52, 55}) send(*engine, 0x90, n, 100);
  renderFrames(256);
  send(*engine, 0x80, 50, 0);
  renderFrames(256);
  ASSERT_EQ(engine->voiceCount(), 2);
  EXPECT_EQ(engine->voice(0).note, 55);
  EXPECT_EQ(engine->voice(1).note, 52);
  EXPECT_NEAR(engine->activity().activity, 2.0f, 1e-5f);
}

TEST_F(Notes, PedalHoldsReleasedKeysUntilItIsLifted) {
  program.makeOrgan();
  send(*engine, 0x90, 60, 100);
  send(*engine, 0x90, 64, 100);
  engine->queue().Write(NoteKind::PedalChange, 1, 0.0f);
  send(*engine, 0x80, 60, 0);
  renderFrames(256);
  EXPECT_FALSE(isReleased(engine->voice(0)));
  EXPECT_TRUE(engine->pedalDown());
  engine->queue().Write(NoteKind::PedalChange, 0x100, 0.0f);  // low byte 0: up
  renderFrames(256);
  EXPECT_TRUE(isReleased(engine->voice(0)));
  EXPECT_FALSE(isReleased(engine->voice(1)));  // still held
  engine->queue().Write(NoteKind::HardReset, 0, 0.0f);
  renderFrames(256);
  EXPECT_EQ(engine->voiceCount(), 0);
  EXPECT_EQ(engine->heldNoteCount(), 0);
  EXPECT_EQ(test::peak(last.left, 0, 256), 0.0f);
}

TEST_F(Notes, MalformedInputIsRefusedSafely) {
  engine->midiMessage(nullptr, 3);
  const std::uint8_t shortMessage[1] = {0x90};
  engine->midiMessage(shortMessage, 1);
  engine->queue().Write(NoteKind::NoteOn, 300, 1.0f);  // out of MIDI range
  engine->queue().Write(NoteKind::NoteOn, -5, 1.0f);
  engine->queue().Write(static_cast<NoteKind>(-7), 0, 0.0f);  // unknown kind
  renderFrames(256);
  EXPECT_EQ(engine->voiceCount(), 0);
  // Null buffers and negative lengths render nothing and do not crash.
  send(*engine, 0x90, 60, 100);
  engine->renderBlock(program.view(), 44100.0f, nullptr, nullptr, 256);
  float buf[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  engine->renderBlock(program.view(), 44100.0f, buf, buf, -4);
  EXPECT_EQ(engine->voiceCount(), 1);
  // A missing sample rate silences the block and leaves the commands waiting.
  float left[64], right[64];
  send(*engine, 0x90, 62, 100);
  engine->renderBlock(program.view(), 0.0f, left, right, 64);
  engine->renderBlock(program.view(), 1e-20f, left, right, 64);
  EXPECT_EQ(test::peak(std::vector<float>(left, left + 64), 0, 64), 0.0f);
  EXPECT_EQ(engine->voiceCount(), 1);
  renderFrames(64);
  EXPECT_EQ(engine->voiceCount(), 2);
}

}  // namespace
}  // namespace gw

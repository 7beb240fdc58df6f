// What a player hears of the engine's event handling: notes on their own sample at any
// block size, the sustain pedal, dense blocks that lose no note-off, stealing and
// silencing without a click, Volume without steps, and a restart that leaves nothing of
// what was played.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio_measure.h"
#include "params/factory_bank.h"
#include "test_program.h"

namespace gw {
namespace {

constexpr float kRate = 44100.0f;

struct Event {
  int frame;  // from the start of the render
  std::uint8_t status, d1, d2;
};

// Renders frames samples in blocks of the given size, each event handed over before the
// block it falls in with its frame inside that block, as a host does.
test::Rendered play(SynthEngine& engine, const test::TestProgram& program,
                    const std::vector<Event>& events, int frames, int block) {
  test::Rendered out;
  out.left.resize(frames);
  out.right.resize(frames);
  std::size_t next = 0;
  for (int start = 0; start < frames; start += block) {
    const int n = std::min(block, frames - start);
    for (; next < events.size() && events[next].frame < start + n; ++next) {
      const std::uint8_t bytes[3] = {events[next].status, events[next].d1, events[next].d2};
      engine.midiMessage(bytes, 3, events[next].frame - start);
    }
    engine.renderBlock(program.view(), kRate, out.left.data() + start, out.right.data() + start, n);
  }
  return out;
}

// Every start of sound after at least 32 samples of silence (below -80 dB, where a release
// leaves its last fraction of a step until the voice is retired). A voice's first sample
// is its sine at phase 0, so a note taking effect at frame k is first heard at k + 1.
std::vector<int> onsets(const std::vector<float>& x) {
  constexpr float kSilence = 1e-4f;
  std::vector<int> found;
  int quiet = 32;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::fabs(x[i]) <= kSilence) {
      ++quiet;
      continue;
    }
    if (quiet >= 32) found.push_back(static_cast<int>(i) - 1);
    quiet = 0;
  }
  return found;
}

float largestStep(const std::vector<float>& x, std::size_t from, std::size_t to) {
  float step = 0.0f;
  for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, x.size()); ++i)
    step = std::max(step, std::fabs(x[i] - x[i - 1]));
  return step;
}

TEST(EventTiming, ANoteSoundsFromItsOwnFrameInBlocksOfEverySize) {
  test::TestProgram program;
  program.makeOrgan();
  for (int block : {64, 256, 1024}) {
    for (int k : {0, 1, 100, block - 1}) {
      auto engine = test::makeEngine();
      const int at = 3 * block + k;
      const auto out = play(*engine, program, {{at, 0x90, 69, 100}}, 5 * block, block);
      EXPECT_EQ(onsets(out.left), std::vector<int>{at}) << "block " << block << ", frame " << k;
    }
  }
}

// Notes spread off the block grid, each released before the next: at blocks of 32 and of
// 1024 every onset lands on the same sample, the one it was sent for.
TEST(EventTiming, APhraseHasTheSameOnsetsAtBlocksOf32And1024) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kRelease, 0.002f);
  std::vector<Event> events;
  std::vector<int> expected;
  for (int i = 0; i < 12; ++i) {
    const int at = 1000 + i * 2203;  // 50 ms apart, never a multiple of a block
    events.push_back({at, 0x90, static_cast<std::uint8_t>(60 + i), 100});
    events.push_back({at + 1500, 0x80, static_cast<std::uint8_t>(60 + i), 0});
    expected.push_back(at);
  }
  auto small = test::makeEngine();
  auto large = test::makeEngine();
  const auto a = play(*small, program, events, 30000, 32);
  const auto b = play(*large, program, events, 30000, 1024);
  EXPECT_EQ(onsets(a.left), expected);
  EXPECT_EQ(onsets(b.left), expected);
}

TEST(EventTiming, FramesOutsideTheBlockAreHeldToItAndTheHostsOrderStands) {
  test::TestProgram program;
  program.makeOrgan();
  auto engine = test::makeEngine();
  std::vector<float> left(256), right(256);
  const std::uint8_t on[3] = {0x90, 60, 100}, off[3] = {0x80, 60, 0};
  engine->midiMessage(on, 3, 5000);  // past the end: the block's last frame
  engine->renderBlock(program.view(), kRate, left.data(), right.data(), 256);
  EXPECT_EQ(onsets(left), std::vector<int>{});  // heard from the next block's first sample
  EXPECT_EQ(engine->voiceCount(), 1);
  engine->midiMessage(on, 3, -20);   // before the start: its first frame
  engine->midiMessage(off, 3, 200);  // a note-off, then a note-on sent for an earlier frame:
  engine->midiMessage(on, 3, 100);   // it follows the note-off, as the host ordered them
  engine->renderBlock(program.view(), kRate, left.data(), right.data(), 256);
  ASSERT_EQ(engine->voiceCount(), 3);
  EXPECT_FALSE(isReleased(engine->voice(2)));
}

class Pedal : public testing::Test {
 protected:
  Pedal() { program.makeOrgan(); }
  void send(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    test::send(*engine, status, d1, d2);
  }
  void block() { test::render(*engine, program, kRate, 256); }
  bool released(int note) const {
    for (int i = 0; i < engine->voiceCount(); ++i)
      if (engine->voice(i).note == note && !isReleased(engine->voice(i))) return false;
    return true;
  }
  std::unique_ptr<SynthEngine> engine = test::makeEngine();
  test::TestProgram program;
};

TEST_F(Pedal, HoldsLetGoNotesAndItsLiftReleasesExactlyThoseNoLongerHeld) {
  send(0x90, 60, 100);
  send(0x90, 64, 100);
  send(0xB0, 64, 127);  // down
  send(0x80, 60, 0);
  block();
  EXPECT_TRUE(engine->pedalDown());
  EXPECT_FALSE(released(60));
  send(0x90, 67, 100);
  send(0x80, 67, 0);
  send(0xB0, 64, 100);  // still down: any value from 64
  block();
  EXPECT_FALSE(released(67));
  send(0xB0, 64, 63);  // up: below 64
  block();
  EXPECT_FALSE(engine->pedalDown());
  EXPECT_TRUE(released(60));
  EXPECT_TRUE(released(67));
  EXPECT_FALSE(released(64));  // its key is still down
}

TEST_F(Pedal, ANoteAlreadyReleasingKeepsReleasingWhenThePedalGoesDown) {
  program.set(param::kRelease, 1.0f);
  send(0x90, 60, 100);
  block();
  send(0x80, 60, 0);
  block();
  ASSERT_TRUE(released(60));
  const float level = engine->voice(0).ampEnvelope.level;
  send(0xB0, 64, 127);
  block();
  EXPECT_LT(engine->voice(0).ampEnvelope.level, level);
}

// A key struck again under the pedal starts a voice beside the held one; the lift
// releases both.
TEST_F(Pedal, AKeyStruckAgainSoundsBesideTheHeldOneUntilTheLift) {
  send(0xB0, 64, 127);
  send(0x90, 60, 100);
  send(0x80, 60, 0);
  send(0x90, 60, 90);
  send(0x80, 60, 0);
  block();
  ASSERT_EQ(engine->voiceCount(), 2);
  EXPECT_FALSE(isReleased(engine->voice(0)));
  EXPECT_FALSE(isReleased(engine->voice(1)));
  send(0xB0, 64, 0);
  block();
  EXPECT_TRUE(isReleased(engine->voice(0)));
  EXPECT_TRUE(isReleased(engine->voice(1)));
}

TEST_F(Pedal, ResetAllControllersLiftsItAndCentresTheWheel) {
  send(0xE0, 0x7F, 0x7F);  // the wheel fully up
  send(0xB0, 64, 127);
  send(0x90, 60, 100);
  send(0x80, 60, 0);
  block();
  ASSERT_FALSE(released(60));
  const float bent =
      test::zeroCrossingFrequency(test::render(*engine, program, kRate, 8192).left, kRate, 0, 8192);
  send(0xB0, 121, 0);
  block();
  EXPECT_FALSE(engine->pedalDown());
  EXPECT_TRUE(released(60));
  send(0x90, 69, 100);
  const auto out = test::render(*engine, program, kRate, 8192);
  EXPECT_NEAR(bent, 261.63 * std::pow(2.0, 2.0 / 12.0), 1.0);  // bent by the range, 2 semitones
  EXPECT_GT(test::toneAmplitude(out.left, kRate, 440.0, 2048, 8192), 0.5);
}

// A host may bring a thousand events in one block; the note-offs at its end still arrive
// and leave nothing sounding. Past what the engine holds, note-ons go first.
TEST(DenseBlocks, AThousandEventsWithTheNoteOffsLastLeaveNoVoiceSounding) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kRelease, 0.01f);
  for (int noteOns : {500, 1900}) {
    auto engine = test::makeEngine();
    for (int i = 0; i < noteOns; ++i)
      test::send(*engine, 0x90, static_cast<std::uint8_t>(i % 128), 1 + i % 127);
    for (int note = 0; note < 128; ++note) test::send(*engine, 0x80, note, 0);
    const auto out = test::render(*engine, program, kRate, 44100, 1024);
    EXPECT_EQ(engine->voiceCount(), 0) << noteOns;
    EXPECT_EQ(engine->heldNoteCount(), 0) << noteOns;
    EXPECT_EQ(test::peak(out.left, 22050, 44100), 0.0f) << noteOns;
    const std::uint32_t room = NoteOnOffQueue::kStartLimit;
    EXPECT_EQ(engine->refusedCommands(), noteOns > 1536 ? noteOns - room : 0u);
  }
}

// 32 equal low voices and a 33rd note, sent when the first of them is at its crest: the
// quietest (the first) is taken over, and what it played fades out beside the new note
// instead of stopping on the spot, where it would step by its whole amplitude.
TEST(Stealing, TheVoiceTakenOverFadesWithoutAStepLargerThanTheNotesOwn) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kVolume, 0.3f);  // 32 full sines stay inside full scale
  auto engine = test::makeEngine();
  std::vector<Event> events;
  for (int n = 0; n < 32; ++n) events.push_back({0, 0x90, static_cast<std::uint8_t>(24 + n), 127});
  // Note 24 (32.7 Hz) from phase 0 reaches its crest a quarter cycle into its 17th cycle.
  const int steal = static_cast<int>(16.25 * kRate / 32.7032);
  events.push_back({steal, 0x90, 20, 127});
  const auto out = play(*engine, program, events, 44100, 256);
  const std::size_t fade = static_cast<std::size_t>(SynthEngine::kFadeSeconds * kRate);
  const float own = std::max(largestStep(out.left, 1000, steal - 10),
                             largestStep(out.left, steal + 2 * fade, out.left.size()));
  EXPECT_LE(largestStep(out.left, steal - 10, steal + 2 * fade), own);
  EXPECT_LT(own, 0.6f * 0.027f);  // the click a cut would make: the voice's amplitude, 0.3³
  EXPECT_EQ(engine->voiceCount(), 32);
  EXPECT_EQ(engine->voice(0).note, 20);
  EXPECT_EQ(engine->fadingVoiceCount(), 0);  // the fade is over and its slot free
}

TEST(Stealing, TheFadingVoiceIsHeardForTheFadeAndNoLonger) {
  test::TestProgram program;
  program.makeOrgan();
  auto engine = test::makeEngine();
  for (int n = 0; n < 32; ++n) test::send(*engine, 0x90, 60 + n, 127);
  test::render(*engine, program, kRate, 256);
  test::send(*engine, 0x90, 40, 127);
  test::render(*engine, program, kRate, 64);
  ASSERT_EQ(engine->fadingVoiceCount(), 1);
  EXPECT_EQ(engine->fadingVoice(0).note, 60);
  EXPECT_TRUE(isReleased(engine->fadingVoice(0)));
  test::render(*engine, program, kRate, static_cast<int>(SynthEngine::kFadeSeconds * kRate));
  EXPECT_EQ(engine->fadingVoiceCount(), 0);
}

// Volume from 1 to 0 in one block on the pure sine: the gain moves by at most 1/1024 a
// sample, so no step exceeds the sine's own plus that much; after the block, silence.
TEST(VolumeRamp, ASweepInOneBlockMovesNoFasterThanTheRamp) {
  test::TestProgram program;
  program.makeOrgan();
  auto engine = test::makeEngine();
  test::send(*engine, 0x90, 69, 127);
  const auto before = test::render(*engine, program, kRate, 8192, 1024);
  const float sine = largestStep(before.left, 100, before.left.size());
  const float amplitude = test::peak(before.left, 100, before.left.size());
  program.set(param::kVolume, 0.0f);
  const auto ramp = test::render(*engine, program, kRate, 2048, 1024);
  std::vector<float> joined(before.left.end() - 2, before.left.end());
  joined.insert(joined.end(), ramp.left.begin(), ramp.left.end());
  EXPECT_LE(largestStep(joined, 0, 1026), sine + amplitude / 1024.0f + 1e-6f);
  EXPECT_GT(test::peak(ramp.left, 0, 512), 0.4f * amplitude);  // a ramp, not a cut
  EXPECT_EQ(test::peak(ramp.left, 1024, 2048), 0.0f);

  program.set(param::kVolume, 1.0f);  // and back up, from silence
  const auto up = test::render(*engine, program, kRate, 2048, 1024);
  EXPECT_LE(largestStep(up.left, 0, 1024), sine + amplitude / 1024.0f + 1e-6f);
  EXPECT_NEAR(test::peak(up.left, 1024, 2048), amplitude, 1e-3f * amplitude);
}

// Controller 120: every voice silent within the fade and the effect's echoes within twice
// that, without a step; a note after it plays as ever.
TEST(AllSoundOff, SilencesVoicesAndEchoesWithinTheFade) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kModulationOnOff, 1.0f);
  program.set(param::kModulationFeedback, 90.0f);
  program.set(param::kModulationDelay, 200.0f);
  program.set(param::kVolume, 0.5f);
  auto engine = test::makeEngine();
  std::vector<Event> events;
  for (int n : {48, 55, 60, 64}) events.push_back({0, 0x90, static_cast<std::uint8_t>(n), 127});
  const int off = 30000 + 11;
  events.push_back({off, 0xB0, 120, 0});
  events.push_back({40000, 0x90, 72, 127});
  const auto out = play(*engine, program, events, 48000, 512);
  const std::size_t fade = static_cast<std::size_t>(SynthEngine::kFadeSeconds * kRate);
  EXPECT_LE(largestStep(out.left, off - 10, off + 2 * fade), largestStep(out.left, 5000, off - 10));
  EXPECT_LE(largestStep(out.right, off - 10, off + 2 * fade),
            largestStep(out.right, 5000, off - 10));
  EXPECT_LT(test::peak(out.left, off + 2 * fade + 2, 40000), 1e-6f);
  EXPECT_LT(test::peak(out.right, off + 2 * fade + 2, 40000), 1e-6f);
  EXPECT_GT(test::peak(out.left, 40100, 48000), 0.05f);  // the dry half of a new note
}

// A restart (an LV2 host's deactivate and activate) in the middle of a performance: voices
// held and fading, the pedal down, the wheel bent, echoes in the effect's line, Volume
// moved and commands still queued. Afterwards the engine is silent until the next note,
// and the same notes then render sample for sample as on a new engine. Factory programs
// with the effect, the filter's LFO and struck envelopes.
TEST(Restart, LeavesNothingOfWhatWasPlayedAndPlaysAsANewEngine) {
  for (int p : {1, 7, 17, 30}) {
    SCOPED_TRACE(factoryBank[p].name);
    test::TestProgram program;
    for (int i = 0; i < param::kCount; ++i) program.set(i, factoryBank[p].values[i]);
    const std::vector<Event> phrase = {
        {100, 0x90, 60, 90}, {3000, 0x90, 67, 70}, {20000, 0x80, 60, 0}, {26000, 0x80, 67, 0}};
    auto fresh = test::makeEngine();
    const auto expected = play(*fresh, program, phrase, 40000, 256);

    auto used = test::makeEngine();
    std::vector<Event> performance = {{0, 0xB0, 64, 127}, {10, 0xE0, 0, 100}};
    for (int n = 0; n < 40; ++n)  // more than 32: some voices fade beside the new ones
      performance.push_back({20 + 30 * n, 0x90, static_cast<std::uint8_t>(40 + n), 100});
    for (int n = 0; n < 40; n += 2)
      performance.push_back({3000 + n, 0x80, static_cast<std::uint8_t>(40 + n), 0});
    play(*used, program, performance, 12000, 256);
    program.set(param::kVolume, 0.5f * factoryBank[p].values[param::kVolume]);
    play(*used, program, {}, 256, 256);
    program.set(param::kVolume, factoryBank[p].values[param::kVolume]);
    ASSERT_GT(used->voiceCount(), 0);
    ASSERT_TRUE(used->pedalDown());
    test::send(*used, 0x90, 72, 100);  // queued, never rendered

    used->restart();
    EXPECT_EQ(used->voiceCount(), 0);
    EXPECT_EQ(used->fadingVoiceCount(), 0);
    EXPECT_EQ(used->heldNoteCount(), 0);
    EXPECT_FALSE(used->pedalDown());
    EXPECT_EQ(used->activity().activity, 0.0f);
    const auto again = play(*used, program, phrase, 40000, 256);
    // Silent up to the first note's sample, echoes included.
    EXPECT_EQ(test::peak(again.left, 0, 101), 0.0f);
    EXPECT_EQ(test::peak(again.right, 0, 101), 0.0f);
    EXPECT_EQ(again.left, expected.left);
    EXPECT_EQ(again.right, expected.right);
    EXPECT_GT(test::peak(expected.left, 0, expected.left.size()), 0.01f);
  }
}

// A host may claim any finite rate: the fades stay whole numbers of samples and the
// output finite, from the lowest rate to the largest float.
TEST(AllSoundOff, StealsAndSilencingFadeWithinRangeAtAnyRate) {
  test::TestProgram program;
  program.makeOrgan();
  program.set(param::kModulationOnOff, 1.0f);
  for (float rate : {1.0f, 1e9f, 3e38f}) {
    auto engine = test::makeEngine();
    for (int n = 0; n < 33; ++n) test::send(*engine, 0x90, 40 + n, 100);
    test::send(*engine, 0xB0, 120, 0);
    const auto out = test::render(*engine, program, rate, 512, 64);
    EXPECT_TRUE(test::allFinite(out.left) && test::allFinite(out.right)) << rate;
    // A second at most: at a huge rate the stolen voice is still fading, at 1 Hz long gone.
    EXPECT_EQ(engine->fadingVoiceCount(), rate > 1e6f ? 1 : 0) << rate;
  }
}

}  // namespace
}  // namespace gw

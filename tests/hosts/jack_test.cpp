// glimmerwick-standalone as an instrument under a real JACK server (the dummy backend, in
// real time): notes into its MIDI input come out of its outputs, a MIDI file plays through
// it, and without a server it says so instead of failing silently.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/hosts/child_process.h"
#include "tests/hosts/jack_probe.h"
#include "tests/hosts/phrase_check.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kJackd[] = "/usr/bin/jackd";
constexpr int kPeriod = 256;

// Two notes long enough for the first program's attack, decay and release.
const std::vector<PhraseNote> kNotes = {{0.25, 1.85, 57, 100}, {2.6, 4.2, 69, 64}};
constexpr double kSeconds = 5.2;

void putVariable(std::string& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  int n = 0;
  do {
    bytes[n++] = value & 0x7F;
    value >>= 7;
  } while (value != 0);
  while (n-- > 0) out.push_back(static_cast<char>(bytes[n] | (n > 0 ? 0x80 : 0)));
}

// A format-0 file at the default 120 BPM, 480 ticks per beat (960 ticks a second).
void writeMidiFile(const fs::path& path, const std::vector<PhraseNote>& notes) {
  struct Timed {
    long tick;
    std::uint8_t status, key, velocity;
  };
  std::vector<Timed> events;
  for (const PhraseNote& n : notes) {
    events.push_back(
        {std::lround(n.startSeconds * 960), 0x90, std::uint8_t(n.key), std::uint8_t(n.velocity)});
    events.push_back({std::lround(n.endSeconds * 960), 0x80, std::uint8_t(n.key), 0});
  }
  std::string track;
  long previous = 0;
  for (const Timed& e : events) {
    putVariable(track, static_cast<std::uint32_t>(e.tick - previous));
    previous = e.tick;
    track += {static_cast<char>(e.status), static_cast<char>(e.key), static_cast<char>(e.velocity)};
  }
  track += std::string("\x00\xFF\x2F\x00", 4);
  std::string file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(char((track.size() >> shift) & 0xFF));
  std::ofstream(path, std::ios::binary) << file << track;
}

class JackTest : public testing::Test {
 protected:
  void SetUp() override {
#ifndef GW_STANDALONE
    GTEST_SKIP() << "glimmerwick-standalone was built without JACK (scripts/install-deps hosts)";
#else
    if (!fs::exists(kJackd)) GTEST_SKIP() << "no JACK server (scripts/install-deps hosts)";
    root_ = makeScratchDirectory("gw-jack");
    server_ = freshName("gw-test-");
    jackd_ = std::make_unique<BackgroundProgram>(
        // Synchronous, with a long client timeout: on a busy test machine a late cycle is
        // waited for instead of being played as a dropout.
        std::vector<std::string>{kJackd, "--no-realtime", "--sync", "--timeout", "5000", "--name",
                                 server_, "-d", "dummy", "-r", "48000", "-p",
                                 std::to_string(kPeriod)},
        std::vector<std::string>{"JACK_NO_AUDIO_RESERVATION=1"}, root_ / "jackd.log");
    probe_ = std::make_unique<JackProbe>(server_, 15.0);
    ASSERT_TRUE(probe_->started()) << "the JACK server did not come up:\n" << jackd_->log();
#endif
  }

  void TearDown() override {
    player_.reset();
    probe_.reset();
    jackd_.reset();
    std::error_code ec;
    if (!root_.empty() && !HasFailure()) fs::remove_all(root_, ec);
  }

  void startPlayer(std::vector<std::string> extra) {
#ifdef GW_STANDALONE
    std::vector<std::string> argv = {GW_STANDALONE, "--no-editor", "--no-connect", "--jack-name",
                                     "gw-synth"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(GW_MODULE);
    player_ = std::make_unique<BackgroundProgram>(
        argv, std::vector<std::string>{"JACK_DEFAULT_SERVER=" + server_}, root_ / "player.log");
    ASSERT_TRUE(probe_->waitForPort("gw-synth:out_2", 15.0)) << player_->log();
#endif
  }

  fs::path root_;
  std::string server_;
  std::unique_ptr<BackgroundProgram> jackd_, player_;
  std::unique_ptr<JackProbe> probe_;
};

TEST_F(JackTest, NotesIntoTheMidiInputSoundAtTheirPitchTimeAndLevel) {
  startPlayer({});
  std::vector<JackProbe::Note> midi;
  const double rate = probe_->rate();
  for (const PhraseNote& n : kNotes) {
    midi.push_back({std::llround(n.startSeconds * rate),
                    {0x90, std::uint8_t(n.key), std::uint8_t(n.velocity)}});
    midi.push_back({std::llround(n.endSeconds * rate), {0x80, std::uint8_t(n.key), 0}});
  }
  ASSERT_TRUE(probe_->record("gw-synth:midi_in", "gw-synth:out_1", "gw-synth:out_2", midi,
                             std::llround(kSeconds * rate), kSeconds + 20))
      << player_->log();
  LoadedAudio audio{rate, probe_->left(), probe_->right(), {}};
  // A note arrives in the cycle that holds it, or one later through the loop between the
  // probe and the player; the recording may trail by one more cycle, and the first
  // program's slow attack crosses the onset threshold some samples in. Never early.
  PhraseTolerance tolerance;
  tolerance.lateSamples = 2 * kPeriod + 64;
  tolerance.blockSamples = kPeriod;
  expectPhrase(audio, kNotes, PhraseSettings::firstProgram(), tolerance);
}

TEST_F(JackTest, PlaysAMidiFileThroughTheModuleAndQuitsAfterIt) {
  const fs::path song = root_ / "song.mid";
  writeMidiFile(song, kNotes);
  startPlayer({"--midi", song.string()});
  const double rate = probe_->rate();
  // The file starts when the outputs are first connected, which the probe does now.
  ASSERT_TRUE(probe_->record("", "gw-synth:out_1", "gw-synth:out_2", {},
                             std::llround((kSeconds + 0.5) * rate), kSeconds + 20))
      << player_->log();
  LoadedAudio audio{rate, probe_->left(), probe_->right(), {}};
  const long first = findOnset(audio.left, 0, 1e-6f);
  ASSERT_GE(first, 0) << "the file did not sound\n" << player_->log();
  // Times are measured from the first note, and every later one keeps its distance, give
  // or take where the first program's slow attack crosses the onset threshold.
  PhraseTolerance tolerance;
  tolerance.earlySamples = 64;
  tolerance.lateSamples = 64;
  tolerance.blockSamples = kPeriod;
  expectPhrase(audio, kNotes, PhraseSettings::firstProgram(), tolerance,
               first - std::lround(kNotes.front().startSeconds * rate));
  int code = -1;
  EXPECT_TRUE(player_->waitExit(10.0, code)) << "still running after the file\n" << player_->log();
  EXPECT_EQ(code, 0) << player_->log();
}

TEST_F(JackTest, RefusesAMidiFileItCannotReadWithTheFilesName) {
#ifdef GW_STANDALONE
  const fs::path text = root_ / "notes.mid";
  std::ofstream(text) << "not a MIDI file";
  for (const std::string& path : {(root_ / "missing.mid").string(), text.string()}) {
    const RunResult run = runProgram({GW_STANDALONE, "--no-editor", "--midi", path, GW_MODULE},
                                     {"JACK_DEFAULT_SERVER=" + server_}, 30);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find(path), std::string::npos) << run.output;
  }
#endif
}

TEST_F(JackTest, WithoutAServerSaysSoAndRefusesToPlayWithoutAnEditor) {
#ifdef GW_STANDALONE
  const RunResult run = runProgram({GW_STANDALONE, "--no-editor", GW_MODULE},
                                   {"JACK_DEFAULT_SERVER=gw-no-such-server"}, 30);
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("no JACK server is running"), std::string::npos) << run.output;
#endif
}

// No server, but a display: the editor opens all the same, with one line saying why
// there is no sound.
TEST_F(JackTest, WithoutAServerTheEditorOpensAndSaysWhyThereIsNoSound) {
#ifdef GW_STANDALONE
  if (!fs::exists("/usr/bin/xvfb-run")) GTEST_SKIP() << "no xvfb-run (scripts/install-deps gui)";
  const fs::path shot = root_ / "editor.png";
  const RunResult run =
      runProgram({"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", GW_STANDALONE,
                  "--screenshot", shot.string(), "--after", "0.5", GW_MODULE},
                 {"JACK_DEFAULT_SERVER=gw-no-such-server"}, 60);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("glimmerwick-standalone: no JACK server is running"), std::string::npos)
      << run.output;
  EXPECT_TRUE(fs::exists(shot)) << run.output;
#endif
}

}  // namespace

// The LV2 bundle played by jalv, headless under a real JACK server (dummy backend, real
// time): note 69 of "Defaults" sounds at 440 Hz, a control set on jalv's console moves
// it, and loading a factory preset sets every control back as the preset says.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "lv2/turtle_writer.h"
#include "tests/engine/audio_measure.h"
#include "tests/hosts/child_process.h"
#include "tests/hosts/jack_probe.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

constexpr char kJackd[] = "/usr/bin/jackd";
constexpr char kJalv[] = "/usr/bin/jalv";

class Lv2Jalv : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kJackd)) GTEST_SKIP() << "no JACK server (scripts/install-deps hosts)";
    if (!fs::exists(kJalv)) GTEST_SKIP() << "no jalv (scripts/install-deps lv2)";
    root_ = makeScratchDirectory("gw-lv2-jalv");
    server_ = "gw-lv2-" + std::to_string(::getpid());
    jackd_ = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{kJackd, "--no-realtime", "--sync", "--timeout", "5000", "--name",
                                 server_, "-d", "dummy", "-r", "48000", "-p", "256"},
        std::vector<std::string>{"JACK_NO_AUDIO_RESERVATION=1"}, root_ / "jackd.log");
    probe_ = std::make_unique<JackProbe>(server_, 15.0);
    ASSERT_TRUE(probe_->started()) << "the JACK server did not come up:\n" << jackd_->log();

    // jalv reads console commands from its standard input: a FIFO the test writes.
    fs::create_directories(root_ / "lv2");
    fs::create_directory_symlink(GW_LV2_BUNDLE, root_ / "lv2" / "glimmerwick.lv2");
    const fs::path fifo = root_ / "commands";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    jalv_ = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"/bin/sh", "-c",
                                 std::string("exec ") + kJalv + " -x -n gw-lv2 " +
                                     gw::lv2::kPluginUri + " < " + fifo.string()},
        std::vector<std::string>{"JACK_DEFAULT_SERVER=" + server_,
                                 "LV2_PATH=" + (root_ / "lv2").string() + ":/usr/lib/lv2"},
        root_ / "jalv.log");
    // Opening for writing succeeds once jalv's shell has the FIFO open for reading.
    for (int tries = 0; tries < 200 && commands_ < 0; ++tries) {
      commands_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (commands_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_GE(commands_, 0) << jalv_->log();
    ASSERT_TRUE(probe_->waitForPort("gw-lv2:out_2", 20.0)) << jalv_->log();
  }

  void TearDown() override {
    if (commands_ >= 0) ::close(commands_);  // end of input: jalv quits
    jalv_.reset();
    probe_.reset();
    jackd_.reset();
    std::error_code ec;
    if (!root_.empty() && !HasFailure()) fs::remove_all(root_, ec);
  }

  void command(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(::write(commands_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    // jalv applies console commands from its own thread; give it a few cycles.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }

  // Plays note 69 at full velocity for a second and returns the pitch of its held part.
  double pitchOfNote69() {
    const double rate = probe_->rate();
    const auto second = std::llround(rate);
    std::vector<JackProbe::Note> notes = {{0, {0x90, 69, 127}}, {second, {0x80, 69, 0}}};
    EXPECT_TRUE(probe_->record("gw-lv2:midi_in", "gw-lv2:out_1", "gw-lv2:out_2", notes,
                               second + second / 4, 30.0))
        << jalv_->log();
    const auto& left = probe_->left();
    // From 0.6 s, well after the onset and the cycles the note takes to arrive, to the
    // note-off.
    EXPECT_GT(peak(left, second * 6 / 10, second), 0.1f) << jalv_->log();
    EXPECT_NEAR(zeroCrossingFrequency(probe_->right(), rate, second * 6 / 10, second),
                zeroCrossingFrequency(left, rate, second * 6 / 10, second), 0.01);
    return zeroCrossingFrequency(left, rate, second * 6 / 10, second);
  }

  fs::path root_;
  std::string server_;
  std::unique_ptr<BackgroundProgram> jackd_, jalv_;
  std::unique_ptr<JackProbe> probe_;
  int commands_ = -1;
};

TEST_F(Lv2Jalv, Note69OfDefaultsSoundsAt440HzAndAPresetSetsTheControlsItHolds) {
  EXPECT_NEAR(pitchOfNote69(), 440.0, 0.5);
  command("coarse_tune = 12");
  EXPECT_NEAR(pitchOfNote69(), 880.0, 1.0);
  // jalv ignores "preset" until it has listed the presets once.
  command("presets");
  command("preset " + gw::lv2::presetUri(0));
  EXPECT_NEAR(pitchOfNote69(), 440.0, 0.5) << jalv_->log();
}

}  // namespace

// The LV2 module as a host loads it: the one descriptor, refusals at instantiation, a
// note that sounds at its pitch with the table's defaults, and activate starting again
// from silence.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lv2/lv2_plugin.h"
#include "params/factory_bank.h"
#include "params/parameter_table.h"
#include "platform/module_loader.h"
#include "tests/engine/audio_measure.h"
#include "tests/lv2/lv2_host.h"

namespace {

using gw::lv2::kActivityPort;
using gw::lv2::kMidiInPort;
using gw::lv2::kOutLeftPort;
using gw::lv2::kOutRightPort;

class Lv2Module : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = gw::platform::loadModule(GW_LV2_MODULE, error);
    ASSERT_NE(module_, nullptr) << error;
    auto entry = reinterpret_cast<const LV2_Descriptor* (*)(std::uint32_t)>(
        gw::platform::findModuleSymbol(module_, "lv2_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor_ = entry(0);
    ASSERT_NE(descriptor_, nullptr);
    EXPECT_EQ(entry(1), nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) gw::platform::unloadModule(module_);
  }

  gw::platform::ModuleHandle module_ = nullptr;
  const LV2_Descriptor* descriptor_ = nullptr;
  gw::test::UridMap urids_;
};

TEST_F(Lv2Module, NamesItsUriAndRefusesHostsWithoutAUridMapOrARate) {
  EXPECT_STREQ(descriptor_->URI, "urn:tarnwell:glimmerwick");
  EXPECT_EQ(descriptor_->instantiate(descriptor_, 48000.0, "/tmp", nullptr), nullptr);
  const LV2_Feature* none[] = {nullptr};
  EXPECT_EQ(descriptor_->instantiate(descriptor_, 48000.0, "/tmp", none), nullptr);
  const LV2_Feature* features[] = {urids_.feature(), nullptr};
  for (double rate : {0.0, -44100.0, std::nan("")}) {
    EXPECT_EQ(descriptor_->instantiate(descriptor_, rate, "/tmp", features), nullptr) << rate;
  }
  EXPECT_EQ(descriptor_->extension_data("urn:nothing"), nullptr);
}

// Note 69 of the defaults (harmonic 1 only) at the host's rate is a 440 Hz sine in both
// outputs; the activity port follows the sounding voice and falls back after release.
TEST_F(Lv2Module, Note69SoundsAt440HzAtEveryHostRateAndTheActivityFollowsIt) {
  const LV2_Feature* features[] = {urids_.feature(), nullptr};
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    LV2_Handle h = descriptor_->instantiate(descriptor_, rate, "/tmp", features);
    ASSERT_NE(h, nullptr);
    std::vector<float> controls(gw::param::kCount);
    // Controls at the defaults, as a host sets them from the Turtle.
    for (int i = 0; i < gw::param::kCount; ++i) {
      controls[i] = gw::kParameterTable[i].defaultValue;
      descriptor_->connect_port(h, i, &controls[i]);
    }
    gw::test::MidiSequence midi(urids_.get());
    constexpr std::uint32_t kBlock = 256;
    float left[kBlock], right[kBlock], activity = -1.0f;
    descriptor_->connect_port(h, kMidiInPort, midi.seq());
    descriptor_->connect_port(h, kOutLeftPort, left);
    descriptor_->connect_port(h, kOutRightPort, right);
    descriptor_->connect_port(h, kActivityPort, &activity);
    descriptor_->activate(h);

    std::vector<float> l, r;
    const int blocks = static_cast<int>(rate * 1.5 / kBlock);
    float activityHeld = 0.0f;
    for (int b = 0; b < blocks; ++b) {
      midi.clear();
      if (b == 0) midi.add(0, 0x90, 69, 127);
      descriptor_->run(h, kBlock);
      l.insert(l.end(), left, left + kBlock);
      r.insert(r.end(), right, right + kBlock);
      if (b == blocks / 2) activityHeld = activity;
    }
    const std::size_t from = static_cast<std::size_t>(rate * 1.1);
    EXPECT_NEAR(gw::test::zeroCrossingFrequency(l, rate, from, l.size()), 440.0, 0.5) << rate;
    EXPECT_NEAR(gw::test::zeroCrossingFrequency(r, rate, from, r.size()), 440.0, 0.5) << rate;
    EXPECT_GT(gw::test::peak(l, from, l.size()), 0.3f);
    EXPECT_GT(activityHeld, 0.0f);

    midi.clear();
    midi.add(0, 0x80, 69, 0);
    descriptor_->run(h, kBlock);
    midi.clear();
    for (int b = 0; b < static_cast<int>(rate * 1.0 / kBlock); ++b) descriptor_->run(h, kBlock);
    EXPECT_EQ(activity, 0.0f) << rate;
    EXPECT_EQ(left[kBlock - 1], 0.0f);
    descriptor_->deactivate(h);
    descriptor_->cleanup(h);
  }
}

// A host may run before connecting every port, or with ports it has detached.
TEST_F(Lv2Module, RunsWithUnconnectedPortsAndIgnoresUnknownOnes) {
  const LV2_Feature* features[] = {urids_.feature(), nullptr};
  LV2_Handle h = descriptor_->instantiate(descriptor_, 48000.0, "/tmp", features);
  ASSERT_NE(h, nullptr);
  float junk = 0.0f;
  descriptor_->connect_port(h, gw::lv2::kPortCount, &junk);
  descriptor_->connect_port(h, 100000, &junk);
  descriptor_->activate(h);
  descriptor_->run(h, 64);
  float left[64], right[64];
  descriptor_->connect_port(h, kOutLeftPort, left);
  descriptor_->connect_port(h, kOutRightPort, right);
  descriptor_->run(h, 64);
  EXPECT_EQ(left[0], 0.0f);
  descriptor_->cleanup(h);
}

// An instance of the module with every port connected: controls at a factory program's
// values, MIDI in, both outputs.
class Instance {
 public:
  Instance(const LV2_Descriptor* descriptor, const LV2_Feature* const* features,
           const gw::test::UridMap& urids, int program)
      : descriptor_(descriptor), midi_(urids.get()) {
    handle_ = descriptor->instantiate(descriptor, 48000.0, "/tmp", features);
    if (handle_ == nullptr) return;
    for (int i = 0; i < gw::param::kCount; ++i) {
      controls_[i] = gw::factoryBank[program].values[i];
      descriptor->connect_port(handle_, i, &controls_[i]);
    }
    descriptor->connect_port(handle_, kMidiInPort, midi_.seq());
    descriptor->connect_port(handle_, kOutLeftPort, left_);
    descriptor->connect_port(handle_, kOutRightPort, right_);
  }
  ~Instance() {
    if (handle_ != nullptr) descriptor_->cleanup(handle_);
  }
  bool ok() const { return handle_ != nullptr; }
  LV2_Handle handle() const { return handle_; }
  gw::test::MidiSequence& midi() { return midi_; }
  // Runs blocks of 256 frames, the MIDI given for the first one only; both outputs, left
  // then right per block.
  std::vector<float> run(int blocks) {
    std::vector<float> out;
    for (int b = 0; b < blocks; ++b) {
      descriptor_->run(handle_, kBlock);
      midi_.clear();
      out.insert(out.end(), left_, left_ + kBlock);
      out.insert(out.end(), right_, right_ + kBlock);
    }
    return out;
  }

  static constexpr std::uint32_t kBlock = 256;

 private:
  const LV2_Descriptor* descriptor_;
  LV2_Handle handle_ = nullptr;
  float controls_[gw::param::kCount] = {};
  gw::test::MidiSequence midi_;
  float left_[kBlock] = {}, right_[kBlock] = {};
};

// A host's deactivate and activate with notes held under the pedal, echoes in the
// modulation effect and the wheel bent: silence until the next note, which then plays
// exactly as on a new instance.
TEST_F(Lv2Module, ActivateAgainSilencesWhatWasPlayingAndPlaysAsANewInstance) {
  const LV2_Feature* features[] = {urids_.feature(), nullptr};
  for (int program : {0, 1, 7}) {
    SCOPED_TRACE(gw::factoryBank[program].name);
    Instance fresh(descriptor_, features, urids_, program);
    Instance used(descriptor_, features, urids_, program);
    ASSERT_TRUE(fresh.ok() && used.ok());
    descriptor_->activate(fresh.handle());
    fresh.midi().add(5, 0x90, 64, 100);
    const std::vector<float> expected = fresh.run(200);

    descriptor_->activate(used.handle());
    used.midi().add(0, 0xB0, 64, 127);
    used.midi().add(1, 0xE0, 0, 90);
    for (std::uint8_t note : {48, 55, 60, 64, 67}) used.midi().add(2, 0x90, note, 110);
    used.run(100);
    used.midi().add(0, 0x80, 60, 0);
    ASSERT_GT(gw::test::peak(used.run(2), 0, 2 * 2 * Instance::kBlock), 0.01f);
    descriptor_->deactivate(used.handle());
    descriptor_->activate(used.handle());
    const std::vector<float> after = used.run(100);
    EXPECT_EQ(gw::test::peak(after, 0, after.size()), 0.0f) << "silent until the next note";

    descriptor_->deactivate(used.handle());
    descriptor_->activate(used.handle());
    used.midi().add(5, 0x90, 64, 100);
    EXPECT_EQ(used.run(200), expected);
    EXPECT_GT(gw::test::peak(expected, 0, expected.size()), 0.01f);
  }
}

}  // namespace

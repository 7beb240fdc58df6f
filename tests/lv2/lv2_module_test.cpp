// The LV2 module as a host loads it: the one descriptor, refusals at instantiation, and a
// note that sounds at its pitch with the table's defaults.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lv2/lv2_plugin.h"
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

}  // namespace

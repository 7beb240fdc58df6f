// An in-process host for the synthesiser: creates it through the factory, drives it
// through the effect record's dispatcher and records every host callback.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/plugin_factory.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/vst/aeffect.h"

namespace gw::test {

struct HostCall {
  std::int32_t opcode;
  std::int32_t index;
  vst::IntPtr value;
  float opt;
};

inline std::vector<HostCall>& hostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

inline vst::IntPtr VSTCALLBACK recordingHost(vst::AEffect*, std::int32_t opcode, std::int32_t index,
                                             vst::IntPtr value, void*, float opt) {
  hostCalls().push_back({opcode, index, value, opt});
  return opcode == vst::audioMasterVersion ? 2400 : 1;
}

class EditorSpy : public gw::EditorLink {
 public:
  void parameterChanged(int index, float value) override { changes.push_back({index, value}); }
  void programChanged() override { ++programChanges; }
  bool grabFrame(gw::FrameGrab&) override { return ++frameGrabs, grabAnswer; }
  std::vector<std::pair<int, float>> changes;
  int programChanges = 0;
  int frameGrabs = 0;
  bool grabAnswer = false;
};

class SynthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hostCalls().clear();
    effect_ = gw::createEffect(recordingHost, true);
    ASSERT_NE(effect_, nullptr);
    synth_ = static_cast<TarnAdditiveSynth*>(static_cast<AudioEffect*>(effect_->object));
  }
  void TearDown() override {
    if (effect_ != nullptr) effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0.0f);
  }

  vst::IntPtr dispatch(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  std::string text(std::int32_t opcode, std::int32_t index = 0, vst::IntPtr value = 0) {
    char buffer[128];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    dispatch(opcode, index, value, buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
  }
  std::string display(int index) { return text(vst::effGetParamDisplay, index); }
  std::string label(int index) { return text(vst::effGetParamLabel, index); }
  void set(int index, float normalised) { effect_->setParameter(effect_, index, normalised); }
  float get(int index) { return effect_->getParameter(effect_, index); }

  vst::AEffect* effect_ = nullptr;
  TarnAdditiveSynth* synth_ = nullptr;
};

}  // namespace gw::test

// What any host sees of the module before it touches a parameter.
#include <string>

#include "tests/module/module_fixture.h"

namespace gw::test {
namespace {

TEST(ModuleIdentity, RecordAndNames) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  const vst::AEffect* e = plugin->effect();
  EXPECT_EQ(e->magic, vst::kEffectMagic);
  EXPECT_EQ(e->numPrograms, 32);
  EXPECT_EQ(e->numParams, 180);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->uniqueID, vst::fourCC('T', 'W', 'g', 'w'));
  EXPECT_EQ(e->version, 1);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_NE(e->flags & vst::effFlagsCanReplacing, 0);
  EXPECT_NE(e->flags & vst::effFlagsIsSynth, 0);
  EXPECT_EQ(e->flags & (vst::effFlagsProgramChunks | vst::effFlagsCanDoubleReplacing |
                        vst::effFlagsNoSoundInStop),
            0);

  EXPECT_EQ(plugin->effectName(), "Glimmerwick");
  EXPECT_EQ(plugin->productString(), "Glimmerwick");
  EXPECT_EQ(plugin->vendorString(), "Tarnwell");
  EXPECT_EQ(plugin->dispatch(vst::effGetVendorVersion), 65547);
  EXPECT_EQ(plugin->dispatch(vst::effGetVstVersion), 2400);
  EXPECT_EQ(plugin->dispatch(vst::effGetPlugCategory), vst::kPlugCategSynth);
  char receive[] = "receiveVstMidiEvent";
  EXPECT_EQ(plugin->dispatch(vst::effCanDo, 0, 0, receive), 0);
  EXPECT_EQ(plugin->dispatch(vst::effGetTailSize), 0);
  EXPECT_EQ(plugin->dispatch(vst::effGetNumProgramCategories), 1);
  EXPECT_EQ(plugin->dispatch(vst::effGetCurrentMidiProgram), -1);
  EXPECT_EQ(plugin->dispatch(vst::effCanBeAutomated, 139), 1);
}

TEST(ModuleIdentity, OutputPins) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  for (int pin = 0; pin < 2; ++pin) {
    vst::VstPinProperties properties{};
    ASSERT_TRUE(plugin->outputProperties(pin, properties));
    EXPECT_STREQ(properties.label, pin == 0 ? "Glimmer 1" : "Glimmer 2");
    EXPECT_EQ(properties.flags, vst::kVstPinIsActive | vst::kVstPinIsStereo);
  }
  vst::VstPinProperties properties{};
  EXPECT_FALSE(plugin->outputProperties(2, properties));
  EXPECT_FALSE(plugin->outputProperties(-1, properties));
  EXPECT_FALSE(plugin->inputProperties(0, properties));
}

TEST(ModuleIdentity, StartUpAsksForMidiAndHonoursTheVersionQuery) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->countCallbacks(vst::audioMasterWantMidi), 1u);

  host::HostOptions refusing;
  refusing.versionAnswer = 0;
  std::string error;
  EXPECT_EQ(host::Plugin::create(glimmerwickModule(), error, refusing), nullptr);
}

TEST(ModuleIdentity, ThirtyTwoFactoryProgramsWithTheFirstCurrent) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->dispatch(vst::effGetProgram), 0);
  EXPECT_EQ(plugin->programName(), "Defaults");
  EXPECT_EQ(plugin->programNameIndexed(1), "Simple Pad");
  EXPECT_EQ(plugin->programNameIndexed(16), "KV CrystalStrings");
  EXPECT_EQ(plugin->programNameIndexed(31), "KV Stars2");
  void* chunk = nullptr;
  EXPECT_EQ(plugin->dispatch(vst::effGetChunk, 0, 0, &chunk), 0);
}

}  // namespace
}  // namespace gw::test

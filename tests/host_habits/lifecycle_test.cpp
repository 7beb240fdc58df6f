// Hosts call a module in orders the interface allows but few plug-ins expect: queries
// before the instance is opened, instances that are never opened, resume twice and from
// the audio thread, and the whole module unloaded and loaded again in one process.

#include <thread>

#include "platform/module_loader.h"
#include "tests/host_habits/habits_fixture.h"

namespace gw::test {
namespace {

host::HostOptions unopened() {
  host::HostOptions options;
  options.open = false;
  return options;
}

// A scanner's questions, asked before effOpen as Qtractor's and Ardour's scanners do.
TEST(LifecycleHabits, AnswersAScannersQuestionsBeforeOpen) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  auto plugin = createInstance(*module, unopened());
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->dispatch(vst::effGetPlugCategory), vst::kPlugCategSynth);
  EXPECT_EQ(plugin->dispatch(vst::effGetVstVersion), 2400);
  EXPECT_EQ(plugin->effectName(), "Glimmerwick");
  EXPECT_EQ(plugin->vendorString(), "Tarnwell");
  EXPECT_EQ(plugin->parameterName(0), "Volume");
  EXPECT_EQ(plugin->parameterDisplay(141), "Thru");
  const std::string lastProgram = plugin->programNameIndexed(31);
  EXPECT_FALSE(lastProgram.empty());
  EXPECT_FLOAT_EQ(plugin->getParameter(0), 1.0f);
  vst::VstPinProperties pin{};
  EXPECT_TRUE(plugin->outputProperties(1, pin));

  // Opened afterwards, it says the same and plays.
  plugin->dispatch(vst::effOpen);
  EXPECT_EQ(plugin->programNameIndexed(31), lastProgram);
  plugin->setSampleRate(44100.0f);
  plugin->setBlockSize(512);
  plugin->resume();
  plugin->sendMidi({noteOn(69)});
  EXPECT_GT(peakOf(renderInBlocks(*plugin, 22050, {512})), 0.1f);
}

// Scanners create an instance, ask, and close it without ever opening it.
TEST(LifecycleHabits, InstancesClosedWithoutOpenLeaveTheModuleWorking) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  for (int i = 0; i < 40; ++i) {
    auto plugin = createInstance(*module, unopened());
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->dispatch(vst::effGetPlugCategory), vst::kPlugCategSynth);
  }  // each goes with effClose, never having seen effOpen
  auto plugin = createInstance(*module);
  ASSERT_NE(plugin, nullptr);
  plugin->sendMidi({noteOn(60)});
  EXPECT_GT(peakOf(renderInBlocks(*plugin, 22050, {512})), 0.1f);
}

// Some hosts switch mains on from their audio thread, and some twice without a suspend.
TEST(LifecycleHabits, ResumeTwiceAndOnTheAudioThread) {
  auto module = loadGlimmerwick();
  ASSERT_NE(module, nullptr);
  auto plugin = createInstance(*module);  // opened and resumed once
  ASSERT_NE(plugin, nullptr);
  plugin->resume();
  std::vector<float> out;
  std::thread audio([&] {
    plugin->resume();
    plugin->sendMidi({noteOn(64)});
    out = renderInBlocks(*plugin, 22050, {512});
  });
  audio.join();
  EXPECT_GT(peakOf(out), 0.1f);
  EXPECT_TRUE(finite(out));
  EXPECT_EQ(plugin->countCallbacks(vst::audioMasterWantMidi), 3u) << "each resume asks for MIDI";
  plugin->suspend();
  plugin->suspend();
  plugin->resume();
  plugin->sendMidi({noteOn(67)});
  EXPECT_GT(peakOf(renderInBlocks(*plugin, 4410, {512})), 0.0f);
}

bool moduleStillLoaded() {
  return platform::isModuleLoaded(GW_MODULE_PATH);
}

// A host that rescans unloads the module and loads it again in the same process: the
// interned texts and the factory bank must be built anew, not read from freed memory.
TEST(LifecycleHabits, UnloadedAndLoadedAgainBuildsItsProcessWideStateAnew) {
  std::vector<std::string> names, displays;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("load " + std::to_string(round + 1));
    auto module = loadGlimmerwick();
    ASSERT_NE(module, nullptr);
    auto plugin = createInstance(*module);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->parameterDisplay(83), "None");    // value names, built on first use
    EXPECT_EQ(plugin->parameterDisplay(173 + 2), "1");  // LFO 2 Multiplier's names
    std::vector<std::string> now, shown;
    for (int p = 0; p < 32; ++p) {
      now.push_back(plugin->programNameIndexed(p));
      plugin->dispatch(vst::effSetProgram, 0, p);
      // Value texts ("Inf" for a held release) and plain numbers of every program.
      for (int index : {45, 59, 73, 132, 139, 141, 147, 169}) {
        shown.push_back(plugin->parameterDisplay(index));
      }
    }
    plugin->dispatch(vst::effSetProgram, 0, 0);
    if (names.empty()) {
      names = now;
      displays = shown;
    }
    EXPECT_EQ(now, names) << "the factory bank's names differ after reloading";
    EXPECT_EQ(shown, displays) << "the factory bank's values differ after reloading";
    EXPECT_NE(now.front(), "Edited");
    // Edits to this load's programs must not survive into the next load.
    plugin->setParameter(0, 0.25f);
    char renamed[] = "Edited";
    plugin->dispatch(vst::effSetProgramName, 0, 0, renamed);
    plugin->sendMidi({noteOn(57)});
    EXPECT_GT(peakOf(renderInBlocks(*plugin, 8820, {512})), 0.0f);
    plugin.reset();
    module.reset();
    EXPECT_FALSE(moduleStillLoaded()) << "the module stays mapped after its last dlclose";
  }
}

}  // namespace
}  // namespace gw::test

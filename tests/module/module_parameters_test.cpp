// Parameters through the module: texts, a host's save and restore, several threads.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/module/module_fixture.h"

namespace gw::test {
namespace {

TEST(ModuleParameters, EveryParameterHasANameAndAShortDisplay) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  for (int i = 0; i < 180; ++i) {
    EXPECT_FALSE(plugin->parameterName(i).empty()) << i;
    EXPECT_LE(plugin->parameterName(i).size(), 15u) << i;
    const std::string display = plugin->parameterDisplay(i);
    EXPECT_FALSE(display.empty()) << i;
    EXPECT_LT(display.size(), 24u) << i;
  }
  EXPECT_EQ(plugin->parameterName(139), "Filter Cutoff");
  EXPECT_EQ(plugin->parameterDisplay(139), "1000");
  EXPECT_EQ(plugin->parameterLabel(139), "Hz");
  EXPECT_EQ(plugin->parameterDisplay(39), "Unused");
  EXPECT_EQ(plugin->parameterDisplay(180), "");
}

// A host without chunks saves names and normalised values, then restores them into a
// fresh instance: indexed values come back whole, everything else unchanged.
TEST(ModuleParameters, SaveAndRestoreThroughNormalisedValues) {
  auto source = createPlugin();
  ASSERT_TRUE(source);
  source->dispatch(vst::effSetProgram, 0, 3);
  char name[] = "Saved Sound";
  source->dispatch(vst::effSetProgramName, 0, 0, name);
  source->setParameter(139, 0.3f);
  source->setParameter(83, 0.4f);
  source->setParameter(163, 0.25f);
  std::vector<float> saved(180);
  for (int i = 0; i < 180; ++i) saved[i] = source->getParameter(i);

  auto target = createPlugin();
  ASSERT_TRUE(target);
  EXPECT_EQ(target->programNameIndexed(3), "Octaves");  // instances do not share programs
  target->dispatch(vst::effSetProgram, 0, 3);
  target->dispatch(vst::effSetProgramName, 0, 0, name);
  for (int i = 0; i < 180; ++i) target->setParameter(i, saved[i]);
  for (int i = 0; i < 180; ++i) {
    EXPECT_NEAR(target->getParameter(i), saved[i], 1e-6f) << i;
    EXPECT_EQ(target->parameterDisplay(i), source->parameterDisplay(i)) << i;
  }
  EXPECT_EQ(target->programName(), "Saved Sound");
  EXPECT_EQ(target->parameterDisplay(83), "1");
}

// Every instance copies the factory bank, whatever an earlier instance did to its programs.
TEST(ModuleParameters, ANewInstanceStartsFromTheFactoryBankAfterAnotherWasEdited) {
  auto first = createPlugin();
  ASSERT_TRUE(first);
  std::vector<std::string> names;
  std::vector<float> values;
  for (int p = 0; p < 32; ++p) {
    first->dispatch(vst::effSetProgram, 0, p);
    names.push_back(first->programName());
    for (int i = 0; i < 180; ++i) values.push_back(first->getParameter(i));
  }
  for (int p : {0, 7, 31}) {
    first->dispatch(vst::effSetProgram, 0, p);
    char name[] = "Edited";
    first->dispatch(vst::effSetProgramName, 0, 0, name);
    for (int i : {1, 83, 139, 162}) first->setParameter(i, 0.25f);
  }
  auto second = createPlugin();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->dispatch(vst::effGetProgram), 0);
  for (int p = 0; p < 32; ++p) {
    second->dispatch(vst::effSetProgram, 0, p);
    EXPECT_EQ(second->programName(), names[p]);
    for (int i = 0; i < 180; ++i)
      ASSERT_EQ(second->getParameter(i), values[p * 180 + i]) << p << " " << i;
  }
  second->dispatch(vst::effSetProgram, 0, 0);
  EXPECT_EQ(second->programName(), "Defaults");
}

// The factory programs that carry values in the reserved and unused rows report 0 there.
TEST(ModuleParameters, ReservedRowsReadAsZeroInEveryFactoryProgram) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  for (int p = 0; p < 32; ++p) {
    plugin->dispatch(vst::effSetProgram, 0, p);
    for (int i : {99, 100, 112, 133, 135, 136, 148, 150, 151}) {
      EXPECT_EQ(plugin->getParameter(i), 0.0f) << p << " " << i;
    }
    EXPECT_EQ(plugin->parameterDisplay(133), "Unused");
  }
}

// Hosts ask for texts from several threads and instances at once (the first request
// builds the shared name lists).
TEST(ModuleParameters, DisplaysFromSeveralThreadsAndInstances) {
  std::vector<std::unique_ptr<host::Plugin>> plugins;
  for (int i = 0; i < 3; ++i) plugins.push_back(createPlugin());
  for (auto& p : plugins) ASSERT_TRUE(p);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (auto& p : plugins) {
    for (int t = 0; t < 2; ++t) {
      threads.emplace_back([&wrong, effect = p->effect()] {
        char text[64];
        for (int round = 0; round < 50; ++round) {
          for (int i = 0; i < 180; ++i) {
            effect->dispatcher(effect, vst::effGetParamDisplay, i, 0, text, 0.0f);
          }
          effect->dispatcher(effect, vst::effGetParamDisplay, 83, 0, text, 0.0f);
          if (std::strcmp(text, "None") != 0) ++wrong;
          effect->dispatcher(effect, vst::effGetParamDisplay, 45, 0, text, 0.0f);
          if (std::strcmp(text, "Inf") != 0) ++wrong;  // "Defaults" holds Env 1's release
        }
      });
    }
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace gw::test

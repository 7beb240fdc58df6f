// Parameters through the module: texts, a host's save and restore, several threads.
#include <atomic>
#include <cstring>
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
  EXPECT_EQ(target->programNameIndexed(3), "Defaults");  // instances do not share programs
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
          if (std::strcmp(text, "0.000") != 0) ++wrong;
        }
      });
    }
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace gw::test

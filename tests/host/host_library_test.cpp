#include "host/host_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace gw::host {
namespace {

std::unique_ptr<Module> loadOrFail(const char* path) {
  std::string error;
  auto module = Module::load(path, error);
  EXPECT_NE(module, nullptr) << error;
  return module;
}

int liveFakes(const char* path = GW_FAKE_MODULE) {
  // The same path yields the already loaded module; this only looks at its counter.
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return -1;
  auto live = reinterpret_cast<int (*)()>(dlsym(handle, "fakeLiveInstances"));
  int count = live != nullptr ? live() : -1;
  dlclose(handle);
  return count;
}

TEST(ModuleLoad, RefusesWhatIsNotAModuleWithTheLoadersText) {
  std::string error;
  EXPECT_EQ(Module::load("/nonexistent/dir/none.so", error), nullptr);
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;

  const std::string text = testing::TempDir() + "not_a_module.so";
  std::ofstream(text) << "plain text, not an ELF object\n";
  error.clear();
  EXPECT_EQ(Module::load(text, error), nullptr);
  EXPECT_FALSE(error.empty());
  std::remove(text.c_str());

  error.clear();
  EXPECT_EQ(Module::load("", error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(ModuleLoad, RequiresAnEntryAndAcceptsMainAsOne) {
  std::string error;
  EXPECT_EQ(Module::load(GW_FAKE_MODULE_NO_ENTRY, error), nullptr);
  EXPECT_NE(error.find("VSTPluginMain"), std::string::npos) << error;

  auto module = loadOrFail(GW_FAKE_MODULE_MAIN_ONLY);
  ASSERT_NE(module, nullptr);
  auto plugin = Plugin::create(*module, error);
  ASSERT_NE(plugin, nullptr) << error;
  EXPECT_EQ(plugin->effectName(), "Fake");
}

TEST(PluginCreate, ReportsAnEntryThatReturnsNothing) {
  auto module = loadOrFail(GW_FAKE_MODULE_NULL);
  ASSERT_NE(module, nullptr);
  std::string error;
  EXPECT_EQ(Plugin::create(*module, error), nullptr);
  EXPECT_NE(error.find("no effect"), std::string::npos) << error;

  // A module that refuses an old host: the version answer decides.
  auto fake = loadOrFail(GW_FAKE_MODULE);
  HostOptions options;
  options.versionAnswer = 0;
  error.clear();
  EXPECT_EQ(Plugin::create(*fake, error, options), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(PluginCreate, ClosesARecordWithImplausibleCounts) {
  auto module = loadOrFail(GW_FAKE_MODULE_CORRUPT);
  ASSERT_NE(module, nullptr);
  std::string error;
  EXPECT_EQ(Plugin::create(*module, error), nullptr);
  EXPECT_NE(error.find("implausible"), std::string::npos) << error;
  EXPECT_EQ(liveFakes(GW_FAKE_MODULE_CORRUPT), 0);
}

TEST(PluginCreate, RecordsCallbacksMadeBeforeTheRecordIsKnown) {
  auto module = loadOrFail(GW_FAKE_MODULE);
  std::string error;
  auto plugin = Plugin::create(*module, error);
  ASSERT_NE(plugin, nullptr) << error;
  auto records = plugin->callbacks();
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(records[0].opcode, vst::audioMasterVersion);    // null effect
  EXPECT_EQ(records[1].opcode, vst::audioMasterCurrentId);  // record not yet stamped
  // Opening resumes, and resuming asks for MIDI.
  EXPECT_EQ(records.back().opcode, vst::audioMasterWantMidi);
  EXPECT_EQ(records.back().value, 1);
  EXPECT_EQ(plugin->effect()->user, plugin.get());
}

TEST(PluginCreate, ClosesOnceWhetherClosedExplicitlyOrDestroyed) {
  auto module = loadOrFail(GW_FAKE_MODULE);
  std::string error;
  const int before = liveFakes();
  {
    auto a = Plugin::create(*module, error);
    auto b = Plugin::create(*module, error);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(liveFakes(), before + 2);
    a->close();
    EXPECT_EQ(a->effect(), nullptr);
    EXPECT_EQ(a->dispatch(vst::effGetVendorVersion), 0);  // harmless after close
    a->process(nullptr, nullptr, 0);
    EXPECT_EQ(liveFakes(), before + 1);
  }
  EXPECT_EQ(liveFakes(), before);
}

TEST(PluginCallbacks, AutomationFromManyThreadsIsRecordedPerInstance) {
  auto module = loadOrFail(GW_FAKE_MODULE);
  std::string error;
  auto a = Plugin::create(*module, error);
  auto b = Plugin::create(*module, error);
  ASSERT_NE(b, nullptr);
  a->clearCallbacks();
  b->clearCallbacks();
  a->dispatch(vst::effVendorSpecific, 4, 2000);
  EXPECT_EQ(a->countCallbacks(vst::audioMasterAutomate), 8000u);
  EXPECT_EQ(b->callbacks().size(), 0u);
  auto records = a->callbacks();
  for (int thread = 0; thread < 4; ++thread) {
    EXPECT_EQ(std::count_if(
                  records.begin(), records.end(),
                  [thread](const CallbackRecord& r) { return r.index == thread && r.opt == 0.5f; }),
              2000);
  }
}

TEST(PluginQueries, TextsAndPinsReachTheHost) {
  auto module = loadOrFail(GW_FAKE_MODULE);
  std::string error;
  auto plugin = Plugin::create(*module, error);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->vendorString(), "Test Vendor");
  EXPECT_EQ(plugin->productString(), "Fake Product");
  EXPECT_EQ(plugin->parameterName(1), "Very Long Param");
  EXPECT_EQ(plugin->parameterLabel(0), "dB");
  plugin->setParameter(0, 0.75f);
  EXPECT_EQ(plugin->getParameter(0), 0.75f);
  EXPECT_EQ(plugin->parameterDisplay(0), "0.750");
  EXPECT_EQ(plugin->programNameIndexed(2), "Deep Bass");
  EXPECT_EQ(plugin->programNameIndexed(3), "");
  plugin->dispatch(vst::effSetProgram, 0, 1);
  EXPECT_EQ(plugin->programName(), "Bright Pad");
  vst::VstPinProperties pin;
  ASSERT_TRUE(plugin->outputProperties(2, pin));
  EXPECT_STREQ(pin.label, "Out 3");
  EXPECT_FALSE(plugin->outputProperties(3, pin));
}

TEST(PluginProcess, EventsArriveWithOffsetsAndEveryPinHasABuffer) {
  auto module = loadOrFail(GW_FAKE_MODULE);
  std::string error;
  auto plugin = Plugin::create(*module, error);
  ASSERT_NE(plugin, nullptr);
  std::vector<Plugin::MidiEvent> events(5);
  for (int i = 0; i < 5; ++i) events[i] = {{0x90, static_cast<std::uint8_t>(60 + i), 100}, i * 7};
  EXPECT_EQ(plugin->sendMidi(events), 1);
  EXPECT_EQ(plugin->dispatch(1000), 64 * 10000 + 28);
  std::vector<float> left(300, 9.0f), right(300, 9.0f);
  plugin->setParameter(0, 0.125f);
  plugin->process(left.data(), right.data(), 300);
  EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float v) { return v == 0.125f; }));
  EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](float v) { return v == 5.0f; }));
  EXPECT_EQ(plugin->sendMidi({}), 1);  // an empty list is still a valid call
}

}  // namespace
}  // namespace gw::host

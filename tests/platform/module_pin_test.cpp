// A module that pins itself stays mapped after its loader's last unload; one that does not
// goes. Both in one test, since a pinned module cannot be unmapped again in this process.
#include <gtest/gtest.h>

#include <string>

#include "platform/module_loader.h"

namespace gw::platform {
namespace {

TEST(ModulePin, APinnedModuleOutlivesItsUnloadAndAnUnpinnedOneDoesNot) {
  std::string error;
  ModuleHandle module = loadModule(GW_PIN_PROBE, error);
  ASSERT_NE(module, nullptr) << error;
  ASSERT_NE(findModuleSymbol(module, "gwKeepMapped"), nullptr);
  unloadModule(module);
  EXPECT_FALSE(isModuleLoaded(GW_PIN_PROBE)) << "unpinned, the last unload unmaps it";

  module = loadModule(GW_PIN_PROBE, error);
  ASSERT_NE(module, nullptr) << error;
  auto keep = reinterpret_cast<int (*)()>(findModuleSymbol(module, "gwKeepMapped"));
  ASSERT_NE(keep, nullptr);
  EXPECT_EQ(keep(), 1);
  EXPECT_EQ(keep(), 1) << "pinning twice is harmless";
  unloadModule(module);
  EXPECT_TRUE(isModuleLoaded(GW_PIN_PROBE)) << "pinned, it stays mapped";
  EXPECT_EQ(keep(), 1) << "and its code can still be called";
}

}  // namespace
}  // namespace gw::platform

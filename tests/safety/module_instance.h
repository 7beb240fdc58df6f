// One instance of the real module through our host library; the module is loaded once
// per test binary and stays loaded for all its tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/host_library.h"

namespace gw::test {

inline std::unique_ptr<host::Plugin> createPlugin(float rate = 44100.0f) {
  static std::unique_ptr<host::Module> module = [] {
    std::string error;
    auto loaded = host::Module::load(GW_MODULE_PATH, error);
    if (!loaded) ADD_FAILURE() << error;
    return loaded;
  }();
  if (!module) return nullptr;
  std::string error;
  host::HostOptions options;
  options.sampleRate = rate;
  auto plugin = host::Plugin::create(*module, error, options);
  EXPECT_NE(plugin, nullptr) << error;
  return plugin;
}

}  // namespace gw::test

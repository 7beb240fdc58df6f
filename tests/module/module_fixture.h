// Loads glimmerwick.so once per test program and creates instances through its entry.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/host_library.h"

namespace gw::test {

inline const host::Module& glimmerwickModule() {
  static std::unique_ptr<host::Module> module = [] {
    std::string error;
    auto loaded = host::Module::load(GW_MODULE_PATH, error);
    if (!loaded) ADD_FAILURE() << error;
    return loaded;
  }();
  return *module;
}

inline std::unique_ptr<host::Plugin> createPlugin(const host::HostOptions& options = {}) {
  std::string error;
  auto plugin = host::Plugin::create(glimmerwickModule(), error, options);
  EXPECT_NE(plugin, nullptr) << error;
  return plugin;
}

}  // namespace gw::test

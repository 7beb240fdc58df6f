// What real hosts do to a module, done to glimmerwick.so through our host library: each
// test loads the module itself, so unloading it in one test cannot disturb another.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host/host_library.h"

namespace gw::test {

inline std::unique_ptr<host::Module> loadGlimmerwick() {
  std::string error;
  auto module = host::Module::load(GW_MODULE_PATH, error);
  EXPECT_NE(module, nullptr) << error;
  return module;
}

inline std::unique_ptr<host::Plugin> createInstance(const host::Module& module,
                                                    const host::HostOptions& options = {}) {
  std::string error;
  auto plugin = host::Plugin::create(module, error, options);
  EXPECT_NE(plugin, nullptr) << error;
  return plugin;
}

inline host::Plugin::MidiEvent noteOn(int key, int velocity = 100) {
  return {{0x90, static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity)}, 0};
}

// Left output of `frames` samples processed in blocks of the given sizes, repeated.
inline std::vector<float> renderInBlocks(host::Plugin& plugin, int frames,
                                         const std::vector<int>& blockSizes) {
  std::vector<float> left(static_cast<std::size_t>(frames)), right(left.size());
  int done = 0;
  for (std::size_t b = 0; done < frames; ++b) {
    const int n = std::min(blockSizes[b % blockSizes.size()], frames - done);
    plugin.sendMidi({});  // hosts send an event list every cycle, most often empty
    plugin.process(left.data() + done, right.data() + done, n);
    done += n;
  }
  return left;
}

inline float peakOf(const std::vector<float>& x, std::size_t from = 0) {
  float p = 0.0f;
  for (std::size_t i = from; i < x.size(); ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

inline bool finite(const std::vector<float>& x) {
  for (float v : x) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace gw::test

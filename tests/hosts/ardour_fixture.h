// What every Ardour test starts from: a private plug-in folder with a copy of the module
// and a link to the LV2 bundle, a private configuration, cache and data folder, and the
// ways to run Ardour's scanner and its Lua session tool over them. Built with
// GW_INSTALLED_PREFIX (tests/package), the module and the bundle are the ones the Debian
// package installed, found on Ardour's own default paths: no path variable and no copy.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/hosts/child_process.h"

namespace gw::test {

namespace fs = std::filesystem;

inline constexpr char kArdourLibs[] = "/usr/lib/ardour7";
inline constexpr char kScanner[] = "/usr/lib/ardour7/ardour-vst-scanner";
inline constexpr char kLuaWrapper[] = "/usr/bin/ardour7-lua";
inline constexpr char kLuaSession[] = "/usr/lib/ardour7/luasession";
inline constexpr char kArdourData[] = "/usr/share/ardour7";
// This Ardour's Lua session tool dies now and then inside Ardour, at random steps and as
// often with Ardour's own instrument as with ours (its event loop runs cross-thread
// requests directly on the calling thread). A run that dies of a signal is repeated;
// a script that fails its own checks never is.
inline constexpr int kLuaAttempts = 8;
inline std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline fs::path onlyFileWithExtension(const fs::path& dir, const std::string& extension) {
  fs::path found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.path().extension() == extension) {
      if (!found.empty()) return {};
      found = entry.path();
    }
  }
  return found;
}

class ArdourTest : public testing::Test {
 public:
  const fs::path& root() const { return root_; }
  const fs::path& module() const { return module_; }

 protected:
  void SetUp() override {
    if (!fs::exists(kScanner) || !fs::exists(kLuaWrapper) || !fs::exists(kLuaSession)) {
      GTEST_SKIP() << "Ardour 7 is not installed (scripts/install-deps hosts)";
    }
    root_ = makeScratchDirectory("gw-ardour");
    ASSERT_FALSE(root_.empty());
#ifdef GW_INSTALLED_PREFIX
    forgetPluginPaths();
    module_ = fs::path(GW_INSTALLED_PREFIX) / "lib/lxvst/glimmerwick.so";
    ASSERT_TRUE(fs::exists(module_)) << module_ << " is not installed";
#else
    // A private plug-in folder, configuration and cache for every run: a persistent
    // configuration keeps the first plug-in path it ever saw.
    fs::create_directories(root_ / "lxvst");
    fs::create_directories(root_ / "lv2");
#ifdef GW_LV2_BUNDLE
    fs::create_directory_symlink(GW_LV2_BUNDLE, root_ / "lv2" / "glimmerwick.lv2");
#endif
    module_ = root_ / "lxvst/glimmerwick.so";
    fs::copy_file(GW_MODULE, module_);
    // Ardour trusts a cache entry only when the module is older, in whole seconds.
    fs::last_write_time(module_, fs::file_time_type::clock::now() - std::chrono::seconds(10));
#endif
    fs::create_directories(root_ / "config/ardour7/export");
    fs::create_directories(root_ / "cache");
    for (const char* name : {"glimmerwick-float.format", "glimmerwick-float.preset"}) {
      fs::copy_file(fs::path(GW_HOSTS_SOURCE_DIR) / "export" / name,
                    root_ / "config/ardour7/export" / name);
    }
    // Ardour's data without the MIDI name documents: a background thread parses those
    // with libxml2 while the session's thread uses it too, which corrupts the heap.
    fs::create_directories(root_ / "data/patchfiles");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kArdourData, ec)) {
      if (entry.path().filename() != "patchfiles") {
        fs::create_directory_symlink(entry.path(), root_ / "data" / entry.path().filename());
      }
    }
  }

  void TearDown() override {
    std::error_code ec;
    if (HasFailure()) {
      std::cerr << "Ardour's files are kept in " << root_ << "\n";
    } else if (!root_.empty()) {
      fs::remove_all(root_, ec);
    }
  }

  std::vector<std::string> environment() const {
    return {"XDG_CONFIG_HOME=" + (root_ / "config").string(),
            "XDG_CACHE_HOME=" + (root_ / "cache").string(),
#ifndef GW_INSTALLED_PREFIX
            "LXVST_PATH=" + (root_ / "lxvst").string(),
            "LV2_PATH=" + (root_ / "lv2").string() + ":/usr/lib/lv2",
#endif
            "HOME=" + root_.string()};
  }

  RunResult scan() const {
    std::vector<std::string> env = environment();
    env.push_back(std::string("LD_LIBRARY_PATH=") + kArdourLibs);
    return runProgram({kScanner, "-f", module_.string()}, env, 120);
  }

 public:
  // ardour7-lua's own settings, but our data folder.
  // Before every attempt the folders in `fresh` are removed and `exportDir` made anew.
  RunResult lua(const std::string& script, const std::vector<std::string>& args,
                const std::vector<fs::path>& fresh, const fs::path& exportDir) const {
    std::vector<std::string> argv = {kLuaSession,
                                     (fs::path(GW_HOSTS_SOURCE_DIR) / script).string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = environment();
    for (const std::string& e : {std::string("LD_LIBRARY_PATH=") + kArdourLibs,
                                 "ARDOUR_DATA_PATH=" + (root_ / "data").string(),
                                 std::string("ARDOUR_CONFIG_PATH=/etc/ardour7"),
                                 std::string("ARDOUR_DLL_PATH=") + kArdourLibs,
                                 std::string("VAMP_PATH=") + kArdourLibs + "/vamp"}) {
      env.push_back(e);
    }
    RunResult result;
    for (int attempt = 1; attempt <= kLuaAttempts; ++attempt) {
      std::error_code ec;
      for (const fs::path& dir : fresh) fs::remove_all(dir, ec);
      fs::remove_all(exportDir, ec);
      fs::create_directories(exportDir);
      result = runProgram(argv, env, 300);
      if (result.timedOut || result.exitCode != -1) break;
      std::cerr << script << ": Ardour died in attempt " << attempt << ", running it again\n";
    }
    return result;
  }

 protected:
  fs::path root_;
  fs::path module_;
};

}  // namespace gw::test

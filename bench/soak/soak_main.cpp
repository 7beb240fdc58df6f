// glimmerwick-soak [--minutes M] [--rates R1,R2] [--block N] [--seed S] [MODULE.so]
// Plays the module for M minutes of audio (default 60) at each rate (default 44100 and
// 96000) with dense random MIDI and automation, then reports per-minute block times, the
// output's finiteness and peak, and memory. Exit status 1 when a sample was not finite or
// the block time drifted (the slowest minute's mean over 1.5 times the median's).
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/soak/soak_run.h"
#include "plugin/vst/aeffect.h"

namespace {

constexpr double kDriftLimit = 1.5;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

bool report(const gw::soak::Settings& s, const gw::soak::Result& r) {
  std::printf("\n%.0f Hz, %.0f minutes of audio in %.1f s (%.1fx real time), %d-frame blocks\n",
              s.sampleRate, s.minutes, r.wallSeconds, s.minutes * 60.0 / r.wallSeconds,
              s.blockFrames);
  std::printf("minute  mean us/block  max us/block      peak  non-finite   (processor time)\n");
  std::vector<double> means;
  long nonFinite = 0;
  for (std::size_t m = 0; m < r.minutes.size(); ++m) {
    const auto& st = r.minutes[m];
    std::printf("%6zu  %13.1f  %12.1f  %8.3f  %10ld\n", m + 1, st.meanBlockNs / 1e3,
                st.maxBlockNs / 1e3, st.peak, st.nonFinite);
    means.push_back(st.meanBlockNs);
    nonFinite += st.nonFinite;
  }
  const double mid = median(means);
  const double worst = means.empty() ? 0.0 : *std::max_element(means.begin(), means.end());
  const double drift = mid > 0.0 ? worst / mid : 0.0;
  std::printf("slowest minute / median minute: %.2f (limit %.1f); non-finite samples: %ld\n", drift,
              kDriftLimit, nonFinite);
  std::printf("resident memory: %ld kB after the first minute, %ld kB at the end\n",
              r.rssAfterFirstMinuteKb, r.rssAtEndKb);
  return nonFinite == 0 && drift <= kDriftLimit;
}

}  // namespace

int main(int argc, char** argv) {
  std::string module = GW_MODULE_PATH;
  std::vector<float> rates = {44100.0f, 96000.0f};
  gw::soak::Settings base;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--minutes" && hasValue) {
      base.minutes = std::atof(argv[++i]);
    } else if (arg == "--block" && hasValue) {
      base.blockFrames = std::atoi(argv[++i]);
    } else if (arg == "--seed" && hasValue) {
      base.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--rates" && hasValue) {
      rates.clear();
      std::istringstream list(argv[++i]);
      for (std::string rate; std::getline(list, rate, ',');) rates.push_back(std::stof(rate));
    } else if (!arg.empty() && arg[0] != '-') {
      module = arg;
    } else {
      std::fprintf(stderr,
                   "Usage: glimmerwick-soak [--minutes M] [--rates R1,R2] [--block N] "
                   "[--seed S] [MODULE.so]\n");
      return 2;
    }
  }
  if (!(base.minutes > 0.0) || base.blockFrames < 1 || base.blockFrames > 65536 || rates.empty()) {
    std::fprintf(stderr, "glimmerwick-soak: minutes, block size or rates out of range\n");
    return 2;
  }
  std::string error;
  auto loaded = gw::host::Module::load(module, error);
  if (!loaded) {
    std::fprintf(stderr, "glimmerwick-soak: %s\n", error.c_str());
    return 1;
  }
  bool ok = true;
  for (const float rate : rates) {
    gw::soak::Settings s = base;
    s.sampleRate = rate;
    gw::host::HostOptions options;
    options.sampleRate = rate;
    options.blockSize = s.blockFrames;
    auto plugin = gw::host::Plugin::create(*loaded, error, options);
    if (!plugin) {
      std::fprintf(stderr, "glimmerwick-soak: %s\n", error.c_str());
      return 1;
    }
    plugin->dispatch(vst::effSetProgram, 0, 0);
    ok = report(s, gw::soak::run(*plugin, s)) && ok;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\npeak resident memory of the whole run: %ld kB\n", usage.ru_maxrss);
  return ok ? 0 : 1;
}

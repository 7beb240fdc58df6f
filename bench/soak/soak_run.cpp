#include "bench/soak/soak_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

#include "plugin/vst/aeffect.h"

namespace gw::soak {
namespace {

using Clock = std::chrono::steady_clock;

// Resident set size now, from the kernel's own account of this process.
long residentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      std::istringstream fields(line.substr(6));
      long kb = 0;
      fields >> kb;
      return kb;
    }
  }
  return -1;
}

// A player who holds around a dozen notes, strikes and lets go several a block, bends the
// wheel and now and then lets everything go; every rule is the same all hour long, so the
// work per block is stationary and any drift in its time is the engine's.
class RandomPlayer {
 public:
  explicit RandomPlayer(std::uint32_t seed) : rng_(seed) {}

  void events(std::int32_t frames, std::vector<host::Plugin::MidiEvent>& out) {
    out.clear();
    const int count = std::poisson_distribution<int>(4.0)(rng_);
    for (int i = 0; i < count; ++i) {
      host::Plugin::MidiEvent e{};
      e.deltaFrames = static_cast<std::int32_t>(rng_() % static_cast<std::uint32_t>(frames));
      const int choice = static_cast<int>(rng_() % 100);
      const auto note = static_cast<std::uint8_t>(24 + rng_() % 84);
      if (choice < 45) {
        e.bytes[0] = 0x90;
        e.bytes[1] = note;
        e.bytes[2] = static_cast<std::uint8_t>(1 + rng_() % 127);
      } else if (choice < 90) {
        e.bytes[0] = 0x80;
        e.bytes[1] = note;
      } else if (choice < 99) {
        e.bytes[0] = 0xE0;
        e.bytes[1] = static_cast<std::uint8_t>(rng_() % 128);
        e.bytes[2] = static_cast<std::uint8_t>(rng_() % 128);
      } else {
        e.bytes[0] = 0xB0;
        e.bytes[1] = 123;
      }
      out.push_back(e);
    }
  }

  // A few parameters move every block, anywhere in their range.
  void automate(host::Plugin& plugin) {
    for (int i = 0; i < 3; ++i)
      plugin.setParameter(static_cast<std::int32_t>(rng_() % 180), (rng_() % 10001) / 10000.0f);
  }

 private:
  std::mt19937 rng_;
};

}  // namespace

Result run(host::Plugin& plugin, const Settings& s) {
  Result result;
  const std::int32_t n = s.blockFrames;
  const auto framesPerMinute = static_cast<long long>(s.sampleRate * 60.0);
  const long long totalFrames = static_cast<long long>(s.minutes * framesPerMinute);
  std::vector<float> left(n), right(n);
  std::vector<host::Plugin::MidiEvent> events;
  RandomPlayer player(s.seed);
  MinuteStats minute;
  long long blocksInMinute = 0, minuteFrames = 0;
  const auto start = Clock::now();
  for (long long done = 0; done < totalFrames; done += n) {
    player.events(n, events);
    player.automate(plugin);
    plugin.sendMidi(events);
    // Processor time, not wall time: other programs on the machine must not look like a
    // slowdown of ours.
    const std::clock_t t0 = std::clock();
    plugin.process(left.data(), right.data(), n);
    const double ns = static_cast<double>(std::clock() - t0) * (1e9 / CLOCKS_PER_SEC);
    minute.meanBlockNs += ns;
    minute.maxBlockNs = std::max(minute.maxBlockNs, ns);
    ++blocksInMinute;
    for (std::int32_t i = 0; i < n; ++i) {
      if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
        ++minute.nonFinite;
      else
        minute.peak =
            std::max({minute.peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
    }
    minuteFrames += n;
    if (minuteFrames >= framesPerMinute || done + n >= totalFrames) {
      minute.meanBlockNs /= static_cast<double>(blocksInMinute);
      result.minutes.push_back(minute);
      if (result.minutes.size() == 1) result.rssAfterFirstMinuteKb = residentKb();
      minute = {};
      blocksInMinute = minuteFrames = 0;
    }
  }
  result.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.rssAtEndKb = residentKb();
  return result;
}

}  // namespace gw::soak

// Host threads against the audio thread, through glimmerwick.so: automation, program
// changes and texts on one thread while another sends MIDI and renders; automation on the
// audio thread itself, which reaches the editor's pending queue. Run under
// ThreadSanitizer, a race report here is a real fault.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/host_library.h"
#include "plugin/vst/aeffect.h"
#include "tests/safety/module_instance.h"
#include "tests/safety/random_program.h"

namespace gw::test {
namespace {

// What the audio thread saw: how many blocks it rendered, and where the first sample that
// was not finite came out, so that a failure says what to look at.
struct AudioReport {
  std::atomic<long> blocks{0};
  std::atomic<int> bad{0};
  // Written by the audio thread at its first bad sample, read after it is joined.
  long firstBadBlock = -1;
  int firstBadFrame = -1;
  const char* firstBadChannel = "";
  float firstBadValue = 0.0f;
  std::uint8_t midiBefore[3] = {};

  std::string describe() const {
    if (bad.load() == 0) return "all samples finite";
    char text[200];
    std::snprintf(text, sizeof text,
                  "%d samples not finite; the first, %g, in block %ld of %ld, frame %d, %s "
                  "channel, after MIDI %02x %02x %02x",
                  bad.load(), firstBadValue, firstBadBlock, blocks.load(), firstBadFrame,
                  firstBadChannel, midiBefore[0], midiBefore[1], midiBefore[2]);
    return text;
  }
};

// The host's audio thread: MIDI and blocks until told to stop.
void audioLoop(vst::AEffect* effect, std::atomic<bool>& stop, AudioReport& report, bool automate) {
  std::mt19937 rng(3);
  std::vector<float> left(256), right(256);
  float* outputs[2] = {left.data(), right.data()};
  vst::VstMidiEvent midi{};
  midi.type = vst::kVstMidiType;
  midi.byteSize = sizeof midi - 8;
  struct {
    std::int32_t numEvents = 1;
    vst::IntPtr reserved = 0;
    vst::VstEvent* events[2];
  } list;
  list.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
  for (long block = 0; !stop.load(std::memory_order_relaxed); ++block) {
    const auto bytes = randomMidi(rng);
    for (std::size_t i = 0; i < bytes.size(); ++i) midi.midiData[i] = static_cast<char>(bytes[i]);
    effect->dispatcher(effect, vst::effProcessEvents, 0, 0, &list, 0.0f);
    // Hosts play automation back from the audio thread.
    if (automate)
      effect->setParameter(effect, static_cast<std::int32_t>(rng() % 180),
                           (rng() % 1001) / 1000.0f);
    effect->processReplacing(effect, nullptr, outputs, 256);
    for (int i = 0; i < 256; ++i) {
      for (const float* channel : {left.data(), right.data()}) {
        if (std::isfinite(channel[i])) continue;
        if (report.bad.fetch_add(1) == 0) {
          report.firstBadBlock = block;
          report.firstBadFrame = i;
          report.firstBadChannel = channel == left.data() ? "left" : "right";
          report.firstBadValue = channel[i];
          for (std::size_t b = 0; b < bytes.size(); ++b) report.midiBefore[b] = bytes[b];
        }
      }
    }
    report.blocks.fetch_add(1, std::memory_order_relaxed);
  }
}

// The host's other thread runs `step` for 1.5 s, and on a loaded machine on until the
// audio thread has rendered enough blocks to meet it often (at most 30 s).
template <typename Step>
void runAlongside(const AudioReport& report, Step step) {
  constexpr long kEnoughBlocks = 2000;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed >= std::chrono::seconds(30)) break;
    if (elapsed >= std::chrono::milliseconds(1500) &&
        report.blocks.load(std::memory_order_relaxed) >= kEnoughBlocks)
      break;
    step();
  }
  EXPECT_GE(report.blocks.load(), kEnoughBlocks) << "the audio thread hardly ran";
}

TEST(ThreadedModule, AutomationAndProgramsOnOneThreadWhileAnotherRenders) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin) << "no instance of the module";
  vst::AEffect* effect = plugin->effect();
  std::atomic<bool> stop{false};
  AudioReport report;
  std::thread audio(audioLoop, effect, std::ref(stop), std::ref(report), false);
  std::mt19937 rng(11);
  char text[64];
  runAlongside(report, [&] {
    const Normalised values = randomProgram(rng, 0.3);
    for (int i = 0; i < param::kCount; ++i) {
      effect->setParameter(effect, i, values[i]);
      effect->dispatcher(effect, vst::effGetParamDisplay, i, 0, text, 0.0f);
    }
    effect->dispatcher(effect, vst::effSetProgram, 0, static_cast<vst::IntPtr>(rng() % 32), nullptr,
                       0.0f);
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
  });
  stop.store(true);
  audio.join();
  EXPECT_EQ(report.bad.load(), 0) << report.describe();
}

// setParameter on the audio thread tells the editor, whose changes the UI thread drains
// at idle; the UI thread also reads values and texts meanwhile.
TEST(ThreadedModule, AutomationOnTheAudioThreadWhileTheUiThreadIdles) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin) << "no instance of the module";
  vst::AEffect* effect = plugin->effect();
  std::atomic<bool> stop{false};
  AudioReport report;
  std::thread audio(audioLoop, effect, std::ref(stop), std::ref(report), true);
  char text[64];
  int round = 0;
  runAlongside(report, [&] {
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
    const int index = round++ % 180;
    (void)effect->getParameter(effect, index);
    effect->dispatcher(effect, vst::effGetParamDisplay, index, 0, text, 0.0f);
  });
  stop.store(true);
  audio.join();
  EXPECT_EQ(report.bad.load(), 0) << report.describe();
}

}  // namespace
}  // namespace gw::test

// Host threads against the audio thread, through glimmerwick.so: automation, program
// changes and texts on one thread while another sends MIDI and renders; automation on the
// audio thread itself, which reaches the editor's pending queue. Run under
// ThreadSanitizer, a race report here is a real fault.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
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

// The host's audio thread: MIDI and blocks until told to stop; counts bad samples.
void audioLoop(vst::AEffect* effect, std::atomic<bool>& stop, std::atomic<int>& bad,
               bool automate) {
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
  while (!stop.load(std::memory_order_relaxed)) {
    const auto bytes = randomMidi(rng);
    for (std::size_t i = 0; i < bytes.size(); ++i) midi.midiData[i] = static_cast<char>(bytes[i]);
    effect->dispatcher(effect, vst::effProcessEvents, 0, 0, &list, 0.0f);
    // Hosts play automation back from the audio thread.
    if (automate)
      effect->setParameter(effect, static_cast<std::int32_t>(rng() % 180),
                           (rng() % 1001) / 1000.0f);
    effect->processReplacing(effect, nullptr, outputs, 256);
    for (int i = 0; i < 256; ++i)
      if (!std::isfinite(left[i]) || !std::isfinite(right[i])) bad.fetch_add(1);
  }
}

TEST(ThreadedModule, AutomationAndProgramsOnOneThreadWhileAnotherRenders) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  vst::AEffect* effect = plugin->effect();
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread audio(audioLoop, effect, std::ref(stop), std::ref(bad), false);
  std::mt19937 rng(11);
  char text[64];
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < until) {
    const Normalised values = randomProgram(rng, 0.3);
    for (int i = 0; i < param::kCount; ++i) {
      effect->setParameter(effect, i, values[i]);
      effect->dispatcher(effect, vst::effGetParamDisplay, i, 0, text, 0.0f);
    }
    effect->dispatcher(effect, vst::effSetProgram, 0, static_cast<vst::IntPtr>(rng() % 32), nullptr,
                       0.0f);
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(bad.load(), 0);
}

// setParameter on the audio thread tells the editor, whose changes the UI thread drains
// at idle; the UI thread also reads values and texts meanwhile.
TEST(ThreadedModule, AutomationOnTheAudioThreadWhileTheUiThreadIdles) {
  auto plugin = createPlugin();
  ASSERT_TRUE(plugin);
  vst::AEffect* effect = plugin->effect();
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread audio(audioLoop, effect, std::ref(stop), std::ref(bad), true);
  char text[64];
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  for (int round = 0; std::chrono::steady_clock::now() < until; ++round) {
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
    const int index = round % 180;
    (void)effect->getParameter(effect, index);
    effect->dispatcher(effect, vst::effGetParamDisplay, index, 0, text, 0.0f);
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace gw::test

// CPU per frame of the complete editor, as a host's machine pays for it: the synthesiser
// created in this process, its editor opened in a window of ours on the X server of
// DISPLAY (Xvfb with Mesa's llvmpipe here) and idled as a host would, every 15 ms. The
// cost counted is the whole process's CPU time (render thread, the GL driver's threads
// and the idle calls) over the frames drawn meanwhile; the X server's own is not.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" taskset -c 1 build/bench/gw_editor_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "gfx/display_flags.h"
#include "platform/top_level_window.h"
#include "plugin/plugin_factory.h"
#include "plugin/tarn_additive_synth.h"
#include "plugin/tarn_editor.h"
#include "plugin/vst/aeffect.h"

namespace {

using Clock = std::chrono::steady_clock;

vst::IntPtr VSTCALLBACK hostCallback(vst::AEffect*, std::int32_t opcode, std::int32_t, vst::IntPtr,
                                     void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

class OpenEditor {
 public:
  bool open(std::string& error) {
    effect_ = gw::createEffect(hostCallback, true);
    if (effect_ == nullptr) {
      error = "the synthesiser was not created";
      return false;
    }
    vst::ERect* rect = nullptr;
    dispatch(vst::effEditGetRect, &rect);
    if (rect == nullptr) {
      error = "no editor rectangle";
      return false;
    }
    window_ = gw::platform::TopLevelWindow::create(rect->right - rect->left,
                                                   rect->bottom - rect->top, "bench", error);
    if (window_ == nullptr) return false;
    dispatch(vst::effEditOpen, reinterpret_cast<void*>(window_->nativeHandle()));
    return true;
  }
  ~OpenEditor() {
    if (effect_ == nullptr) return;
    dispatch(vst::effEditClose);
    dispatch(vst::effClose);
  }

  // Idles for seconds; returns the frames drawn meanwhile.
  std::uint64_t host(double seconds) {
    const std::uint64_t before = frames();
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
      window_->processEvents();
      dispatch(vst::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    return frames() - before;
  }

 private:
  std::uint64_t frames() const {
    auto* plugin = static_cast<TarnAdditiveSynth*>(static_cast<AudioEffect*>(effect_->object));
    const auto* editor = static_cast<TarnEditor*>(plugin->getEditor());
    return editor->window() != nullptr ? editor->window()->framesDrawn() : 0;
  }
  void dispatch(std::int32_t opcode, void* ptr = nullptr) {
    effect_->dispatcher(effect_, opcode, 0, 0, ptr, 0.0f);
  }

  vst::AEffect* effect_ = nullptr;
  std::unique_ptr<gw::platform::TopLevelWindow> window_;
};

// Arg: eye candy on (1) or off (0). One iteration hosts the editor for a second.
void BM_EditorFrame(benchmark::State& state) {
  OpenEditor editor;
  std::string error;
  if (!editor.open(error)) {
    state.SkipWithError(("no editor: " + error).c_str());
    return;
  }
  gw::displayFlags().eyeCandy.store(state.range(0) != 0, std::memory_order_relaxed);
  editor.host(1.0);  // GL set-up, first frames and glyphs
  double cpuSeconds = 0.0;
  std::uint64_t frames = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    frames += editor.host(1.0);
    cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  gw::displayFlags().eyeCandy.store(true, std::memory_order_relaxed);
  if (frames == 0) {
    state.SkipWithError("no frame was drawn");
    return;
  }
  state.counters["cpu_ms_per_frame"] = 1000.0 * cpuSeconds / static_cast<double>(frames);
  state.counters["fps"] = static_cast<double>(frames) / (static_cast<double>(state.iterations()));
}
BENCHMARK(BM_EditorFrame)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

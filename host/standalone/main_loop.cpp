#include "host/standalone/main_loop.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <utility>

#include "host/standalone/png_writer.h"

namespace gw::standalone {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
  stopSignal = signal;
}

// Hosts idle their editors 20 to 60 times a second; 30 sits in the middle.
constexpr auto kTick = std::chrono::microseconds(1'000'000 / 30);

// The editor's own frame when the module gives it: a screen copy cannot see into a GL
// child window everywhere (Wine's, for one). Otherwise what the window shows.
int writeScreenshot(EditorSession& session, const std::string& path) {
  platform::TopLevelWindow::Image image;
  std::string error;
  host::Plugin::Frame frame;
  bool taken = false;
  if (session.plugin().grabEditorFrame(frame)) {
    image.width = frame.width;
    image.height = frame.height;
    image.rgba = std::move(frame.rgba);
    taken = true;
  } else {
    taken = session.window().capture(image, error);
  }
  if (!taken || !writePng(path, image, error)) {
    std::fprintf(stderr, "glimmerwick-standalone: screenshot failed: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

void watchStopSignals() {
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
}

bool stopRequested() {
  return stopSignal != 0;
}

int runMainLoop(EditorSession& session, const StandaloneOptions& options,
                const std::vector<LoopClient*>& clients) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto shotAt = start + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(options.screenshotAfter));
  auto next = start;
  while (stopSignal == 0) {
    if (session.closeRequested()) return 0;
    session.idle();
    for (LoopClient* client : clients) client->tick();
    if (!options.screenshot.empty() && Clock::now() >= shotAt) {
      return writeScreenshot(session, options.screenshot);
    }
    next += kTick;
    const auto now = Clock::now();
    // After a stall (a modal dialog, a debugger) go on at the pace, without catching up.
    if (next < now) next = now;
    std::this_thread::sleep_until(next);
  }
  return 0;
}

}  // namespace gw::standalone

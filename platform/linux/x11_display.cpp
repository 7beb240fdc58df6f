#include "platform/linux/x11_display.h"

#include "platform/linux/window_system_error.h"

#include <X11/extensions/Xrender.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace gw::platform::x11 {
namespace {

struct Watched {
  std::atomic<Display*> display{nullptr};
  std::atomic<int> error{0};
};

// Enough for the editors of one process; a display beyond it is still usable, its
// errors are only not trapped.
std::array<Watched, 32> watched;
std::atomic<XErrorHandler> previous{nullptr};
thread_local std::string lastFailure;

int onError(Display* display, XErrorEvent* event) {
  for (auto& slot : watched) {
    if (slot.display.load(std::memory_order_acquire) == display) {
      int expected = 0;
      slot.error.compare_exchange_strong(expected, event->error_code, std::memory_order_relaxed);
      return 0;
    }
  }
  const XErrorHandler before = previous.load(std::memory_order_acquire);
  return before != nullptr ? before(display, event) : 0;
}

Watched* find(Display* display) {
  for (auto& slot : watched) {
    if (slot.display.load(std::memory_order_acquire) == display) return &slot;
  }
  return nullptr;
}

}  // namespace

void ensureErrorHandler() {
  const XErrorHandler before = XSetErrorHandler(onError);
  if (before != onError) previous.store(before, std::memory_order_release);
}

Display* openDisplay(std::string& error) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    error = "no X display (DISPLAY is not set)";
    return nullptr;
  }
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    error = std::string("cannot open X display \"") + name + "\"";
    return nullptr;
  }
  ensureErrorHandler();
  // Register the render extension before Xft does. Xlib runs close hooks newest first,
  // so Xft's hook (which frees pictures and glyph sets) then runs while the render
  // library still knows this display; the other way round the render library records
  // the closing display afresh and, when a later connection gets the same address,
  // sends its requests with a stale opcode, which ends in protocol errors or a hang.
  int eventBase = 0, errorBase = 0;
  XRenderQueryExtension(display, &eventBase, &errorBase);
  for (auto& slot : watched) {
    Display* empty = nullptr;
    if (slot.display.compare_exchange_strong(empty, display, std::memory_order_acq_rel)) {
      slot.error.store(0, std::memory_order_relaxed);
      break;
    }
  }
  return display;
}

void closeDisplay(Display* display) {
  if (display == nullptr) return;
  // Errors still in flight arrive here while the display is watched, not at the host.
  syncAndTakeError(display);
  if (Watched* slot = find(display)) slot->display.store(nullptr, std::memory_order_release);
  XCloseDisplay(display);
}

int syncAndTakeError(Display* display) {
  XSync(display, False);
  return takeError(display);
}

int takeError(Display* display) {
  Watched* slot = find(display);
  const int code = slot != nullptr ? slot->error.exchange(0, std::memory_order_relaxed) : 0;
  if (code != 0) lastFailure = errorText(display, code);
  return code;
}

void noteFailure(const std::string& text) {
  lastFailure = text;
}

std::string errorText(Display* display, int code) {
  char text[256] = {};
  XGetErrorText(display, code, text, sizeof text);
  return text;
}

}  // namespace gw::platform::x11

namespace gw::platform {

std::string takeWindowSystemError() {
  return std::exchange(x11::lastFailure, std::string());
}

}  // namespace gw::platform

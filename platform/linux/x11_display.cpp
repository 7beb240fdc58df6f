#include "platform/linux/x11_display.h"

#include "platform/linux/window_system_error.h"
#include "platform/module_pin.h"

#include <X11/extensions/Xrender.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace gw::platform::x11 {
namespace {

struct Watched {
  std::atomic<Display*> display{nullptr};
  std::atomic<int> error{0};
};

// Enough for the editors of one process; a display beyond it is still usable, its
// errors are only not trapped.
std::array<Watched, 32> watched;

// Xlib has one error handler per process. Ours goes in when our first connection opens
// and the one it replaced goes back when our last closes; slotMutex orders the two, and
// the libraries' own swaps (HandlerSlotLock), between our UI and render threads. The
// handler itself never takes it. Ours is never put back over another: a library's
// handler may be in the slot for a moment, and taking the slot back then would keep
// theirs as ours to restore.
std::recursive_mutex slotMutex;
int connections = 0;     // open connections of ours; guarded by slotMutex
bool installed = false;  // guarded by slotMutex
// Where errors on displays not ours go: the handler that was in the slot before ours.
std::atomic<XErrorHandler> previous{nullptr};
// The handler in the slot when ours first went in; see onError.
std::atomic<XErrorHandler> earliest{nullptr};
// Trivially destructible, so that no thread-exit destructor holds the module loaded.
thread_local int handlerDepth = 0;
constexpr std::size_t kFailureSize = 301;
thread_local char lastFailure[kFailureSize] = {};

Watched* find(Display* display) {
  for (auto& slot : watched) {
    if (slot.display.load(std::memory_order_acquire) == display) return &slot;
  }
  return nullptr;
}

int onError(Display* display, XErrorEvent* event) {
  if (Watched* slot = find(display)) {
    int expected = 0;
    slot->error.compare_exchange_strong(expected, event->error_code, std::memory_order_relaxed);
    return 0;
  }
  // A host handler that went in above ours chains to ours; if ours, installed again
  // later, chains to that handler, the error comes round a second time: then it goes to
  // the handler that preceded all of this.
  XErrorHandler next = previous.load(std::memory_order_acquire);
  if (handlerDepth > 0) next = earliest.load(std::memory_order_acquire);
  if (handlerDepth > 1 || next == nullptr || next == onError) return 0;
  ++handlerDepth;
  const int result = next(display, event);
  --handlerDepth;
  return result;
}

// Holds slotMutex; our first connection has opened.
void installHandler() {
  const XErrorHandler before = XSetErrorHandler(onError);
  installed = true;
  if (before == onError) return;  // a host that saved ours put it back
  previous.store(before, std::memory_order_release);
  XErrorHandler none = nullptr;
  earliest.compare_exchange_strong(none, before, std::memory_order_acq_rel);
}

// Holds slotMutex; our last connection has closed. Gives the slot back as we found it
// when ours is still on top. A handler the host installed after ours stays; since it may
// have kept ours to chain to, ours stays mapped for the rest of the process and passes
// every error on.
void restoreHandler() {
  if (!installed) return;
  installed = false;
  const XErrorHandler top = XSetErrorHandler(previous.load(std::memory_order_acquire));
  if (top == onError) return;
  XSetErrorHandler(top);
  keepModuleMapped();
}

void watch(Display* display) {
  for (auto& slot : watched) {
    Display* empty = nullptr;
    if (slot.display.compare_exchange_strong(empty, display, std::memory_order_acq_rel)) {
      slot.error.store(0, std::memory_order_relaxed);
      return;
    }
  }
}

}  // namespace

HandlerSlotLock::HandlerSlotLock() : lock_(slotMutex) {}

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
  {
    std::lock_guard lock(slotMutex);
    if (connections++ == 0) installHandler();
    watch(display);
  }
  // Register the render extension before Xft does. Xlib runs close hooks newest first,
  // so Xft's hook (which frees pictures and glyph sets) then runs while the render
  // library still knows this display; the other way round the render library records
  // the closing display afresh and, when a later connection gets the same address,
  // sends its requests with a stale opcode, which ends in protocol errors or a hang.
  int eventBase = 0, errorBase = 0;
  XRenderQueryExtension(display, &eventBase, &errorBase);
  return display;
}

void closeDisplay(Display* display) {
  if (display == nullptr) return;
  // Errors still in flight arrive here while the display is watched, not at the host.
  syncAndTakeError(display);
  std::lock_guard lock(slotMutex);
  // Close hooks may still send requests: their errors are ours too. The slot is found
  // first, since a connection opened meanwhile may get this address once it is freed.
  Watched* slot = find(display);
  XCloseDisplay(display);
  if (slot != nullptr) slot->display.store(nullptr, std::memory_order_release);
  if (--connections == 0) restoreHandler();
}

int syncAndTakeError(Display* display) {
  XSync(display, False);
  return takeError(display);
}

int takeError(Display* display) {
  Watched* slot = find(display);
  const int code = slot != nullptr ? slot->error.exchange(0, std::memory_order_relaxed) : 0;
  if (code != 0) noteFailure(errorText(display, code));
  return code;
}

void noteFailure(const std::string& text) {
  const std::size_t size = std::min(text.size(), kFailureSize - 1);
  std::memcpy(lastFailure, text.data(), size);
  lastFailure[size] = '\0';
}

std::string errorText(Display* display, int code) {
  char text[256] = {};
  XGetErrorText(display, code, text, sizeof text);
  return text;
}

}  // namespace gw::platform::x11

namespace gw::platform {

std::string takeWindowSystemError() {
  std::string text = x11::lastFailure;
  x11::lastFailure[0] = '\0';
  return text;
}

}  // namespace gw::platform

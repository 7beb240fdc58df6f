// Display connections of our own, and an X error handler that records errors on them
// instead of ending the host process. Internal to the Linux backend.
#pragma once

#include <X11/Xlib.h>

#include <mutex>
#include <string>

namespace gw::platform::x11 {

// Opens a connection to $DISPLAY and watches it for errors. Null with error set when no
// display is reachable. Never calls XInitThreads: each connection stays on one thread.
// Our error handler is in Xlib's process-wide slot from the first open connection to the
// last close (unless the host installs its own meanwhile); errors on displays we do not
// watch go on to the handler that was there before ours. Thread: UI or render.
Display* openDisplay(std::string& error);
void closeDisplay(Display* display);

// Held around every call of ours into a library that swaps its own handler into Xlib's
// slot for a moment (Mesa's GLX when it first binds a window, Xft), and by our own
// installing and restoring. Two such swaps at once on different threads can leave a
// library's handler in the slot for good, and ours would then restore it after unload.
// Recursive, so that code holding it may open or close a display. Thread: UI or render.
class HandlerSlotLock {
 public:
  HandlerSlotLock();

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};

// Waits until the server has answered every request so far, then returns the first
// error code recorded on the display since the previous call (0 when none).
int syncAndTakeError(Display* display);
// The same without waiting: only errors that have arrived already.
int takeError(Display* display);
std::string errorText(Display* display, int code);
// Records a failure without an X error code for the OS's last-error text.
void noteFailure(const std::string& text);

}  // namespace gw::platform::x11

// Display connections of our own, and an X error handler that records errors on them
// instead of ending the host process. Internal to the Linux backend.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace gw::platform::x11 {

// Opens a connection to $DISPLAY and watches it for errors. Null with error set when no
// display is reachable. Never calls XInitThreads: each connection stays on one thread.
Display* openDisplay(std::string& error);
void closeDisplay(Display* display);

// Makes our handler the current one again if someone replaced it; errors on displays
// we do not watch still go to the handler that was there before ours.
void ensureErrorHandler();

// Waits until the server has answered every request so far, then returns the first
// error code recorded on the display since the previous call (0 when none).
int syncAndTakeError(Display* display);
// The same without waiting: only errors that have arrived already.
int takeError(Display* display);
std::string errorText(Display* display, int code);
// Records a failure without an X error code for the OS's last-error text.
void noteFailure(const std::string& text);

}  // namespace gw::platform::x11

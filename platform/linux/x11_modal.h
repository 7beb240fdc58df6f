// Small fixed-size top-level windows that stand in for modal boxes and dialogs.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace gw::platform::x11 {

// A dialog-type window, mapped, transient for owner when owner names a live window
// (0 for none), centred over the owner's top-level window or else on the screen.
// The window asks for the close box's message instead of being destroyed by it.
Window createModalWindow(Display* display, Window owner, int width, int height,
                         const std::string& title, long eventMask);

// True for the window manager's close request (the close box).
bool isCloseRequest(Display* display, const XEvent& event);

}  // namespace gw::platform::x11

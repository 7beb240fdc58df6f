// The visual the editor's child window needs so that a GLX context fits it.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace gw::platform::glx {

// RGBA, double buffered, 16-bit depth and 8 bits a colour channel when available.
// The caller frees the result with XFree; null when the display has no such visual.
XVisualInfo* chooseVisual(Display* display, int screen);

}  // namespace gw::platform::glx

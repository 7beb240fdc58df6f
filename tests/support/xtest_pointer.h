// The pointer and keys of the test's X server, driven through XTest on a connection of
// the test's own, over an editor of the design size at the bottom of a host window: design
// points have y upwards from the window's bottom edge, and after every input the host's
// idling runs for a while, as a host's event loop would.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

#include "platform/top_level_window.h"

namespace gw::test {

class XTestPointer {
 public:
  // idle: one round of the host's idling (its window's events, the editor's idle).
  // windowHeight: the host window's height in pixels.
  XTestPointer(platform::TopLevelWindow& window, std::function<void()> idle, int windowHeight = 415)
      : window_(window),
        idle_(std::move(idle)),
        windowHeight_(windowHeight),
        display_(XOpenDisplay(nullptr)) {}
  ~XTestPointer() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  XTestPointer(const XTestPointer&) = delete;
  XTestPointer& operator=(const XTestPointer&) = delete;

  bool ready() const { return display_ != nullptr; }
  void moveTo(int x, int y) {
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(display_, static_cast<Window>(window_.nativeHandle()),
                          DefaultRootWindow(display_), x, windowHeight_ - y, &rx, &ry, &child);
    XTestFakeMotionEvent(display_, -1, rx, ry, CurrentTime);
    settle();
  }
  void button(bool down) {
    XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
    settle();
  }
  void key(KeySym symbol, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), down ? True : False,
                      CurrentTime);
    settle();
  }
  void click(int x, int y) {
    moveTo(x, y);
    button(true);
    button(false);
  }
  // A press at (x, y0), moves to y1 in two steps, the release.
  void dragVertically(int x, int y0, int y1) {
    moveTo(x, y0);
    button(true);
    moveTo(x, (y0 + y1) / 2);
    moveTo(x, y1);
    button(false);
  }

 private:
  void settle() {
    XSync(display_, False);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(80);
    while (std::chrono::steady_clock::now() < end) {
      window_.processEvents();
      idle_();
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  }

  platform::TopLevelWindow& window_;
  std::function<void()> idle_;
  int windowHeight_;
  Display* display_;
};

}  // namespace gw::test

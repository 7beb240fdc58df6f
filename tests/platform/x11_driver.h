// A test's own X connection that plays the user: windows to parent things in, finding
// windows, and pointer and keys through XTest.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>

namespace gw::test {

class X11Driver {
 public:
  X11Driver();
  ~X11Driver();
  X11Driver(const X11Driver&) = delete;
  X11Driver& operator=(const X11Driver&) = delete;

  Display* display() const { return display_; }
  // A mapped top-level window at (x, y) of the screen.
  Window topLevel(int x, int y, int width, int height);
  void destroy(Window window);
  // The first viewable window named title, searched from the root; 0 if none.
  Window findByName(const std::string& title);
  bool viewable(Window window);
  void rootPosition(Window window, int& x, int& y);
  // Reads a pixel of what the screen shows, as 0xRRGGBB.
  unsigned pixel(Window window, int x, int y);

  void moveTo(int rootX, int rootY);
  void button(int button, bool down);
  void click(int rootX, int rootY);
  // keysym from X11/keysym.h
  void key(unsigned long keysym, bool down);
  void closeBox(Window window);
  void sync() { XSync(display_, False); }

 private:
  Display* display_;
};

// Polls condition every few milliseconds until it holds or the time is up.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

}  // namespace gw::test

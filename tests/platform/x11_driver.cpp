#include "tests/platform/x11_driver.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>
#include <thread>

namespace gw::test {

namespace {

// Tests ask about windows that may be gone already; that is an answer, not a failure.
int ignoreErrors(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

X11Driver::X11Driver() : display_(XOpenDisplay(nullptr)) {
  if (display_ == nullptr) throw std::runtime_error("tests need an X display (run under xvfb-run)");
  XSetErrorHandler(ignoreErrors);
}

X11Driver::~X11Driver() {
  XCloseDisplay(display_);
}

Window X11Driver::topLevel(int x, int y, int width, int height) {
  const int screen = DefaultScreen(display_);
  const Window window = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y,
                                            static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, 0x202020);
  XMapWindow(display_, window);
  sync();
  waitUntil([&] { return viewable(window); });
  return window;
}

void X11Driver::destroy(Window window) {
  XDestroyWindow(display_, window);
  sync();
}

bool X11Driver::viewable(Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
}

Window X11Driver::findByName(const std::string& title) {
  std::function<Window(Window)> search = [&](Window parent) -> Window {
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      if (XFetchName(display_, children[i], &name) && name != nullptr) {
        if (title == name && viewable(children[i])) found = children[i];
        XFree(name);
      }
      if (found == 0) found = search(children[i]);
    }
    if (children != nullptr) XFree(children);
    return found;
  };
  return search(DefaultRootWindow(display_));
}

void X11Driver::rootPosition(Window window, int& x, int& y) {
  Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
}

unsigned X11Driver::pixel(Window window, int x, int y) {
  int rx = 0, ry = 0;
  rootPosition(window, rx, ry);
  XImage* image =
      XGetImage(display_, DefaultRootWindow(display_), rx + x, ry + y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0xffffffffu;
  const unsigned value = static_cast<unsigned>(XGetPixel(image, 0, 0)) & 0xffffff;
  XDestroyImage(image);
  return value;
}

void X11Driver::moveTo(int rootX, int rootY) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, CurrentTime);
  sync();
}

void X11Driver::button(int button, bool down) {
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), down, CurrentTime);
  sync();
}

void X11Driver::click(int rootX, int rootY) {
  moveTo(rootX, rootY);
  button(1, true);
  button(1, false);
}

void X11Driver::key(unsigned long keysym, bool down) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down, CurrentTime);
  sync();
}

void X11Driver::closeBox(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  sync();
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace gw::test

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <ctime>

#include "platform/linux/x11_display.h"
#include "platform/linux/x11_modal.h"
#include "platform/top_level_window.h"

namespace gw::platform {
namespace {

// One colour channel of a pixel, scaled to 8 bits from wherever its mask puts it.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const unsigned long max = mask >> shift;
  return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

class X11TopLevelWindow final : public TopLevelWindow {
 public:
  X11TopLevelWindow(Display* display, Window window) : display_(display), window_(window) {}
  ~X11TopLevelWindow() override {
    if (!gone_) XDestroyWindow(display_, window_);
    x11::closeDisplay(display_);
  }

  std::uintptr_t nativeHandle() const override { return window_; }

  bool processEvents() override {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == DestroyNotify && event.xdestroywindow.window == window_) gone_ = true;
      if (x11::isCloseRequest(display_, event)) closeAsked_ = true;
    }
    return closeAsked_ || gone_;
  }

  bool capture(Image& image, std::string& error) override {
    XWindowAttributes attributes;
    if (gone_ || !XGetWindowAttributes(display_, window_, &attributes)) {
      error = "the window is gone";
      return false;
    }
    XImage* shot = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (const int code = x11::syncAndTakeError(display_); code != 0 || shot == nullptr) {
      error = "cannot read the window's pixels";
      if (code != 0) error += ": " + x11::errorText(display_, code);
      if (shot != nullptr) XDestroyImage(shot);
      return false;
    }
    image.width = shot->width;
    image.height = shot->height;
    image.rgba.resize(static_cast<std::size_t>(shot->width) * shot->height * 4);
    std::uint8_t* out = image.rgba.data();
    for (int y = 0; y < shot->height; ++y) {
      for (int x = 0; x < shot->width; ++x) {
        const unsigned long pixel = XGetPixel(shot, x, y);
        *out++ = channel(pixel, attributes.visual->red_mask);
        *out++ = channel(pixel, attributes.visual->green_mask);
        *out++ = channel(pixel, attributes.visual->blue_mask);
        *out++ = 255;
      }
    }
    XDestroyImage(shot);
    return true;
  }

 private:
  Display* display_;
  Window window_;
  bool closeAsked_ = false;
  bool gone_ = false;
};

}  // namespace

bool TopLevelWindow::displayReachable(std::string& error) {
  Display* display = x11::openDisplay(error);
  x11::closeDisplay(display);
  return display != nullptr;
}

std::unique_ptr<TopLevelWindow> TopLevelWindow::create(int width, int height,
                                                       const std::string& title,
                                                       std::string& error) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    error = "unusable window size " + std::to_string(width) + " x " + std::to_string(height);
    return nullptr;
  }
  Display* display = x11::openDisplay(error);
  if (display == nullptr) return nullptr;
  const Window window =
      x11::createModalWindow(display, 0, width, height, title, StructureNotifyMask);
  // A normal application window, not a dialog, that stays above nothing.
  XDeleteProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False));
  XDeleteProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False));
  XClassHint* hint = XAllocClassHint();
  if (hint != nullptr) {
    hint->res_name = const_cast<char*>("glimmerwick-standalone");
    hint->res_class = const_cast<char*>("Glimmerwick");
    XSetClassHint(display, window, hint);
    XFree(hint);
  }
  // Wait until it is on screen, so the editor opens in a visible parent.
  XEvent event;
  XSync(display, False);
  for (int i = 0; i < 200; ++i) {
    if (XCheckTypedWindowEvent(display, window, MapNotify, &event)) break;
    XSync(display, False);
    struct timespec pause {
      0, 5'000'000
    };
    nanosleep(&pause, nullptr);
  }
  return std::make_unique<X11TopLevelWindow>(display, window);
}

}  // namespace gw::platform

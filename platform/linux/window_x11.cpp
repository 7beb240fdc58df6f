#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

#include "platform/linux/glx_visual.h"
#include "platform/linux/x11_display.h"
#include "platform/window.h"

namespace gw::platform {
namespace {

std::uint32_t modifiersOf(unsigned state) {
  std::uint32_t mods = 0;
  if (state & ShiftMask) mods |= kModShift;
  if (state & ControlMask) mods |= kModControl;
  if (state & Mod1Mask) mods |= kModAlt;
  return mods;
}

// VisibilityChange tells of the window becoming viewable again when an ancestor is
// mapped; hiding is heard of through the ancestors' structure events.
constexpr long kEventMask = PointerMotionMask | ButtonPressMask | ButtonReleaseMask |
                            LeaveWindowMask | ExposureMask | StructureNotifyMask |
                            VisibilityChangeMask;

class X11ChildWindow final : public ChildWindow {
 public:
  X11ChildWindow(Display* display, Window window, Colormap colormap, int height)
      : display_(display),
        window_(window),
        colormap_(colormap),
        height_(height),
        drawnHeight_(height) {
    watchAncestors();
    updateViewable();
  }

  ~X11ChildWindow() override {
    if (captured_) XUngrabPointer(display_, CurrentTime);
    // A host may have destroyed its window, and ours with it, before closing the editor.
    if (!destroyed_) XDestroyWindow(display_, window_);
    XFreeColormap(display_, colormap_);
    x11::closeDisplay(display_);
  }

  std::uintptr_t nativeHandle() const override { return window_; }

  void pollEvents(std::vector<PointerEvent>& out) override {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      translate(event, out);
    }
    if (captured_ && !destroyed_) reportModifierChange(out);
  }

  void capturePointer() override {
    if (destroyed_) return;
    constexpr unsigned kMask = PointerMotionMask | ButtonPressMask | ButtonReleaseMask;
    captured_ = XGrabPointer(display_, window_, False, kMask, GrabModeAsync, GrabModeAsync, None,
                             None, CurrentTime) == GrabSuccess;
    XFlush(display_);
  }

  void releasePointer() override {
    if (!captured_) return;
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
    captured_ = false;
  }

  bool viewable() const override { return viewable_; }

  void resize(int width, int height) override {
    if (destroyed_ || width <= 0 || height <= 0) return;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
    drawnHeight_ = height;
  }

 private:
  // The view is drawn against the window's bottom edge (GL's origin): a host that makes
  // the window taller than the view (an LV2 host's embedding widget, by a few pixels) moves
  // the drawing down, and the pointer's rows with it.
  int viewY(int y) const { return y - (height_ - drawnHeight_); }

  void translate(const XEvent& event, std::vector<PointerEvent>& out) {
    PointerEvent p;
    switch (event.type) {
      case MotionNotify:
        p = {PointerEvent::Kind::Move, event.xmotion.x, viewY(event.xmotion.y), 0,
             modifiersOf(event.xmotion.state)};
        // Only the latest position of a burst matters, as with coalesced mouse moves.
        if (!out.empty() && out.back().kind == PointerEvent::Kind::Move &&
            out.back().modifiers == p.modifiers) {
          out.back() = p;
          return;
        }
        break;
      case ButtonPress:
      case ButtonRelease:
        // Buttons 4 to 7 are wheel steps, which the editor does not use.
        if (event.xbutton.button < Button1 || event.xbutton.button > Button3) return;
        p = {event.type == ButtonPress ? PointerEvent::Kind::Press : PointerEvent::Kind::Release,
             event.xbutton.x, viewY(event.xbutton.y), static_cast<int>(event.xbutton.button),
             modifiersOf(event.xbutton.state)};
        break;
      case LeaveNotify:
        if (event.xcrossing.mode != NotifyNormal) return;
        p = {PointerEvent::Kind::Leave, event.xcrossing.x, viewY(event.xcrossing.y), 0,
             modifiersOf(event.xcrossing.state)};
        break;
      case MapNotify:
      case UnmapNotify:
      case VisibilityNotify:
        updateViewable();
        return;
      case ConfigureNotify:
        if (event.xconfigure.window == window_) height_ = event.xconfigure.height;
        return;
      case ReparentNotify:
        // An ancestor moved (a window manager framing the host's window): watch the new
        // chain as well.
        watchAncestors();
        updateViewable();
        return;
      case DestroyNotify:
        if (event.xdestroywindow.window != window_) return;
        destroyed_ = true;
        captured_ = false;
        p.kind = PointerEvent::Kind::Close;
        break;
      default:
        return;
    }
    lastModifiers_ = p.modifiers;
    out.push_back(p);
  }

  // The keyboard focus is the host's, so key presses never reach this window. While a
  // drag holds the pointer, a modifier pressed or released without motion is reported as
  // a move with the new modifiers, the way the drag loop expects to hear of it.
  void reportModifierChange(std::vector<PointerEvent>& out) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned state = 0;
    if (!XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &state)) return;
    const std::uint32_t mods = modifiersOf(state);
    if (mods == lastModifiers_) return;
    lastModifiers_ = mods;
    out.push_back({PointerEvent::Kind::Move, x, viewY(y), 0, mods});
  }

  // Asks for the structure events of every ancestor below the root: a host hides the
  // editor by unmapping one of them, which the child itself is not told of. The masks
  // are this connection's own, so the host's selections are untouched.
  void watchAncestors() {
    Window current = window_;
    for (int depth = 0; depth < 32 && !destroyed_; ++depth) {
      Window root = 0, parent = 0;
      Window* children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(display_, current, &root, &parent, &children, &count)) break;
      if (children != nullptr) XFree(children);
      if (parent == 0 || parent == root) break;
      XSelectInput(display_, parent, StructureNotifyMask);
      current = parent;
    }
    // An ancestor destroyed meanwhile is not an error of ours.
    x11::syncAndTakeError(display_);
  }

  void updateViewable() {
    if (destroyed_) {
      viewable_ = false;
      return;
    }
    XWindowAttributes attributes;
    const Status known = XGetWindowAttributes(display_, window_, &attributes);
    const int error = x11::syncAndTakeError(display_);
    viewable_ = known && error == 0 && attributes.map_state == IsViewable;
  }

  Display* display_;
  Window window_;
  Colormap colormap_;
  bool viewable_ = true;
  bool destroyed_ = false;
  bool captured_ = false;
  std::uint32_t lastModifiers_ = 0;
  // The window's height as last configured, and the height the view is drawn at.
  int height_;
  int drawnHeight_;
};

}  // namespace

std::unique_ptr<ChildWindow> ChildWindow::create(std::uintptr_t parent, int width, int height,
                                                 std::string& error) {
  if (parent == 0 || width <= 0 || height <= 0) {
    error = "no parent window or an empty size for the editor";
    return nullptr;
  }
  Display* display = x11::openDisplay(error);
  if (display == nullptr) return nullptr;

  const auto parentWindow = static_cast<Window>(parent);
  XWindowAttributes parentAttributes;
  const Status known = XGetWindowAttributes(display, parentWindow, &parentAttributes);
  if (int code = x11::syncAndTakeError(display); code != 0 || !known) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(parentWindow));
    error = std::string("the host window ") + id +
            " is not usable: " + (code != 0 ? x11::errorText(display, code) : "unknown window");
    x11::closeDisplay(display);
    return nullptr;
  }

  const int screen = XScreenNumberOfScreen(parentAttributes.screen);
  XVisualInfo* visual = glx::chooseVisual(display, screen);
  if (visual == nullptr) {
    error = "the X display offers no double-buffered RGBA OpenGL visual";
    x11::closeDisplay(display);
    return nullptr;
  }
  const Window root = RootWindow(display, screen);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;
  attributes.event_mask = kEventMask;
  const Window window =
      XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
  XFree(visual);
  XStoreName(display, window, "Window");
  XMapWindow(display, window);
  if (int code = x11::syncAndTakeError(display); code != 0) {
    error = "cannot create the editor window: " + x11::errorText(display, code);
    XFreeColormap(display, attributes.colormap);
    x11::closeDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11ChildWindow>(display, window, attributes.colormap, height);
}

}  // namespace gw::platform

#include "platform/linux/x11_modal.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "platform/linux/x11_display.h"

namespace gw::platform::x11 {
namespace {

// The owner's top-level ancestor: the window the dialog is centred over.
bool ownerFrame(Display* display, Window owner, int& x, int& y, int& width, int& height) {
  XWindowAttributes attributes;
  const Status known = XGetWindowAttributes(display, owner, &attributes);
  if (syncAndTakeError(display) != 0 || !known) return false;
  Window child = 0;
  XTranslateCoordinates(display, owner, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  width = attributes.width;
  height = attributes.height;
  return syncAndTakeError(display) == 0;
}

// The owner's top-level window, which window managers expect a transient to name: the
// nearest ancestor a window manager manages (it carries WM_STATE), else the one below root.
Window topLevelOf(Display* display, Window window) {
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  Window below = window;
  for (Window current = window; current != 0;) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, current, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                           &items, &after, &data) == Success) {
      if (data != nullptr) XFree(data);
      if (type != None) return current;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) break;
    if (children != nullptr) XFree(children);
    if (parent == root || parent == 0) {
      below = current;
      break;
    }
    current = parent;
  }
  return below;
}

}  // namespace

Window createModalWindow(Display* display, Window owner, int width, int height,
                         const std::string& title, long eventMask) {
  const int screen = DefaultScreen(display);
  int ox = 0, oy = 0, ow = DisplayWidth(display, screen), oh = DisplayHeight(display, screen);
  const bool owned = owner != 0 && ownerFrame(display, owner, ox, oy, ow, oh);
  const int x = ox + (ow - width) / 2;
  const int y = oy + (oh - height) / 2;

  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0xf0f0f0;
  attributes.event_mask = eventMask;
  const Window window =
      XCreateWindow(display, RootWindow(display, screen), x < 0 ? 0 : x, y < 0 ? 0 : y,
                    static_cast<unsigned>(width), static_cast<unsigned>(height), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);

  XStoreName(display, window, title.c_str());
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  // A fixed size, as the boxes it stands in for cannot be resized.
  if (XSizeHints* hints = XAllocSizeHints()) {
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
  }
  Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
  Atom states[] = {XInternAtom(display, "_NET_WM_STATE_ABOVE", False),
                   XInternAtom(display, "_NET_WM_STATE_MODAL", False)};
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(states), owned ? 2 : 1);
  if (owned) XSetTransientForHint(display, window, topLevelOf(display, owner));
  Atom protocols = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &protocols, 1);
  XMapRaised(display, window);
  syncAndTakeError(display);
  return window;
}

bool isCloseRequest(Display* display, const XEvent& event) {
  return event.type == ClientMessage && event.xclient.format == 32 &&
         static_cast<Atom>(event.xclient.data.l[0]) ==
             XInternAtom(display, "WM_DELETE_WINDOW", False);
}

}  // namespace gw::platform::x11

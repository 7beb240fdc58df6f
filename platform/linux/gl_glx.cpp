#include <GL/glx.h>

#include "platform/gl_context.h"
#include "platform/linux/glx_visual.h"
#include "platform/linux/x11_display.h"

namespace gw::platform {

namespace glx {

XVisualInfo* chooseVisual(Display* display, int screen) {
  int exact[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                 8,        GLX_DEPTH_SIZE,   16,           None};
  if (XVisualInfo* info = glXChooseVisual(display, screen, exact)) return info;
  int any[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
  return glXChooseVisual(display, screen, any);
}

}  // namespace glx

namespace {

class GlxContext final : public GlContext {
 public:
  GlxContext(Display* display, GLXDrawable window, GLXContext context)
      : display_(display), window_(window), context_(context) {}

  ~GlxContext() override {
    {
      x11::HandlerSlotLock lock;
      if (glXGetCurrentContext() == context_) glXMakeCurrent(display_, None, nullptr);
      glXDestroyContext(display_, context_);
    }
    x11::closeDisplay(display_);
  }

  bool makeCurrent() override {
    // An error left over from the last frame's swap is not this call's failure.
    x11::takeError(display_);
    bool made = false;
    {
      // Binding a window the first time swaps Mesa's handler in and out.
      x11::HandlerSlotLock lock;
      made = glXMakeCurrent(display_, window_, context_) == True;
    }
    if (x11::syncAndTakeError(display_) != 0) return false;
    if (!made) x11::noteFailure("glXMakeCurrent refused the editor window");
    return made;
  }

  void releaseCurrent() override {
    x11::HandlerSlotLock lock;
    glXMakeCurrent(display_, None, nullptr);
  }

  // A window the host destroyed early only makes this fail quietly on the X side. Mesa's
  // software path swaps its own handler in and out around its first shared-memory put:
  // two editors' render threads doing so at once would leave its handler in the slot.
  void swapBuffers() override {
    x11::HandlerSlotLock lock;
    glXSwapBuffers(display_, window_);
  }

 private:
  Display* display_;
  GLXDrawable window_;
  GLXContext context_;
};

}  // namespace

std::unique_ptr<GlContext> GlContext::create(std::uintptr_t window, std::string& error) {
  Display* display = x11::openDisplay(error);
  if (display == nullptr) return nullptr;
  const auto drawable = static_cast<Window>(window);
  XWindowAttributes attributes;
  const Status known = XGetWindowAttributes(display, drawable, &attributes);
  if (x11::syncAndTakeError(display) != 0 || !known || window == 0) {
    error = "the editor window does not exist";
    x11::closeDisplay(display);
    return nullptr;
  }
  int glxError = 0, glxEvent = 0;
  if (!glXQueryExtension(display, &glxError, &glxEvent)) {
    error = "the X display has no GLX extension";
    x11::closeDisplay(display);
    return nullptr;
  }
  // The context must be made for the visual the window was created with.
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* info = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  GLXContext context = nullptr;
  if (info != nullptr) {
    int doubleBuffered = 0;
    glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffered);
    if (doubleBuffered) context = glXCreateContext(display, info, nullptr, True);
    XFree(info);
  }
  const int code = x11::syncAndTakeError(display);
  if (context == nullptr || code != 0) {
    error = "cannot create an OpenGL context for the editor window";
    if (code != 0) error += ": " + x11::errorText(display, code);
    if (context != nullptr) glXDestroyContext(display, context);
    x11::closeDisplay(display);
    return nullptr;
  }
  return std::make_unique<GlxContext>(display, drawable, context);
}

}  // namespace gw::platform

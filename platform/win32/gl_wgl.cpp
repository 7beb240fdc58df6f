// The editor's WGL context, made and used on the render thread only.
#include <windows.h>

#include <string>

#include "platform/gl_context.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

class WglContext final : public GlContext {
 public:
  WglContext(HWND window, HDC dc, HGLRC context) : window_(window), dc_(dc), context_(context) {}

  ~WglContext() override {
    if (wglGetCurrentContext() == context_) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context_);
    ReleaseDC(window_, dc_);
  }

  bool makeCurrent() override { return wglMakeCurrent(dc_, context_) != FALSE; }
  void releaseCurrent() override { wglMakeCurrent(nullptr, nullptr); }
  // A window the host destroyed early only makes this fail quietly.
  void swapBuffers() override { SwapBuffers(dc_); }

 private:
  HWND window_;
  HDC dc_;
  HGLRC context_;
};

std::string failure(const char* call) {
  const DWORD code = GetLastError();
  return std::string(call) + " failed" + (code != 0 ? ": " + win32::errorText(code) : "");
}

}  // namespace

std::unique_ptr<GlContext> GlContext::create(std::uintptr_t window, std::string& error) {
  const HWND hwnd = reinterpret_cast<HWND>(window);
  const HDC dc = hwnd != nullptr ? GetDC(hwnd) : nullptr;
  if (dc == nullptr) {
    if (hwnd == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    error = failure("GetDC");
    return nullptr;
  }
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 16;
  format.iLayerType = PFD_MAIN_PLANE;
  const int index = ChoosePixelFormat(dc, &format);
  if (index == 0) {
    error = failure("ChoosePixelFormat");
    ReleaseDC(hwnd, dc);
    return nullptr;
  }
  // A window's pixel format can be set once; a context made again for the same window
  // (a render thread restarted) finds it already set.
  const int existing = GetPixelFormat(dc);
  if (existing != index && !SetPixelFormat(dc, index, &format)) {
    // Windows and Wine leave no error code for a window that has another format already.
    error = existing != 0 ? "SetPixelFormat failed: the window already has another pixel format (" +
                                std::to_string(existing) + ")"
                          : failure("SetPixelFormat");
    ReleaseDC(hwnd, dc);
    return nullptr;
  }
  const HGLRC context = wglCreateContext(dc);
  if (context == nullptr) {
    error = failure("wglCreateContext");
    ReleaseDC(hwnd, dc);
    return nullptr;
  }
  return std::make_unique<WglContext>(hwnd, dc, context);
}

}  // namespace gw::platform

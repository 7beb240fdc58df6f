// A top-level window for our windowed host program.
#include <windows.h>

#include "platform/top_level_window.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

constexpr const char* kClassName = "GlimmerwickHostWindow";

class Win32TopLevelWindow final : public TopLevelWindow {
 public:
  explicit Win32TopLevelWindow(HWND window) : window_(window) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Win32TopLevelWindow() override {
    if (window_ != nullptr) {
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
      DestroyWindow(window_);
    }
  }

  std::uintptr_t nativeHandle() const override { return reinterpret_cast<std::uintptr_t>(window_); }

  bool processEvents() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return closeAsked_ || window_ == nullptr;
  }

  // What the screen shows over the client area, child windows (GL included) as drawn.
  bool capture(Image& image, std::string& error) override {
    RECT client{};
    if (window_ == nullptr || !GetClientRect(window_, &client)) {
      error = "the window is gone";
      return false;
    }
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    const int width = client.right, height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr && bits != nullptr;
    if (ok) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      ok = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY) != FALSE;
      GdiFlush();
      SelectObject(memory, old);
    }
    if (ok) {
      image.width = width;
      image.height = height;
      image.rgba.resize(static_cast<std::size_t>(width) * height * 4);
      const auto* in = static_cast<const std::uint8_t*>(bits);
      for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = in[i + 2];
        image.rgba[i + 1] = in[i + 1];
        image.rgba[i + 2] = in[i];
        image.rgba[i + 3] = 255;
      }
    } else {
      error = "cannot read the window's pixels: " + win32::errorText(GetLastError());
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32TopLevelWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr) {
      if (message == WM_CLOSE) {
        self->closeAsked_ = true;
        return 0;
      }
      if (message == WM_DESTROY) self->window_ = nullptr;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

 private:
  HWND window_;
  bool closeAsked_ = false;
};

}  // namespace

bool TopLevelWindow::displayReachable(std::string&) {
  return true;
}

std::unique_ptr<TopLevelWindow> TopLevelWindow::create(int width, int height,
                                                       const std::string& title,
                                                       std::string& error) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    error = "unusable window size " + std::to_string(width) + " x " + std::to_string(height);
    return nullptr;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &Win32TopLevelWindow::procedure;
  windowClass.hInstance = win32::moduleInstance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  // Registered once for the program's life; a second window finds it there.
  if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    error = "cannot register the window class: " + win32::errorText(GetLastError());
    return nullptr;
  }
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, kStyle, FALSE);
  const HWND window = CreateWindowExA(0, kClassName, title.c_str(), kStyle | WS_CLIPCHILDREN, 0, 0,
                                      frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                      nullptr, win32::moduleInstance(), nullptr);
  if (window == nullptr) {
    error = "cannot create the window: " + win32::errorText(GetLastError());
    return nullptr;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return std::make_unique<Win32TopLevelWindow>(window);
}

}  // namespace gw::platform

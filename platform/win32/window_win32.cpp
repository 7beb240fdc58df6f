// The editor's child window inside the host's window. The window procedure runs on the
// host's UI thread from the host's own message loop; it queues translated pointer events
// that the editor collects from idle, the way the X11 backend reads its event queue.
#include <windows.h>
#include <windowsx.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/win32/module_instance.h"
#include "platform/win32/text.h"
#include "platform/window.h"

namespace gw::platform {
namespace {

std::uint32_t currentModifiers() {
  std::uint32_t mods = 0;
  if (GetAsyncKeyState(VK_SHIFT) < 0) mods |= kModShift;
  if (GetAsyncKeyState(VK_CONTROL) < 0) mods |= kModControl;
  if (GetAsyncKeyState(VK_MENU) < 0) mods |= kModAlt;
  return mods;
}

// The window class lives while at least one editor window does. Every instance of the
// module in the process shares it; its name carries the module's address, so two copies
// of the module loaded from different files never share a procedure.
class WindowClass {
 public:
  static const char* acquire(WNDPROC procedure, std::string& error);
  static void release();

 private:
  static std::mutex mutex_;
  static int live_;
  static char name_[64];
};

std::mutex WindowClass::mutex_;
int WindowClass::live_ = 0;
char WindowClass::name_[64] = {};

const char* WindowClass::acquire(WNDPROC procedure, std::string& error) {
  std::lock_guard lock(mutex_);
  if (live_ == 0) {
    std::snprintf(name_, sizeof name_, "glimmerwick%p",
                  static_cast<void*>(win32::moduleInstance()));
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = win32::moduleInstance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = name_;
    if (RegisterClassA(&windowClass) == 0) {
      error = "cannot register the editor's window class: " + win32::errorText(GetLastError());
      return nullptr;
    }
  }
  ++live_;
  return name_;
}

void WindowClass::release() {
  std::lock_guard lock(mutex_);
  if (live_ > 0 && --live_ == 0) UnregisterClassA(name_, win32::moduleInstance());
}

class Win32ChildWindow final : public ChildWindow {
 public:
  // Thread: UI, or a late render thread after abandon() has destroyed the window.
  ~Win32ChildWindow() override {
    destroyWindow();
    WindowClass::release();
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  void attach(HWND window) {
    window_ = window;
    handle_.store(reinterpret_cast<std::uintptr_t>(window), std::memory_order_release);
  }
  std::uintptr_t nativeHandle() const override { return handle_.load(std::memory_order_acquire); }

  // Only the thread that made a window may destroy it: a late render thread could not.
  void abandon() override { destroyWindow(); }

  void pollEvents(std::vector<PointerEvent>& out) override {
    if (window_ != nullptr) {
      // Hosts pump their own loop; this only hands over what is already queued for us.
      MSG message;
      while (window_ != nullptr && PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    if (captured_ && window_ != nullptr) reportModifierChange();
    out.insert(out.end(), queued_.begin(), queued_.end());
    queued_.clear();
  }

  // IsWindowVisible is the window's own style and every ancestor's.
  bool viewable() const override { return window_ != nullptr && IsWindowVisible(window_) != FALSE; }

  void capturePointer() override {
    if (window_ == nullptr) return;
    SetCapture(window_);
    captured_ = GetCapture() == window_;
  }

  void releasePointer() override {
    if (captured_ && GetCapture() == window_) ReleaseCapture();
    captured_ = false;
  }

  void resize(int width, int height) override {
    if (window_ == nullptr || width <= 0 || height <= 0) return;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  void push(PointerEvent::Kind kind, LPARAM lParam, int button) {
    const PointerEvent event{kind, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), button,
                             currentModifiers()};
    // Only the latest position of a burst matters, as with coalesced mouse moves.
    if (kind == PointerEvent::Kind::Move && !queued_.empty() &&
        queued_.back().kind == PointerEvent::Kind::Move &&
        queued_.back().modifiers == event.modifiers) {
      queued_.back() = event;
    } else {
      queued_.push_back(event);
    }
    lastModifiers_ = event.modifiers;
  }

  // The keyboard focus is the host's: a modifier pressed or released during a drag
  // without motion is reported as a move with the new modifiers.
  void reportModifierChange() {
    const std::uint32_t mods = currentModifiers();
    if (mods == lastModifiers_) return;
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    lastModifiers_ = mods;
    queued_.push_back({PointerEvent::Kind::Move, point.x, point.y, 0, mods});
  }

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_MOUSEMOVE:
        if (!tracking_) {
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
          tracking_ = TrackMouseEvent(&track) != 0;
        }
        push(PointerEvent::Kind::Move, lParam, 0);
        break;
      case WM_MOUSELEAVE:
        tracking_ = false;
        push(PointerEvent::Kind::Leave, lParam, 0);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_RBUTTONDOWN:
        push(PointerEvent::Kind::Press, lParam, buttonOf(message));
        return 0;
      case WM_LBUTTONUP:
      case WM_MBUTTONUP:
      case WM_RBUTTONUP:
        push(PointerEvent::Kind::Release, lParam, buttonOf(message));
        return 0;
      case WM_CAPTURECHANGED:
        captured_ = false;
        break;
      case WM_DESTROY:
        // The host destroyed its window, and ours with it, before closing the editor.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        queued_.push_back({PointerEvent::Kind::Close, 0, 0, 0, 0});
        handle_.store(0, std::memory_order_release);
        window_ = nullptr;
        captured_ = false;
        return 0;
      default:
        break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
  }

  void destroyWindow() {
    if (window_ == nullptr) return;
    // Late messages must not reach the freed object: the slot is cleared first.
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    if (GetCapture() == window_) ReleaseCapture();
    handle_.store(0, std::memory_order_release);
    DestroyWindow(window_);
    window_ = nullptr;
    captured_ = false;
  }

  static int buttonOf(UINT message) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) return 1;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return 2;
    return 3;
  }

  HWND window_ = nullptr;                  // UI thread
  std::atomic<std::uintptr_t> handle_{0};  // window_ for the render thread
  std::deque<PointerEvent> queued_;
  bool captured_ = false;
  bool tracking_ = false;
  std::uint32_t lastModifiers_ = 0;
};

LRESULT CALLBACK Win32ChildWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  auto* self = reinterpret_cast<Win32ChildWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

}  // namespace

std::unique_ptr<ChildWindow> ChildWindow::create(std::uintptr_t parent, int width, int height,
                                                 std::string& error) {
  const HWND parentWindow = reinterpret_cast<HWND>(parent);
  if (parent == 0 || width <= 0 || height <= 0) {
    error = "no parent window or an empty size for the editor";
    return nullptr;
  }
  if (!IsWindow(parentWindow)) {
    char id[32];
    std::snprintf(id, sizeof id, "%p", static_cast<void*>(parentWindow));
    error = std::string("the host window ") + id + " is not usable: not a window";
    return nullptr;
  }
  const char* className = WindowClass::acquire(&Win32ChildWindow::procedure, error);
  if (className == nullptr) return nullptr;
  // From here the object owns one reference to the class.
  auto child = std::make_unique<Win32ChildWindow>();
  const HWND window = CreateWindowExA(
      0, className, "Window", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
      width, height, parentWindow, nullptr, win32::moduleInstance(), nullptr);
  if (window == nullptr) {
    error = "cannot create the editor window: " + win32::errorText(GetLastError());
    return nullptr;
  }
  child->attach(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(child.get()));
  return child;
}

}  // namespace gw::platform

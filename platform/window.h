// The editor's native child window and the pointer events translated from it.
// Thread: host UI thread for everything here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gw::platform {

// Modifier bits as the element tree expects them.
constexpr std::uint32_t kModShift = 0x200;
constexpr std::uint32_t kModControl = 0x800;
constexpr std::uint32_t kModAlt = 0x100;

// A native pointer event in window pixels, origin top left (as the OS reports it).
struct PointerEvent {
  enum class Kind { Move, Press, Release, Leave, Close };
  Kind kind = Kind::Move;
  int x = 0;
  int y = 0;
  int button = 0;               // 1 left, 2 middle, 3 right; 0 for moves
  std::uint32_t modifiers = 0;  // kModShift | kModControl | kModAlt
};

// A child of the host's window (the LinuxVST convention passes an X11 Window id),
// on a display connection of its own. Destroying it destroys the native window.
class ChildWindow {
 public:
  virtual ~ChildWindow() = default;
  // parent: the host's native window handle. Returns null and sets error on failure.
  static std::unique_ptr<ChildWindow> create(std::uintptr_t parent, int width, int height,
                                             std::string& error);
  virtual std::uintptr_t nativeHandle() const = 0;
  // Reads every pending native event without blocking; appends the translated ones.
  virtual void pollEvents(std::vector<PointerEvent>& out) = 0;
  // Pointer capture for the duration of a press, so drags outside the window still arrive.
  virtual void capturePointer() = 0;
  virtual void releasePointer() = 0;
  virtual void resize(int width, int height) = 0;
  // Whether the window can be seen: mapped, and so are all its ancestors. A host may hide
  // the editor's window without closing the editor; pollEvents keeps this up to date.
  virtual bool viewable() const = 0;
  // Thread: UI. The render thread did not stop at close and will free this object when it
  // ends. A backend whose native window only the UI thread may destroy (Win32) takes it
  // from the host's window now; the render thread only ever reads nativeHandle(), which
  // then answers 0.
  virtual void abandon() {}
};

}  // namespace gw::platform

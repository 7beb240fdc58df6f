// An OpenGL context on a child window, owned and used by one render thread only.
// The context opens its own display connection, so it never shares one with the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gw::platform {

class GlContext {
 public:
  // Thread: render, the thread that created it.
  virtual ~GlContext() = default;
  // Thread: render. RGBA, double buffered, 16-bit depth. Null and error set on failure.
  static std::unique_ptr<GlContext> create(std::uintptr_t window, std::string& error);
  // Thread: render. False when the context could not be made current on the window.
  virtual bool makeCurrent() = 0;
  virtual void releaseCurrent() = 0;
  virtual void swapBuffers() = 0;
};

}  // namespace gw::platform

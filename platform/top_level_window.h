// A plain top-level window for our windowed host program, in which a plug-in's editor
// opens the way it does inside a host's window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gw::platform {

class TopLevelWindow {
 public:
  virtual ~TopLevelWindow() = default;
  // Thread: the host program's main thread, as for everything here. Null and error set
  // when no display is reachable.
  static std::unique_ptr<TopLevelWindow> create(int width, int height, const std::string& title,
                                                std::string& error);
  // True when a display can be reached now; error says why not otherwise.
  static bool displayReachable(std::string& error);
  virtual std::uintptr_t nativeHandle() const = 0;
  // Reads every pending event without blocking; true once closing was asked for (the
  // close box) or the window is gone.
  virtual bool processEvents() = 0;

  struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // rows top first, 4 bytes a pixel
  };
  // What the window shows now, child windows included. False with error set otherwise.
  virtual bool capture(Image& image, std::string& error) = 0;
};

}  // namespace gw::platform

// A host's request for the editor's next frame: effVendorSpecific with index
// kFrameGrabRequest and ptr at a FrameGrab. The module answers 1 once the frame's pixels
// are in rgba, 0 when no editor is open, nothing was drawn within kFrameGrabWaitMs (a
// hidden window, a failed GL set-up) or the buffer is too small; width and height are
// set whenever an editor is open, so a host can size its buffer and ask again. Hosts
// that show the editor read what the window shows; this reads the frame as drawn, for
// hosts (and Wine) whose screen copies cannot see into GL child windows.
#pragma once

#include <cstdint>

namespace gw {

constexpr std::int32_t kFrameGrabRequest = 0x47574672;  // 'GWFr'
constexpr int kFrameGrabWaitMs = 2000;

struct FrameGrab {
  std::int32_t width = 0;        // out: pixels
  std::int32_t height = 0;       // out: pixels
  std::int32_t capacity = 0;     // in: bytes at rgba
  std::uint8_t* rgba = nullptr;  // in: rows top first, 4 bytes a pixel, alpha 255
};

}  // namespace gw

// Editor frames in tests: how far two frames of one size are apart, and reading and
// writing them as PNG files, for tests that compare what two builds or two paths draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gw::test {

struct Frame {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // rows top first, 4 bytes a pixel
};

// Per pixel, the largest difference of its three colour channels.
struct FrameDistance {
  double mean = 0.0;         // of that difference, over every pixel, 0 to 255
  double farFraction = 0.0;  // of pixels whose difference is above kFar
  static constexpr int kFar = 64;
};

// Frames of different sizes are as far apart as can be.
FrameDistance frameDistance(const Frame& a, const Frame& b);

// The part of frame from (x, y), rows counted from the top, of the given size; what lies
// outside the frame is left out.
Frame cropFrame(const Frame& frame, int x, int y, int width, int height);

// Pixels of the part (as cropFrame takes it) that are light neutral grey, as the editor's
// title line is drawn: red and green above 60 and close to each other. The background's
// blues and the controls' colours are not.
int greyPixels(const Frame& frame, int x, int y, int width, int height);

// False for a missing or undecodable file; grey, RGB and RGBA files of 8 bits are read.
bool readPngFrame(const std::string& path, Frame& frame);
// False with error set when the file cannot be written.
bool writePngFrame(const std::string& path, const Frame& frame, std::string& error);

}  // namespace gw::test

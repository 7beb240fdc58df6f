#include "tests/support/frame_compare.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "gfx/png_image.h"
#include "host/standalone/png_writer.h"

namespace gw::test {

FrameDistance frameDistance(const Frame& a, const Frame& b) {
  FrameDistance distance;
  const std::size_t pixels = static_cast<std::size_t>(a.width) * a.height;
  if (a.width != b.width || a.height != b.height || pixels == 0 || a.rgba.size() < pixels * 4 ||
      b.rgba.size() < pixels * 4) {
    return {255.0, 1.0};
  }
  std::size_t sum = 0, far = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
      largest = std::max(largest, std::abs(a.rgba[i * 4 + c] - b.rgba[i * 4 + c]));
    }
    sum += static_cast<std::size_t>(largest);
    far += largest > FrameDistance::kFar ? 1 : 0;
  }
  distance.mean = static_cast<double>(sum) / static_cast<double>(pixels);
  distance.farFraction = static_cast<double>(far) / static_cast<double>(pixels);
  return distance;
}

Frame cropFrame(const Frame& frame, int x, int y, int width, int height) {
  if (frame.rgba.size() < static_cast<std::size_t>(frame.width) * frame.height * 4) return {};
  const int left = std::clamp(x, 0, frame.width), top = std::clamp(y, 0, frame.height);
  const int right = std::clamp(x + width, left, frame.width);
  const int bottom = std::clamp(y + height, top, frame.height);
  Frame part{right - left, bottom - top, {}};
  for (int row = top; row < bottom; ++row) {
    const auto start =
        frame.rgba.begin() + (static_cast<std::ptrdiff_t>(row) * frame.width + left) * 4;
    part.rgba.insert(part.rgba.end(), start, start + (right - left) * 4);
  }
  return part;
}

int greyPixels(const Frame& frame, int x, int y, int width, int height) {
  const Frame part = cropFrame(frame, x, y, width, height);
  int count = 0;
  for (std::size_t i = 0; i + 3 < part.rgba.size(); i += 4) {
    const int red = part.rgba[i], green = part.rgba[i + 1];
    count += red > 60 && green > 60 && std::abs(red - green) < 12 ? 1 : 0;
  }
  return count;
}

bool readPngFrame(const std::string& path, Frame& frame) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
  PngImage image;
  if (bytes.empty() ||
      !decodePng({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()}, image) ||
      image.bitDepth != 8 || image.channels == 2) {
    return false;
  }
  frame.width = static_cast<int>(image.width);
  frame.height = static_cast<int>(image.height);
  frame.rgba.resize(static_cast<std::size_t>(frame.width) * frame.height * 4);
  for (std::size_t i = 0; i < frame.rgba.size() / 4; ++i) {
    for (int c = 0; c < 3; ++c) {
      frame.rgba[i * 4 + c] = image.pixels[i * image.channels + (image.channels == 1 ? 0 : c)];
    }
    frame.rgba[i * 4 + 3] = image.channels == 4 ? image.pixels[i * 4 + 3] : 255;
  }
  return true;
}

bool writePngFrame(const std::string& path, const Frame& frame, std::string& error) {
  platform::TopLevelWindow::Image image;
  image.width = frame.width;
  image.height = frame.height;
  image.rgba = frame.rgba;
  return standalone::writePng(path, image, error);
}

}  // namespace gw::test

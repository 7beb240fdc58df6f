// Decoding a PNG held in memory, with no transforms: what the file holds is what comes out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gw {

struct PngImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int channels = 0;  // 1 grey or palette, 2 grey-alpha, 3 RGB, 4 RGBA
  int bitDepth = 0;
  std::vector<std::uint8_t> pixels;  // rows top first, width * channels * bitDepth / 8 bytes each

  // What a texture accepts: power-of-two sides, 3 or 4 channels of 8 bits.
  bool uploadable() const;
};

// Thread: any. False for data that is not a PNG, is damaged, or has a side above 1024
// pixels; never throws.
bool decodePng(std::span<const std::byte> data, PngImage& image);

}  // namespace gw

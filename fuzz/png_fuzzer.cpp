// The editor's PNG decoder, as the texture path feeds it resource bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "editor/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gw::PngImage image;
  const auto bytes = std::as_bytes(std::span(data, size));
  if (gw::decodePng(bytes, image)) {
    const std::size_t row =
        static_cast<std::size_t>(image.width) * image.channels * image.bitDepth / 8;
    if (image.pixels.size() < row * image.height) __builtin_trap();
    (void)image.uploadable();
  }
  return 0;
}

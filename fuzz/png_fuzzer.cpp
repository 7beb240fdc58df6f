// The editor's PNG decoder, as the texture path feeds it resource bytes. Chunk checksums
// are made right before decoding, so that mutations reach the decoder's header and
// image-data paths instead of dying at the first checksum.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gfx/png_image.h"

namespace {

void fixChecksums(std::vector<std::uint8_t>& bytes) {
  std::size_t pos = 8;  // after the signature
  while (pos + 12 <= bytes.size()) {
    const std::size_t length = (std::size_t{bytes[pos]} << 24) | (bytes[pos + 1] << 16) |
                               (bytes[pos + 2] << 8) | bytes[pos + 3];
    if (length > bytes.size() - pos - 12) return;
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, bytes.data() + pos + 4, static_cast<uInt>(length + 4)));
    const std::size_t at = pos + 8 + length;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    pos = at + 4;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  // The last byte chooses whether checksums are left as they came.
  if (!bytes.empty() && (bytes.back() & 1) == 0) fixChecksums(bytes);
  gw::PngImage image;
  if (gw::decodePng(std::as_bytes(std::span(bytes)), image)) {
    const std::size_t row =
        static_cast<std::size_t>(image.width) * image.channels * image.bitDepth / 8;
    if (image.pixels.size() < row * image.height) __builtin_trap();
    if (image.width > 1024 || image.height > 1024) __builtin_trap();
    (void)image.uploadable();
  }
  return 0;
}

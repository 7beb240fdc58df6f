// PNG data the decoder must refuse without harm, and the largest it must still read.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

#include "gfx/png_image.h"

namespace gw {
namespace {

void appendChunk(std::vector<std::uint8_t>& out, const char* type, std::vector<std::uint8_t> data) {
  auto be32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
      out.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  be32(static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  be32(static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A 16-bit RGBA PNG of the given size; with complete false, the image data is far too
// short for it.
std::vector<std::uint8_t> png(std::uint32_t width, std::uint32_t height, bool complete) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  for (const std::uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8)
      header.push_back(static_cast<std::uint8_t>(v >> shift));
  header.insert(header.end(), {16, 6, 0, 0, 0});  // 16-bit RGBA
  appendChunk(out, "IHDR", header);
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * 8;  // filter byte first
  std::vector<std::uint8_t> pixels(complete ? rowBytes * height : 64, 0);
  uLongf size = compressBound(static_cast<uLong>(pixels.size()));
  std::vector<std::uint8_t> packed(size);
  compress(packed.data(), &size, pixels.data(), static_cast<uLong>(pixels.size()));
  packed.resize(size);
  appendChunk(out, "IDAT", packed);
  appendChunk(out, "IEND", {});
  return out;
}

// Such a header used to make libpng reserve every row (terabytes) before it noticed the
// data was missing; now the size is refused at the header.
TEST(PngReader, RefusesAHeaderClaimingAnEnormousImage) {
  PngImage image;
  for (const auto& [w, h] : {std::pair{1000000u, 1000000u}, {1025u, 1u}, {1u, 1025u}}) {
    const auto bytes = png(w, h, false);
    EXPECT_FALSE(decodePng(std::as_bytes(std::span(bytes)), image)) << w << " x " << h;
    EXPECT_TRUE(image.pixels.empty());
  }
}

TEST(PngReader, ReadsImagesUpToTheLimit) {
  PngImage image;
  const auto bytes = png(1024, 2, true);
  ASSERT_TRUE(decodePng(std::as_bytes(std::span(bytes)), image));
  EXPECT_EQ(image.width, 1024u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.pixels.size(), 2u * 1024 * 8);
}

}  // namespace
}  // namespace gw

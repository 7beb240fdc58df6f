// Decoding images from memory and the rules for what becomes a texture; the embedded
// ripple image against its description.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "gfx/png_image.h"
#include "resources/resource_table.h"

namespace gw {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
  const auto* bytes = reinterpret_cast<const std::byte*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

// A PNG of the given layout with every sample 0x40.
std::vector<std::byte> encode(int width, int height, int colourType, int bitDepth) {
  std::vector<std::byte> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendBytes, nullptr);
  png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[2] = {{0, 0, 0}, {255, 255, 255}};
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 2);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 8, 0x40);
  if (colourType == PNG_COLOR_TYPE_PALETTE) std::fill(row.begin(), row.end(), 1);
  for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(Png, OnlyPowerOfTwoRgbOrRgbaOfEightBitsIsUploadable) {
  struct Case {
    int width, height, colourType, bitDepth, channels;
    bool uploadable;
  };
  const Case cases[] = {
      {64, 64, PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, true},
      {32, 128, PNG_COLOR_TYPE_RGB, 8, 3, true},
      {64, 48, PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, false},
      {48, 64, PNG_COLOR_TYPE_RGB, 8, 3, false},
      {64, 64, PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, false},
      {64, 64, PNG_COLOR_TYPE_GRAY, 8, 1, false},
      {64, 64, PNG_COLOR_TYPE_PALETTE, 8, 1, false},
      {64, 64, PNG_COLOR_TYPE_RGB_ALPHA, 16, 4, false},
  };
  for (const Case& c : cases) {
    PngImage image;
    ASSERT_TRUE(decodePng(encode(c.width, c.height, c.colourType, c.bitDepth), image));
    EXPECT_EQ(image.width, static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(image.height, static_cast<std::uint32_t>(c.height));
    EXPECT_EQ(image.channels, c.channels) << "no transform may change the layout";
    EXPECT_EQ(image.uploadable(), c.uploadable)
        << c.width << "x" << c.height << " type " << c.colourType << " depth " << c.bitDepth;
  }
}

TEST(Png, DamagedOrForeignDataIsRefusedWithoutCrashing) {
  PngImage image;
  const auto good = encode(16, 16, PNG_COLOR_TYPE_RGB, 8);
  EXPECT_FALSE(decodePng({}, image));
  EXPECT_FALSE(decodePng(std::span(good).first(good.size() / 2), image)) << "truncated";
  auto corrupt = good;
  for (std::size_t i = 40; i < corrupt.size(); i += 3) corrupt[i] = std::byte{0xA5};
  EXPECT_FALSE(decodePng(corrupt, image));
  const std::byte text[] = {std::byte{'!'}, std::byte{'!'}, std::byte{'A'}, std::byte{'R'},
                            std::byte{'B'}, std::byte{'v'}, std::byte{'p'}, std::byte{'1'}};
  EXPECT_FALSE(decodePng(text, image));
  EXPECT_EQ(image.width, 0u);
}

TEST(Png, RippleImageIsASoftEdgedFrameWithAGreyBand) {
  PngImage image;
  ASSERT_TRUE(decodePng(resources::find(resources::kTypeImage, resources::kRippleImageId), image));
  ASSERT_TRUE(image.uploadable());
  ASSERT_EQ(image.width, 64u);
  ASSERT_EQ(image.height, 64u);
  ASSERT_EQ(image.channels, 4);
  auto at = [&](int x, int y, int channel) { return image.pixels[(y * 64 + x) * 4 + channel]; };
  // Along the middle row from the left edge inwards, and the same from every side.
  for (int e = 0; e < 32; ++e) {
    const int sides[4][2] = {{e, 32}, {63 - e, 32}, {32, e}, {32, 63 - e}};
    for (const auto& [x, y] : sides) {
      EXPECT_EQ(at(x, y, 0), at(x, y, 1));
      EXPECT_EQ(at(x, y, 1), at(x, y, 2));
      if (e >= 4) {
        EXPECT_EQ(at(x, y, 3), 255) << "opaque inside, " << e << " in";
      } else {
        EXPECT_LT(at(x, y, 3), at(x + (x < 32) - (x > 32), y + (y < 32) - (y > 32), 3));
      }
      if (e >= 10) {
        EXPECT_EQ(at(x, y, 0), 0) << "black inside, " << e << " in";
      }
    }
  }
  EXPECT_NEAR(at(2, 32, 0), 70, 8) << "the band two pixels in";
  EXPECT_GT(at(0, 32, 0), at(5, 32, 0)) << "the band fades inwards";
}

TEST(Png, CommittedRippleImageIsWhatTheGeneratorMakes) {
#ifndef GW_MAKE_RIPPLE_PNG
  GTEST_SKIP() << "the generator is not built in this configuration";
#else
  const std::string out = ::testing::TempDir() + "/ripple.png";
  ASSERT_EQ(std::system((std::string(GW_MAKE_RIPPLE_PNG) + " " + out).c_str()), 0);
  std::ifstream file(out, std::ios::binary);
  std::vector<char> made((std::istreambuf_iterator<char>(file)), {});
  PngImage fromGenerator, embedded;
  ASSERT_TRUE(decodePng(std::as_bytes(std::span(made)), fromGenerator));
  ASSERT_TRUE(
      decodePng(resources::find(resources::kTypeImage, resources::kRippleImageId), embedded));
  EXPECT_EQ(fromGenerator.pixels, embedded.pixels) << "regenerate resources/ripple.png";
#endif
}

}  // namespace
}  // namespace gw

// Writes the ripple texture: a 64 x 64 RGBA square frame whose alpha is opaque inside and
// falls off over the outermost four pixels, black inside with a grey band along every
// edge (about 70 of 255 two pixels in, fading out ten pixels in). Drawn additively, only
// the band shows. Usage: make_ripple_png OUT.png
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr int kSize = 64;

// e: whole pixels between this pixel and the nearest edge (0 for the border pixels).
unsigned char alphaAt(int e) {
  return static_cast<unsigned char>(e >= 4 ? 255 : 51 * (e + 1));
}
unsigned char greyAt(int e) {
  return static_cast<unsigned char>(e >= 10 ? 0 : (70 * (10 - e) + 4) / 8);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  std::array<std::array<unsigned char, kSize * 4>, kSize> rows{};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int e = std::min({x, y, kSize - 1 - x, kSize - 1 - y});
      unsigned char* pixel = &rows[y][x * 4];
      pixel[0] = pixel[1] = pixel[2] = greyAt(e);
      pixel[3] = alphaAt(e);
    }
  }
  FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "%s: libpng failed\n", argv[1]);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return 1;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, kSize, kSize, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::array<png_bytep, kSize> pointers;
  for (int y = 0; y < kSize; ++y) pointers[y] = rows[y].data();
  png_set_rows(png, info, pointers.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 ? 0 : 1;
}

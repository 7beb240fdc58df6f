#include "gfx/png_image.h"

#include <png.h>

#include <cstring>

namespace gw {
namespace {

struct Cursor {
  const std::byte* data;
  std::size_t left;
};

void readFromCursor(png_structp png, png_bytep out, png_size_t wanted) {
  auto* cursor = static_cast<Cursor*>(png_get_io_ptr(png));
  const std::size_t n = wanted < cursor->left ? wanted : cursor->left;
  std::memcpy(out, cursor->data, n);
  cursor->data += n;
  cursor->left -= n;
  if (n < wanted) png_error(png, "truncated data");
}

// libpng reports errors by longjmp; nothing with a destructor may live in this frame
// between setjmp and the jump, so the image is filled only after the read returns.
bool readPng(Cursor& cursor, png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &cursor, readFromCursor);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

// Damaged data is an ordinary outcome here, reported by the return value alone.
[[noreturn]] void quietError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void quietWarning(png_structp, png_const_charp) {}

constexpr std::uint32_t kMaxSide = 1024;

bool isPowerOfTwo(std::uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

}  // namespace

bool PngImage::uploadable() const {
  return isPowerOfTwo(width) && isPowerOfTwo(height) && (channels == 3 || channels == 4) &&
         bitDepth == 8;
}

bool decodePng(std::span<const std::byte> data, PngImage& image) {
  image = {};
  if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, 8) != 0) {
    return false;
  }
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  // A damaged header may claim a million rows of a million pixels: libpng would allocate
  // every row before finding the data missing. No texture of ours comes near this size.
  png_set_user_limits(png, kMaxSide, kMaxSide);
  Cursor cursor{data.data(), data.size()};
  bool ok = readPng(cursor, png, info);
  if (ok) {
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.channels = png_get_channels(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    png_bytepp rows = png_get_rows(png, info);
    ok = rows != nullptr;
    if (ok) {
      image.pixels.resize(rowBytes * image.height);
      for (std::uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(image.pixels.data() + y * rowBytes, rows[y], rowBytes);
      }
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return ok;
}

}  // namespace gw

#include "host/standalone/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace gw::standalone {
namespace {

void onPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  *error = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// libpng reports failures by jumping back here, so this frame holds no C++ objects.
bool encode(png_structp png, png_infop info, std::FILE* file, int width, int height,
            png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const platform::TopLevelWindow::Image& image,
              std::string& error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    error = "empty image";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    rows[static_cast<std::size_t>(y)] =
        const_cast<png_bytep>(image.rgba.data() + static_cast<std::size_t>(y) * image.width * 4);
  }
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = png != nullptr && info != nullptr &&
            encode(png, info, file, image.width, image.height, rows.data());
  if (!ok) {
    if (error.empty()) error = "cannot start the PNG writer";
    error = path + ": " + error;
  }
  png_destroy_write_struct(png != nullptr ? &png : nullptr, info != nullptr ? &info : nullptr);
  if (std::fclose(file) != 0 && ok) {
    error = path + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace gw::standalone

#include "png_image.h"

#include <png.h>

#include <cmath>
#include <stdexcept>

namespace vintrel::example {
namespace {

static_assert(sizeof(Rgb) == 3, "a row of pixels is written as it lies in memory");

// Whether (u, v), with v growing downwards and both in -1..1, lies on an arrow pointing up
// inside a ring.
bool OnNorthArrow(double u, double v) {
  const double radius = std::sqrt(u * u + v * v);
  if (radius > 0.84 && radius < 0.92) return true;
  const bool head = v >= -0.7 && v <= -0.05 && std::abs(u) <= (v + 0.7) * 0.62;
  const bool shaft = v > -0.05 && v <= 0.62 && std::abs(u) <= 0.14;
  return head || shaft;
}

}  // namespace

Image CompassTile(int quarter_turns, Rgb background, int size) {
  Image image{size, size, std::vector<Rgb>(static_cast<size_t>(size) * size, background)};
  const Rgb white{255, 255, 255};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double u = (2.0 * x + 1) / size - 1;
      double v = (2.0 * y + 1) / size - 1;
      // Turning the picture clockwise is turning the sample point back.
      for (int turn = 0; turn < (quarter_turns % 4 + 4) % 4; ++turn) {
        const double turned_u = v;
        v = -u;
        u = turned_u;
      }
      if (OnNorthArrow(u, v)) image.pixels[static_cast<size_t>(y) * size + x] = white;
    }
  }
  return image;
}

std::string EncodePng(const Image& image) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot start a PNG picture");
  }
  std::string out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot write a PNG picture");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp writer, png_bytep data, png_size_t length) {
        static_cast<std::string*>(png_get_io_ptr(writer))
            ->append(reinterpret_cast<const char*>(data), length);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Flat colours compress well without filtering.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    const Rgb* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    png_write_row(png, reinterpret_cast<png_const_bytep>(row));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace vintrel::example

#include "png_image.h"

#include <png.h>

#include <cmath>
#include <stdexcept>
#include <utility>

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

namespace {

// The PNG file of rows already packed at `bit_depth` bits a sample.
std::string EncodeRows(int width, int height, int bit_depth, int color_type,
                       const std::vector<std::string>& rows) {
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
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               bit_depth, color_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Flat colours compress well without filtering.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (const std::string& row : rows) {
    png_write_row(png, reinterpret_cast<png_const_bytep>(row.data()));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace

std::string EncodePng(const Image& image) {
  std::vector<std::string> rows;
  for (int y = 0; y < image.height; ++y) {
    const Rgb* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    rows.emplace_back(reinterpret_cast<const char*>(row), sizeof(Rgb) * image.width);
  }
  return EncodeRows(image.width, image.height, 8, PNG_COLOR_TYPE_RGB, rows);
}

std::string EncodeMaskPng(int width, int height, const std::vector<bool>& opaque) {
  if (opaque.size() != static_cast<size_t>(width) * height) {
    throw std::runtime_error("a mask needs one value a pixel");
  }
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    // Eight pixels a byte, the leftmost in the high bit; a set bit is white.
    std::string row((width + 7) / 8, '\0');
    for (int x = 0; x < width; ++x) {
      if (!opaque[static_cast<size_t>(y) * width + x])
        row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    rows.push_back(std::move(row));
  }
  return EncodeRows(width, height, 1, PNG_COLOR_TYPE_GRAY, rows);
}

}  // namespace vintrel::example

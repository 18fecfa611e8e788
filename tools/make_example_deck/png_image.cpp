#include "png_image.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include <zlib.h>

namespace vintrel::example {
namespace {

uint32_t Crc32(const std::string& bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  PutBigEndian(out, Crc32(typed));
}

std::string Deflated(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("cannot compress picture data");
  }
  out.resize(size);
  return out;
}

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
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(image.width));
  PutBigEndian(header, static_cast<uint32_t>(image.height));
  header += "\x08\x02";            // 8 bits per sample, RGB
  header += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
  std::string raw;
  raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * image.width));
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type None
    for (int x = 0; x < image.width; ++x) {
      const Rgb& pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
      raw += static_cast<char>(pixel.red);
      raw += static_cast<char>(pixel.green);
      raw += static_cast<char>(pixel.blue);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", Deflated(raw));
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace vintrel::example

#include "host/ooxml/image_info.h"

#include <cstdint>

namespace vintrel::ooxml {

namespace {

uint32_t Big16(const std::string& b, size_t at) {
  return (static_cast<uint8_t>(b[at]) << 8) | static_cast<uint8_t>(b[at + 1]);
}
uint32_t Big32(const std::string& b, size_t at) {
  return (Big16(b, at) << 16) | Big16(b, at + 2);
}
uint32_t Little16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t Little32(const std::string& b, size_t at) {
  return Little16(b, at) | (Little16(b, at + 2) << 16);
}

std::optional<ImageInfo> Png(const std::string& b) {
  if (b.size() < 33 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR")) {
    return std::nullopt;
  }
  ImageInfo info{"png", "image/png", static_cast<int>(Big32(b, 16)),
                 static_cast<int>(Big32(b, 20))};
  // pHYs (pixels per metre, unit 1) may come before the image data.
  size_t at = 8;
  while (at + 12 <= b.size()) {
    uint32_t length = Big32(b, at);
    std::string type = b.substr(at + 4, 4);
    if (type == "IDAT" || type == "IEND") break;
    if (type == "pHYs" && length == 9 && at + 17 <= b.size() && b[at + 16] == 1) {
      double x = Big32(b, at + 8), y = Big32(b, at + 12);
      if (x > 0 && y > 0) {
        info.dpi_x = x * 0.0254;
        info.dpi_y = y * 0.0254;
      }
    }
    at += 12 + static_cast<size_t>(length);
  }
  return info;
}

std::optional<ImageInfo> Jpeg(const std::string& b) {
  if (b.size() < 4 || static_cast<uint8_t>(b[0]) != 0xFF || static_cast<uint8_t>(b[1]) != 0xD8) {
    return std::nullopt;
  }
  ImageInfo info{"jpeg", "image/jpeg"};
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (static_cast<uint8_t>(b[at]) != 0xFF) return std::nullopt;
    uint8_t marker = static_cast<uint8_t>(b[at + 1]);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    uint32_t length = Big16(b, at + 2);
    if (marker == 0xE0 && at + 18 <= b.size() &&
        b.compare(at + 4, 5, std::string("JFIF\0", 5)) == 0) {
      uint8_t units = static_cast<uint8_t>(b[at + 11]);
      double x = Big16(b, at + 12), y = Big16(b, at + 14);
      if (units == 1 && x > 0 && y > 0) info.dpi_x = x, info.dpi_y = y;
      if (units == 2 && x > 0 && y > 0) info.dpi_x = x * 2.54, info.dpi_y = y * 2.54;
    }
    // Start-of-frame markers (not DHT C4, JPG C8, DAC CC) carry the size.
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (at + 9 > b.size()) return std::nullopt;
      info.height = static_cast<int>(Big16(b, at + 5));
      info.width = static_cast<int>(Big16(b, at + 7));
      return info;
    }
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<ImageInfo> Gif(const std::string& b) {
  if (b.size() < 10 || (b.compare(0, 6, "GIF87a") != 0 && b.compare(0, 6, "GIF89a") != 0)) {
    return std::nullopt;
  }
  return ImageInfo{"gif", "image/gif", static_cast<int>(Little16(b, 6)),
                   static_cast<int>(Little16(b, 8))};
}

std::optional<ImageInfo> Bmp(const std::string& b) {
  if (b.size() < 26 || b.compare(0, 2, "BM") != 0) return std::nullopt;
  int32_t height = static_cast<int32_t>(Little32(b, 22));
  return ImageInfo{"bmp", "image/bmp", static_cast<int>(Little32(b, 18)),
                   height < 0 ? -height : height};
}

}  // namespace

std::optional<ImageInfo> ReadImageInfo(const std::string& bytes) {
  for (auto reader : {Png, Jpeg, Gif, Bmp}) {
    if (auto info = reader(bytes)) {
      if (info->width > 0 && info->height > 0) return info;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace vintrel::ooxml

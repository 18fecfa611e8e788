// Pixel size and type of a picture file, read from its header (PNG, JPEG, GIF, BMP).
#ifndef VINTREL_HOST_OOXML_IMAGE_INFO_H_
#define VINTREL_HOST_OOXML_IMAGE_INFO_H_

#include <optional>
#include <string>

namespace vintrel::ooxml {

struct ImageInfo {
  std::string extension;     // "png", "jpeg", "gif", "bmp"
  std::string content_type;  // "image/png" ...
  int width = 0;             // pixels
  int height = 0;
  double dpi_x = 96;  // from pHYs / JFIF when the file says, else 96
  double dpi_y = 96;
};

// Null when the bytes are not a picture of a known kind.
std::optional<ImageInfo> ReadImageInfo(const std::string& bytes);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_IMAGE_INFO_H_

#include "host/ooxml/drawing/metafile_svg.h"

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#include "host/common/ascii.h"
#include "host/ooxml/drawing/drawing_geometry.h"

namespace vintrel::ooxml::drawing {

namespace {

std::string Extension(std::string_view name) {
  size_t dot = name.rfind('.');
  return LowerAscii(dot == std::string_view::npos ? "" : name.substr(dot));
}

// The view of a converted EMF: the picture's frame (its header's rclFrame, in hundredths of a
// millimetre, turned into device pixels by the reference device's size), which is what a slide
// fits into the picture's box. The converter draws from the top left of the drawn bounds.
std::string EmfView(std::string_view bytes) {
  if (bytes.size() < 88) return {};
  auto number = [&](size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return static_cast<double>(static_cast<int32_t>(value));
  };
  double millimetres_x = number(80), millimetres_y = number(84);
  if (millimetres_x <= 0 || millimetres_y <= 0) return {};
  double sx = number(72) / (millimetres_x * 100), sy = number(76) / (millimetres_y * 100);
  double left = number(24) * sx, top = number(28) * sy;
  double width = (number(32) - number(24)) * sx, height = (number(36) - number(28)) * sy;
  if (width <= 0 || height <= 0) return {};
  return Num(left - number(8)) + " " + Num(top - number(12)) + " " + Num(width) + " " + Num(height);
}

// The SVG stretched to whatever box shows it, as other pictures are.
std::string Stretchable(std::string svg, const std::string& view) {
  size_t start = svg.find("<svg "), end = svg.find('>', start);
  if (start == std::string::npos || end == std::string::npos || view.empty()) return svg;
  if (svg.substr(start, end - start).find("viewBox") != std::string::npos) return svg;
  svg.insert(end, " viewBox=\"" + view + "\" preserveAspectRatio=\"none\"");
  return svg;
}

std::string EmfToSvg(const std::string& bytes) {
  generatorOptions options{};
  options.nameSpace = const_cast<char*>("");
  options.emfplus = true;
  options.svgDelimiter = true;
  char* out = nullptr;
  size_t length = 0;
  int ok = emf2svg(const_cast<char*>(bytes.data()), bytes.size(), &out, &length, &options);
  std::string svg =
      ok && out ? Stretchable(std::string(out, length), EmfView(bytes)) : std::string();
  std::free(out);
  return svg;
}

// WMF pictures are drawn this many times their size in points before the SVG is stretched over
// its box, so that rounding the drawing's whole-number size does not shift it.
constexpr double kWmfResolution = 72 * 8;

// The converter's root element replaced by one that stands alone and stretches; its XML
// declaration and document type go.
std::string StretchableWmf(std::string_view svg, unsigned width, unsigned height) {
  size_t start = svg.find("<svg"), end = svg.find('>', start);
  if (start == std::string_view::npos || end == std::string_view::npos) return {};
  std::string size = std::to_string(width) + " " + std::to_string(height);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
         " width=\"" +
         std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
         size + "\" preserveAspectRatio=\"none\"" + std::string(svg.substr(end));
}

// A WMF through libwmf's SVG device. Its text is measured with the standard PostScript fonts
// (fonts-urw-base35); without them the picture is not drawn. Pictures inside it are kept as PNG.
std::string WmfToSvg(const std::string& bytes) {
  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf_svg_function;
  unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
    if (api) wmf_api_destroy(api);
    return {};
  }
  std::string svg;
  wmfD_Rect bounds{};
  unsigned width = 0, height = 0;
  auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
  if (wmf_mem_open(api, data, static_cast<long>(bytes.size())) == wmf_E_None &&
      wmf_scan(api, 0, &bounds) == wmf_E_None &&
      wmf_display_size(api, &width, &height, kWmfResolution, kWmfResolution) == wmf_E_None &&
      width > 0 && height > 0) {
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);
    device->Description = const_cast<char*>("");
    device->bbox = bounds;
    device->width = width;
    device->height = height;
    device->flags |= WMF_SVG_INLINE_IMAGES;
    wmf_error_t played = wmf_play(api, 0, &bounds);
    char* out = nullptr;
    unsigned long length = 0;
    if (device->out) wmf_stream_destroy(api, device->out, &out, &length);
    // The output stays the library's, freed with it.
    if (played == wmf_E_None && out) svg = StretchableWmf({out, length}, width, height);
  }
  wmf_api_destroy(api);
  return svg;
}

}  // namespace

bool IsMetafileName(std::string_view name) {
  std::string extension = Extension(name);
  return extension == ".emf" || extension == ".wmf";
}

std::string MetafileToSvg(const std::string& bytes, std::string_view name) {
  static std::mutex mutex;
  static std::map<size_t, std::string> converted;
  size_t key = std::hash<std::string>()(bytes);
  std::lock_guard<std::mutex> lock(mutex);
  if (auto found = converted.find(key); found != converted.end()) return found->second;
  std::string svg = Extension(name) == ".wmf" ? WmfToSvg(bytes) : EmfToSvg(bytes);
  if (converted.size() > 64) converted.clear();
  converted[key] = svg;
  return svg;
}

}  // namespace vintrel::ooxml::drawing

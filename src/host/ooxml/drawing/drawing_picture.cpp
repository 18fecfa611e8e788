#include "host/ooxml/drawing/drawing_picture.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/ooxml/drawing/drawing_context.h"
#include "host/ooxml/drawing/metafile_svg.h"
#include "host/ooxml/shape_link.h"

namespace vintrel::ooxml::drawing {

namespace {

std::string Extension(std::string_view name) {
  size_t dot = name.rfind('.');
  return LowerAscii(dot == std::string_view::npos ? "" : name.substr(dot));
}

const char* ContentTypeOf(std::string_view name) {
  std::string extension = Extension(name);
  if (extension == ".png") return "image/png";
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension == ".gif") return "image/gif";
  if (extension == ".svg") return "image/svg+xml";
  if (extension == ".bmp") return "image/bmp";
  if (extension == ".webp") return "image/webp";
  return nullptr;  // TIFF: no browser draws it
}

// Converted metafiles up to this size are drawn in the page; larger ones are fetched.
constexpr size_t kLargestInlinePicture = 256 * 1024;

// An embedded metafile's SVG (empty for other pictures).
std::string MetafileMarkup(pugi::xml_node blip, const std::string& part,
                           const DrawingContext& context) {
  std::optional<Relationship> rel = context.package().Rel(part, blip.attribute("r:embed").value());
  if (!rel || rel->external) return {};
  std::string target = Package::ResolveTarget(part, rel->target);
  if (!IsMetafileName(target) || !context.package().Has(target)) return {};
  try {
    std::string svg = MetafileToSvg(context.package().ReadBytes(target), target);
    size_t start = svg.find("<svg ");
    if (start == std::string::npos || svg.size() - start > kLargestInlinePicture) return {};
    return svg.substr(start);
  } catch (const std::exception&) {
    return {};
  }
}

// `markup` placed over `box`: the root's own size gives way to the box's, and its identifiers
// (clip paths, gradients) take `prefix` so that they stay apart from the page's.
std::string PlacedMarkup(std::string markup, const Box& box, const std::string& prefix) {
  size_t end = markup.find('>');
  if (end == std::string::npos) return {};
  std::string root = markup.substr(0, end);
  for (const char* name : {" width=\"", " height=\"", " x=\"", " y=\""}) {
    size_t at = root.find(name);
    if (at != std::string::npos) root.erase(at, root.find('"', at + std::strlen(name)) + 1 - at);
  }
  root += " x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" + Num(box.width) +
          "\" height=\"" + Num(box.height) + "\"";
  std::string body = markup.substr(end);
  for (const std::string& marker :
       {std::string("id=\""), std::string("url(#"), std::string("href=\"#")}) {
    for (size_t at = body.find(marker); at != std::string::npos;
         at = body.find(marker, at + marker.size() + prefix.size())) {
      body.insert(at + marker.size(), prefix);
    }
  }
  return root + body;
}

// The region of the picture that shows: its crop (a:srcRect), and of what is left the part that
// falls inside the box when a:stretch's a:fillRect places it partly outside.
void CropOf(pugi::xml_node blip_fill, long crop[4]) {
  const char* sides[] = {"l", "t", "r", "b"};
  pugi::xml_node source = blip_fill.child("a:srcRect");
  pugi::xml_node fill = blip_fill.child("a:stretch").child("a:fillRect");
  for (int side = 0; side < 4; ++side) {
    double inset = source.attribute(sides[side]).as_double() / 100000;
    double near = fill.attribute(sides[side]).as_double() / 100000;
    double far = fill.attribute(sides[(side + 2) % 4]).as_double() / 100000;
    double left = 1 - inset - source.attribute(sides[(side + 2) % 4]).as_double() / 100000;
    double span = 1 - near - far;
    if (span > 0) inset += left * -near / span;
    crop[side] = std::lround(inset * 100000);
  }
}

// A duotone maps the picture's gray levels from its first colour to its second; a:lum changes
// brightness and contrast (a washed-out picture is brighter with less contrast).
std::string Recolor(pugi::xml_node blip, const DrawingContext& context,
                    const std::optional<Color>& placeholder) {
  std::string primitives;
  if (pugi::xml_node duotone = blip.child("a:duotone")) {
    std::vector<Color> colors;
    for (pugi::xml_node element : duotone.children()) {
      if (std::optional<Color> color = ColorOf(element, context.colors(), placeholder))
        colors.push_back(*color);
    }
    if (colors.size() == 2) {
      primitives += "<feColorMatrix type=\"matrix\" values=\"";
      for (int row = 0; row < 3; ++row) primitives += ".2126 .7152 .0722 0 0 ";
      primitives += "0 0 0 1 0\"/><feComponentTransfer>";
      int Color::*channels[] = {&Color::r, &Color::g, &Color::b};
      const char* names[] = {"R", "G", "B"};
      for (int i = 0; i < 3; ++i) {
        primitives += std::string("<feFunc") + names[i] + " type=\"table\" tableValues=\"" +
                      Num(colors[0].*channels[i] / 255.0) + " " +
                      Num(colors[1].*channels[i] / 255.0) + "\"/>";
      }
      primitives += "</feComponentTransfer>";
    }
  }
  pugi::xml_node lum = blip.child("a:lum");
  double bright = lum.attribute("bright").as_double() / 100000;
  double contrast = lum.attribute("contrast").as_double() / 100000;
  if (bright != 0 || contrast != 0) {
    double slope = contrast < 0 ? 1 + contrast : 1 / std::max(1 - contrast, 0.01);
    std::string function = " type=\"linear\" slope=\"" + Num(slope) + "\" intercept=\"" +
                           Num(0.5 - 0.5 * slope + bright) + "\"/>";
    primitives += "<feComponentTransfer><feFuncR" + function + "<feFuncG" + function + "<feFuncB" +
                  function + "</feComponentTransfer>";
  }
  return primitives;
}

}  // namespace

std::pair<std::string, const char*> ScreenPicture(std::string bytes, std::string_view name) {
  if (IsMetafileName(name)) {
    std::string svg = MetafileToSvg(bytes, name);
    if (svg.empty()) return {};
    return {std::move(svg), "image/svg+xml"};
  }
  const char* type = ContentTypeOf(name);
  if (!type) return {};
  return {std::move(bytes), type};
}

std::pair<int, int> PixelSize(std::string_view bytes) {
  auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
  auto big16 = [&](size_t at) { return byte(at) << 8 | byte(at + 1); };
  if (bytes.size() >= 24 && bytes.starts_with("\x89PNG")) {
    return {big16(16) << 16 | big16(18), big16(20) << 16 | big16(22)};
  }
  if (bytes.size() >= 10 && bytes.starts_with("GIF8")) {
    return {byte(6) | byte(7) << 8, byte(8) | byte(9) << 8};
  }
  if (!bytes.starts_with("\xFF\xD8")) return {0, 0};
  // JPEG: the frame header (SOF0 to SOF15 but DHT, JPG and DAC) holds the size.
  for (size_t at = 2; at + 9 < bytes.size() && byte(at) == 0xFF;) {
    int marker = byte(at + 1);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      return {big16(at + 7), big16(at + 5)};
    }
    at += 2 + big16(at + 2);
  }
  return {0, 0};
}

std::string DrawingContext::PictureAddress(const std::string& part, const std::string& id,
                                           bool linked) const {
  std::optional<Relationship> rel = package_.Rel(part, id);
  if (!rel) return {};
  try {
    if (rel->external || linked) {
      std::string path = DecodeLinkTarget(rel->target, folder_);
      std::ifstream in(path, std::ios::binary);
      if (!in) return {};
      std::ostringstream bytes;
      bytes << in.rdbuf();
      auto [shown, type] = ScreenPicture(std::move(bytes).str(), path);
      return type ? assets_.Add(std::move(shown), type) : std::string();
    }
    std::string target = Package::ResolveTarget(part, rel->target);
    if (!package_.Has(target)) return {};
    auto [shown, type] = ScreenPicture(package_.ReadBytes(target), target);
    return type ? assets_.Add(std::move(shown), type) : std::string();
  } catch (const std::exception&) {
    // A picture that cannot be read is left out of the drawing; the show goes on.
    return {};
  }
}

Picture PictureOf(pugi::xml_node blip_fill, const std::string& part, const DrawingContext& context,
                  const std::optional<Color>& placeholder) {
  Picture picture;
  if (part.empty()) return picture;  // a chart's picture fills are not drawn
  pugi::xml_node blip = blip_fill.child("a:blip");
  std::string embed = blip.attribute("r:embed").value();
  // A picture saved as SVG too keeps it in an extension: the browser draws it sharp.
  pugi::xml_node svg = blip.select_node("a:extLst/a:ext/asvg:svgBlip").node();
  if (std::string vector = svg.attribute("r:embed").value(); !vector.empty()) {
    picture.address = context.PictureAddress(part, vector, false);
  }
  if (!embed.empty() && picture.address.empty()) {
    picture.address = context.PictureAddress(part, embed, false);
  }
  std::string link = blip.attribute("r:link").value();
  if (picture.address.empty() && !link.empty()) {
    picture.address = context.PictureAddress(part, link, true);
  }
  if (!picture.address.empty()) picture.markup = MetafileMarkup(blip, part, context);
  picture.alpha = blip.child("a:alphaModFix").attribute("amt").as_double(100000) / 100000;
  picture.grayscale = static_cast<bool>(blip.child("a:grayscl"));
  picture.recolor = Recolor(blip, context, placeholder);
  CropOf(blip_fill, picture.crop);
  if (pugi::xml_node tile = blip_fill.child("a:tile"); tile && !embed.empty()) {
    picture.tile = true;
    picture.scale[0] = tile.attribute("sx").as_double(100000) / 100000;
    picture.scale[1] = tile.attribute("sy").as_double(100000) / 100000;
    picture.offset[0] = tile.attribute("tx").as_double() / kEmuPerPoint;
    picture.offset[1] = tile.attribute("ty").as_double() / kEmuPerPoint;
    std::optional<Relationship> rel = context.package().Rel(part, embed);
    if (rel && !rel->external) {
      std::string target = Package::ResolveTarget(part, rel->target);
      // Pictures without their resolution are taken at 96 pixels per inch.
      auto [width, height] = context.package().Has(target)
                                 ? PixelSize(context.package().ReadBytes(target))
                                 : std::pair{0, 0};
      picture.size[0] = width * 0.75;
      picture.size[1] = height * 0.75;
    }
  }
  return picture;
}

Picture OlePreviewOf(pugi::xml_node ole_object, const std::string& part,
                     const DrawingContext& context) {
  std::string_view id = ole_object.attribute("spid").value();
  for (const Relationship& rel : context.package().Rels(part)) {
    if (rel.Kind() != "vmlDrawing" || rel.external || id.empty()) continue;
    std::string vml = Package::ResolveTarget(part, rel.target);
    pugi::xml_node shape;
    try {
      shape = context.package().Xml(vml).find_node([&](pugi::xml_node node) {
        return std::string_view(node.name()) == "v:shape" && node.attribute("id").value() == id;
      });
    } catch (const Error&) {
      continue;  // a VML drawing that does not parse shows no preview
    }
    std::string image = shape.child("v:imagedata").attribute("o:relid").value();
    if (image.empty()) continue;
    // The preview is drawn as a picture fill of the VML part would be.
    pugi::xml_document fill;
    fill.append_child("p:blipFill").append_child("a:blip").append_attribute("r:embed") =
        image.c_str();
    return PictureOf(fill.first_child(), vml, context);
  }
  return {};
}

std::string PictureElement(const Picture& picture, const Box& box, DrawingContext& context,
                           std::string& defs) {
  if (picture.address.empty()) return {};
  std::string look;
  if (picture.alpha < 1) look += " opacity=\"" + Num(std::max(picture.alpha, 0.0)) + "\"";
  if (!picture.recolor.empty()) {
    std::string id = context.NextDefinitionId();
    defs += "<filter id=\"" + id + "\" color-interpolation-filters=\"sRGB\">" + picture.recolor +
            "</filter>";
    look += " filter=\"url(#" + id + ")\"";
  } else if (picture.grayscale) {
    look += " style=\"filter:grayscale(1)\"";
  }
  const long* crop = picture.crop;
  bool whole = crop[0] == 0 && crop[1] == 0 && crop[2] == 0 && crop[3] == 0;
  if (!picture.markup.empty() && whole) {
    std::string placed = PlacedMarkup(picture.markup, box, context.NextDefinitionId() + "-");
    return look.empty() ? placed : "<g" + look + ">" + placed + "</g>";
  }
  if (whole) {
    return "<image href=\"" + Escape(picture.address) + "\" x=\"" + Num(box.x) + "\" y=\"" +
           Num(box.y) + "\" width=\"" + Num(box.width) + "\" height=\"" + Num(box.height) +
           "\" preserveAspectRatio=\"none\"" + look + "/>";
  }
  // The picture spans 0 to 100000 each way; the view shows the region left by the crop.
  long width = 100000 - crop[0] - crop[2], height = 100000 - crop[1] - crop[3];
  if (width <= 0 || height <= 0) return {};
  return "<svg x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" + Num(box.width) +
         "\" height=\"" + Num(box.height) + "\" viewBox=\"" + std::to_string(crop[0]) + " " +
         std::to_string(crop[1]) + " " + std::to_string(width) + " " + std::to_string(height) +
         "\" preserveAspectRatio=\"none\"><image href=\"" + Escape(picture.address) +
         "\" width=\"100000\" height=\"100000\" preserveAspectRatio=\"none\"" + look + "/></svg>";
}

}  // namespace vintrel::ooxml::drawing

// A slide drawn as SVG for a screen: background, the master's and layout's own shapes, then the
// slide's shapes back to front, each in an element whose id names the slide and the shape's
// position (s3-7: slide 3, shape 7), so a screen can replace one shape when it changes. Texts
// stay text: a text body is XHTML inside a foreignObject (the browser wraps lines with the real
// font), chart and table labels are SVG text.
//
// Drawn: solid, gradient (linear and radial), pattern and picture fills, lines with dashes and
// arrowheads, shadows, glow and soft edges, every preset shape (from its definition's formulas)
// and custom geometry, SmartArt (its saved drawn form), rotation and flips, groups, pictures
// (embedded or linked, cropped, EMF too), text with fonts, sizes, colours, bold, italic,
// underline, alignment, spacing and auto-fit, tables in their styles, and bar, column, line,
// area, scatter and pie charts from their caches. Not drawn: reflections, 3-D, WMF pictures,
// media, ink.
#ifndef VINTREL_HOST_OOXML_SLIDE_DRAWING_H_
#define VINTREL_HOST_OOXML_SLIDE_DRAWING_H_

#include <string>
#include <vector>

namespace vintrel::ooxml {

class PackagePresentation;

// Where the drawing puts the bytes of pictures. Returns the address the SVG refers to them by.
class SvgAssets {
 public:
  virtual ~SvgAssets() = default;
  virtual std::string Add(std::string bytes, const std::string& content_type) = 0;
};

struct SlideDrawing {
  double width = 0;   // points
  double height = 0;  // points
  // Background and the master's and layout's own shapes.
  std::string backdrop;
  // One element per shape of the slide, in the order of the slide's shapes.
  std::vector<std::string> shapes;
  // The whole drawing as one SVG document (root element <svg>).
  std::string Svg() const;
};

// The id of the element that draws shape `shape` (from 1) of slide `slide`.
std::string ShapeElementId(int slide, int shape);

// Draws slide `slide` (from 1) as it is now. Raises vintrel::Error for an index out of range.
SlideDrawing DrawSlide(PackagePresentation& presentation, int slide, SvgAssets& assets);
// Changes whenever the drawing of slide `slide` (or what `vintrel inspect` tells of its shapes)
// may change: it names the slide's part and position and the latest change of the parts the
// slide, its relationships and the parts they name, and the presentation's own part and tags.
// A drawing kept beside it stays good while it stays the same.
std::string SlideDrawingVersion(PackagePresentation& presentation, int slide);
// Draws one shape of the slide as it is now: what replaces its element in a drawing.
std::string DrawShape(PackagePresentation& presentation, int slide, int shape, SvgAssets& assets);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SLIDE_DRAWING_H_

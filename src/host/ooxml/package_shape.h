// Shapes of a slide: the children of p:spTree in document order (a group, or a shape wrapped in
// mc:AlternateContent, counts as one).
#ifndef VINTREL_HOST_OOXML_PACKAGE_SHAPE_H_
#define VINTREL_HOST_OOXML_PACKAGE_SHAPE_H_

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "host/ooxml/part_tags.h"
#include "host/shapes.h"
#include "host/show_display.h"

namespace vintrel::ooxml {

class PackageSlide;
class PackageShapes;
class PackageShape;
class ShapeLink;
class ChartObject;

// Type codes the host has beyond those in shape_type.
inline constexpr int kShapeTypeSmartArt = 24;
inline constexpr int kShapeTypeInk = 22;

// The ProgID a native chart shows to the add-in: it stands in for the old chart program.
inline constexpr char kChartProgId[] = "MSGraph.Chart.8";

class ShapeTextRange : public host::TextRange, public host::TextFrame {
 public:
  explicit ShapeTextRange(PackageShape& shape) : shape_(shape) {}
  std::string Text() const override;
  void SetText(const std::string& text) override;
  host::TextRange& TextRange() override { return *this; }

 private:
  PackageShape& shape_;
};

class ShapeOleFormat : public host::OLEFormat {
 public:
  ShapeOleFormat(PackageShape& shape, std::string prog_id);
  ~ShapeOleFormat() override;
  std::string ProgID() const override { return prog_id_; }
  host::GraphChart& Object() override;

 private:
  PackageShape& shape_;
  std::string prog_id_;
  std::unique_ptr<ChartObject> chart_;
};

class PackageShape : public host::Shape {
 public:
  PackageShape(PackageShapes& shapes, pugi::xml_node top);
  ~PackageShape() override;

  int Type() const override { return type_; }
  int ZOrderPosition() const override;
  void ZOrder(int command) override;
  std::string Name() const override;
  void SetName(const std::string& name) override;
  bool HasTextFrame() const override;
  host::TextFrame& TextFrame() override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  double Left() const override { return Geometry(0); }
  double Top() const override { return Geometry(1); }
  double Width() const override { return Geometry(2); }
  double Height() const override { return Geometry(3); }
  void SetLeft(double value) override { SetGeometry(0, value); }
  void SetTop(double value) override { SetGeometry(1, value); }
  void SetWidth(double value) override { SetGeometry(2, value); }
  void SetHeight(double value) override { SetGeometry(3, value); }
  void Delete() override;
  host::Tags& Tags() override { return tags_; }
  host::OLEFormat& OLEFormat() override;
  host::LinkFormat& LinkFormat() override;

  // For the helper objects.
  PackageSlide& slide() const;
  pugi::xml_node top() const;
  // The element that is the shape (in every branch of an mc:AlternateContent wrapper).
  const std::vector<pugi::xml_node>& views() const;
  pugi::xml_node view() const { return views().front(); }
  // The p:txBody, created when `create` is set and the shape can hold text.
  pugi::xml_node TextBody(bool create) const;
  void Touch() const;
  bool deleted() const { return deleted_; }
  // The screen of a running show of this shape's presentation, or null; and this shape as the
  // screen names it.
  host::ShowDisplay* Display() const;
  host::ShapeRef Ref() const;

 private:
  friend class PackageShapes;
  int DetectType() const;
  double Geometry(int which) const;
  void SetGeometry(int which, double points);
  pugi::xml_node Transform(pugi::xml_node view, bool create) const;
  void CheckAlive() const;
  // Takes `top` (and the views under it) as the shape's element.
  void Bind(pugi::xml_node top);

  PackageShapes& shapes_;
  pugi::xml_node top_;
  std::vector<pugi::xml_node> views_;
  int type_;
  // Whether the shape is a p:sp, known without parsing a dropped slide again.
  bool text_frame_ = false;
  bool deleted_ = false;
  PartTags tags_;
  ShapeTextRange text_;
  std::unique_ptr<ShapeOleFormat> ole_;
  std::unique_ptr<ShapeLink> link_;
};

class PackageShapes : public host::Shapes {
 public:
  explicit PackageShapes(PackageSlide& slide);
  ~PackageShapes() override;

  int Count() const override { return static_cast<int>(shapes_.size()); }
  host::Shape& Item(int index) override;
  host::Shape& AddPicture(const std::string& file_name, bool link_to_file, bool save_with_document,
                          double left, double top, double width = -1, double height = -1) override;

  PackageSlide& slide() const { return slide_; }
  int IndexOf(const PackageShape& shape) const;
  // The slide went away: every shape object fails from now on instead of reaching freed XML.
  void MarkAllDeleted();
  void Move(PackageShape& shape, int command);
  void Delete(PackageShape& shape);
  // Makes the shapes' nodes those of the slide as parsed now: a big deck's slide may have been
  // dropped and parsed again since (see Package), and its shapes are found again by position.
  void Rebind() const;

 private:
  pugi::xml_node Tree() const;
  int NextShapeId() const;
  // The children of the shape tree that are shapes, in order.
  std::vector<pugi::xml_node> ShapeElements() const;

  PackageSlide& slide_;
  // The slide's parse serial the nodes belong to, and the package's count of dropped slides
  // when that was last checked.
  mutable uint64_t bound_serial_ = 0;
  mutable uint64_t checked_drops_ = 0;
  std::vector<std::unique_ptr<PackageShape>> shapes_;
  std::vector<std::unique_ptr<PackageShape>> deleted_;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_SHAPE_H_

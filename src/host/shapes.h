#ifndef VINTREL_HOST_SHAPES_H_
#define VINTREL_HOST_SHAPES_H_

#include <string>

#include "host/graph.h"
#include "host/tags.h"

namespace vintrel::host {

// The host's shape type codes (only those the add-in and the host program tell apart).
namespace shape_type {
inline constexpr int kAutoShape = 1;
inline constexpr int kChart = 3;
inline constexpr int kFreeform = 5;
inline constexpr int kGroup = 6;
inline constexpr int kEmbeddedOleObject = 7;
inline constexpr int kLine = 9;
inline constexpr int kLinkedOleObject = 10;
inline constexpr int kLinkedPicture = 11;
inline constexpr int kOleControlObject = 12;
inline constexpr int kPicture = 13;
inline constexpr int kPlaceholder = 14;
inline constexpr int kMedia = 16;
inline constexpr int kTextBox = 17;
inline constexpr int kTable = 19;
}  // namespace shape_type

// LinkFormat.AutoUpdate values.
namespace link_update {
inline constexpr int kManual = 1;
inline constexpr int kAutomatic = 2;
}  // namespace link_update

// Shape.ZOrder commands.
namespace z_order {
inline constexpr int kBringToFront = 0;
inline constexpr int kSendToBack = 1;
inline constexpr int kBringForward = 2;
inline constexpr int kSendBackward = 3;
}  // namespace z_order

class TextRange {
 public:
  virtual ~TextRange() = default;
  // Paragraphs are joined by a carriage return, line breaks inside one by a vertical tab (11),
  // as the host returns them.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

class TextFrame {
 public:
  virtual ~TextFrame() = default;
  virtual host::TextRange& TextRange() = 0;
};

class LinkFormat {
 public:
  virtual ~LinkFormat() = default;
  virtual std::string SourceFullName() const = 0;
  virtual void SetSourceFullName(const std::string& path) = 0;
  virtual int AutoUpdate() const = 0;  // link_update
  virtual void SetAutoUpdate(int mode) = 0;
  // Reloads the linked file.
  virtual void Update() = 0;
};

class OLEFormat {
 public:
  virtual ~OLEFormat() = default;
  virtual std::string ProgID() const = 0;
  // The automation object; for a chart (ProgID "MSGraph.Chart...") its data sheet members.
  // Fails for objects the host cannot drive.
  virtual GraphChart& Object() = 0;
};

class Shape {
 public:
  virtual ~Shape() = default;
  virtual int Type() const = 0;  // shape_type
  // Position in the slide's shape collection, from 1 (back to front).
  virtual int ZOrderPosition() const = 0;
  virtual void ZOrder(int command) = 0;  // z_order
  virtual std::string Name() const = 0;
  virtual void SetName(const std::string& name) = 0;
  virtual bool HasTextFrame() const = 0;
  virtual host::TextFrame& TextFrame() = 0;  // fails without a text frame
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  // Position and size in points.
  virtual double Left() const = 0;
  virtual double Top() const = 0;
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  virtual void SetLeft(double value) = 0;
  virtual void SetTop(double value) = 0;
  virtual void SetWidth(double value) = 0;
  virtual void SetHeight(double value) = 0;
  // Removes the shape; the reference is invalid afterwards.
  virtual void Delete() = 0;
  virtual host::Tags& Tags() = 0;
  virtual host::OLEFormat& OLEFormat() = 0;    // fails for shapes without an OLE object
  virtual host::LinkFormat& LinkFormat() = 0;  // fails for shapes without a link
};

class Shapes {
 public:
  virtual ~Shapes() = default;
  virtual int Count() const = 0;
  virtual Shape& Item(int index) = 0;  // from 1, in z-order; fails outside 1..Count
  // Adds a picture from a file at a position and size in points (a negative width or height
  // takes the picture's own).
  virtual Shape& AddPicture(const std::string& file_name, bool link_to_file,
                            bool save_with_document, double left, double top, double width = -1,
                            double height = -1) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_SHAPES_H_

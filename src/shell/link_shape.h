// Linking one shape the way the shape property pages do when closed with OK: a text field, a
// linked object's file reference, a chart's data block, a clock, or no link. The checks come
// first and write nothing, so a caller linking many shapes can check them all before the first
// is written.
#ifndef VINTREL_SHELL_LINK_SHAPE_H_
#define VINTREL_SHELL_LINK_SHAPE_H_

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/presentation.h"
#include "host/shapes.h"
#include "support/context.h"

namespace vintrel::shell {

// Where a clock format stands in the clock page's list (from 0), or -1 for none it offers.
int ClockFormatEntry(const std::string& format);

namespace link_kind {
inline constexpr int kNone = source_type::kNone;
inline constexpr int kClock = source_type::kClock;
inline constexpr int kTextField = source_type::kTextField;
inline constexpr int kLinkedObject = source_type::kLinkedObject;
inline constexpr int kGraph = source_type::kGraph;
}  // namespace link_kind

struct ShapeLink {
  int kind = link_kind::kNone;
  std::string connection;   // tag number ("01"): text fields, linked objects, charts
  std::string column;       // text fields, linked objects
  double row = 0;           // from 1
  std::string date_format;  // clocks: General Date, Long Date, Short Date, Long Time, Short Time
  std::string folder;       // linked objects: put before the value
  std::string extension;    // linked objects: put after the value, with its dot
};

// What is wrong with the link itself (no connection for a data link, a row below 1, an unknown
// clock format); empty text when nothing is.
std::string LinkProblem(const ShapeLink& link);

// What keeps `shape` from taking the link (a text link on a shape without text, an object link
// on a shape that is no linked picture or object, a chart link on a shape that is no chart);
// empty text when nothing does. `name` is how the user named the shape.
std::string ShapeLinkProblem(host::Shape& shape, const ShapeLink& link, const std::string& name);

// The presentation's connections as its tags define them; each is opened (as the page's column
// list opens it) the first time a link asks for one of its columns.
class LinkConnections {
 public:
  LinkConnections(Context& ctx, host::Presentation& presentation);
  ~LinkConnections();
  LinkConnections(const LinkConnections&) = delete;
  LinkConnections& operator=(const LinkConnections&) = delete;

  // What is wrong with the link's connection or column: no such connection, or a readable
  // connection without the column. Takes the column's name as the data spells it. Data that
  // cannot be read is a warning only (the file may be missing or the server down while the
  // author works): the column stays unchecked.
  std::string Check(ShapeLink& link, std::ostream& warnings);
  Context& context() const { return ctx_; }
  // The connection of that tag number, or null.
  clsConnection* Find(const std::string& number) const;
  // Whether the connection was opened and delivered columns.
  bool Readable(const std::string& number) const;

 private:
  Context& ctx_;
  std::vector<std::unique_ptr<clsConnection>> connections_;
  std::map<std::string, bool> readable_;  // by tag number, once opened
};

// Writes the link's tags to the shape of slide `slide_index` and shows what it shows now: the
// current value when its connection is readable, the clock text, or nothing once unlinked.
void LinkShape(host::Presentation& presentation, int slide_index, host::Shape& shape,
               const ShapeLink& link, const LinkConnections& connections, std::ostream& warnings);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_LINK_SHAPE_H_

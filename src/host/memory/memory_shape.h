// One shape of an in-memory slide, with the parts the add-in drives: the text of its text frame,
// the link of a linked object, picture or media clip, and the OLE object of an embedded object
// (a chart when its programmatic identifier begins with "MSGraph.Chart").
#ifndef VINTREL_HOST_MEMORY_MEMORY_SHAPE_H_
#define VINTREL_HOST_MEMORY_MEMORY_SHAPE_H_

#include <memory>
#include <string>
#include <vector>

#include "host/memory/memory_graph_chart.h"
#include "host/memory/memory_object.h"
#include "host/memory/memory_tags.h"
#include "host/shapes.h"

namespace vintrel::host::memory {

class MemoryShapes;

// The text is kept exactly as written; every write through the interface is counted, so a test
// can tell "written with the same text" from "not written".
class MemoryTextRange : public host::TextRange, public MemoryObject {
 public:
  MemoryTextRange(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  std::string Text() const override;
  void SetText(const std::string& text) override;

  const std::string& text() const { return text_; }
  void set_text(std::string text) { text_ = std::move(text); }  // set-up, not counted
  int write_count() const { return write_count_; }

 private:
  std::string text_;
  int write_count_ = 0;
};

class MemoryTextFrame : public host::TextFrame, public MemoryObject {
 public:
  MemoryTextFrame(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner), range_(document, this) {}

  host::TextRange& TextRange() override;
  MemoryTextRange& range() { return range_; }
  const MemoryTextRange& range() const { return range_; }

 private:
  MemoryTextRange range_;
};

class MemoryLinkFormat : public host::LinkFormat, public MemoryObject {
 public:
  MemoryLinkFormat(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  std::string SourceFullName() const override;
  void SetSourceFullName(const std::string& path) override;
  // Fails for a mode other than manual or automatic.
  int AutoUpdate() const override;
  void SetAutoUpdate(int mode) override;
  void Update() override;

  const std::string& source() const { return source_; }
  int auto_update() const { return auto_update_; }
  // Set-up, not counted.
  void set_source(std::string path) { source_ = std::move(path); }
  void set_auto_update(int mode) { auto_update_ = mode; }
  int update_count() const { return update_count_; }
  // Every source written through SetSourceFullName, in order.
  const std::vector<std::string>& source_writes() const { return source_writes_; }

 private:
  std::string source_;
  int auto_update_ = link_update::kManual;
  int update_count_ = 0;
  std::vector<std::string> source_writes_;
};

class MemoryOleFormat : public host::OLEFormat, public MemoryObject {
 public:
  MemoryOleFormat(DocumentState* document, const MemoryObject* owner, std::string prog_id);

  std::string ProgID() const override;
  // The chart of a "MSGraph.Chart..." object; fails for any other object.
  host::GraphChart& Object() override;

  const std::string& prog_id() const { return prog_id_; }
  MemoryGraphChart* chart() { return chart_.get(); }

 private:
  std::string prog_id_;
  std::unique_ptr<MemoryGraphChart> chart_;
};

class MemoryShape : public host::Shape, public MemoryObject {
 public:
  // Use MemorySlide's Add... helpers (or MemoryShapes::Add) rather than this.
  MemoryShape(MemoryShapes& shapes, int type, std::string name);
  ~MemoryShape() override;

  int Type() const override;
  int ZOrderPosition() const override;
  // Fails for commands other than the four z_order ones.
  void ZOrder(int command) override;
  std::string Name() const override;
  void SetName(const std::string& name) override;
  bool HasTextFrame() const override;
  host::TextFrame& TextFrame() override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  double Left() const override;
  double Top() const override;
  double Width() const override;
  double Height() const override;
  void SetLeft(double value) override;
  void SetTop(double value) override;
  void SetWidth(double value) override;
  void SetHeight(double value) override;
  // Moves the shape out of the slide; later shapes move down one position. The object stays in
  // memory but every further call on it fails.
  void Delete() override;
  host::Tags& Tags() override;
  host::OLEFormat& OLEFormat() override;
  host::LinkFormat& LinkFormat() override;

  // Set-up for tests. Chainable; nothing here counts as a host call or a change.
  MemoryShape& WithText(std::string text);  // gives the shape a text frame
  MemoryShape& WithoutTextFrame();
  MemoryShape& WithTag(std::string_view name, std::string_view value);
  // A link only fits linked objects, linked pictures and media clips; fails for other types.
  MemoryShape& WithLink(std::string source, int auto_update = link_update::kManual);
  // An OLE object only fits embedded and linked OLE objects; fails for other types.
  MemoryShape& WithProgId(std::string prog_id);
  MemoryShape& WithBounds(double left, double top, double width, double height);
  MemoryShape& WithVisible(bool visible);
  MemoryShape& WithPictureFile(std::string file);

  // Inspection for tests, never failing on a deleted shape and never counted.
  int type() const { return type_; }
  const std::string& name() const { return name_; }
  bool visible() const { return visible_; }
  double left() const { return left_; }
  double top() const { return top_; }
  double width() const { return width_; }
  double height() const { return height_; }
  bool deleted() const { return !Exists(); }
  bool has_text_frame() const { return text_frame_ != nullptr; }
  // Text of the text frame; empty without one.
  std::string text() const;
  // Writes of the text through the host interface.
  int text_write_count() const;
  MemoryTextRange* text_range() { return text_frame_ ? &text_frame_->range() : nullptr; }
  MemoryTags& tags() { return tags_; }
  const MemoryTags& tags() const { return tags_; }
  MemoryLinkFormat* link() { return link_.get(); }
  MemoryOleFormat* ole() { return ole_.get(); }
  // The data sheet owner of a chart; null for other shapes.
  MemoryGraphChart* chart() { return ole_ ? ole_->chart() : nullptr; }
  // The file a picture was made from (AddPicture), empty otherwise.
  const std::string& picture_file() const { return picture_file_; }
  // Position in the slide (1 = back); 0 once deleted.
  int position() const;
  MemoryShapes& shapes() const { return shapes_; }

  // A copy of everything but the call counts, for `target` (another slide, or a copied file).
  std::unique_ptr<MemoryShape> CloneInto(MemoryShapes& target) const;

 private:
  friend class MemoryShapes;

  MemoryShapes& shapes_;
  int type_;
  std::string name_;
  bool visible_ = true;
  double left_ = 0;
  double top_ = 0;
  double width_ = 100;
  double height_ = 50;
  std::string picture_file_;
  MemoryTags tags_;
  std::unique_ptr<MemoryTextFrame> text_frame_;
  std::unique_ptr<MemoryLinkFormat> link_;
  std::unique_ptr<MemoryOleFormat> ole_;
};

// The prefix of a chart object's programmatic identifier.
inline constexpr char kGraphChartProgIdPrefix[] = "MSGraph.Chart";

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SHAPE_H_

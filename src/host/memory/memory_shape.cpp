#include "host/memory/memory_shape.h"

#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"
#include "host/memory/memory_shapes.h"

namespace vintrel::host::memory {

namespace {

bool TakesLink(int type) {
  return type == shape_type::kLinkedOleObject || type == shape_type::kLinkedPicture ||
         type == shape_type::kMedia;
}

bool TakesOleObject(int type) {
  return type == shape_type::kEmbeddedOleObject || type == shape_type::kLinkedOleObject ||
         type == shape_type::kOleControlObject;
}

bool HasTextFrameByDefault(int type) {
  return type == shape_type::kAutoShape || type == shape_type::kPlaceholder ||
         type == shape_type::kTextBox;
}

}  // namespace

std::string MemoryTextRange::Text() const {
  Enter("TextRange.Text");
  return text_;
}

void MemoryTextRange::SetText(const std::string& text) {
  Enter("TextRange.SetText");
  text_ = text;
  ++write_count_;
  MarkChanged();
}

host::TextRange& MemoryTextFrame::TextRange() {
  Enter("TextFrame.TextRange");
  return range_;
}

std::string MemoryLinkFormat::SourceFullName() const {
  Enter("LinkFormat.SourceFullName");
  return source_;
}

void MemoryLinkFormat::SetSourceFullName(const std::string& path) {
  Enter("LinkFormat.SetSourceFullName");
  source_ = path;
  source_writes_.push_back(path);
  MarkChanged();
}

int MemoryLinkFormat::AutoUpdate() const {
  Enter("LinkFormat.AutoUpdate");
  return auto_update_;
}

void MemoryLinkFormat::SetAutoUpdate(int mode) {
  Enter("LinkFormat.SetAutoUpdate");
  if (mode != link_update::kManual && mode != link_update::kAutomatic) {
    FailHostCall(kErrInvalidArgument, "LinkFormat.SetAutoUpdate", "no such update mode");
  }
  auto_update_ = mode;
  MarkChanged();
}

void MemoryLinkFormat::Update() {
  Enter("LinkFormat.Update");
  ++update_count_;
}

MemoryOleFormat::MemoryOleFormat(DocumentState* document, const MemoryObject* owner,
                                 std::string prog_id)
    : MemoryObject(document, owner), prog_id_(std::move(prog_id)) {
  if (prog_id_.starts_with(kGraphChartProgIdPrefix)) {
    chart_ = std::make_unique<MemoryGraphChart>(document, this);
  }
}

std::string MemoryOleFormat::ProgID() const {
  Enter("OLEFormat.ProgID");
  return prog_id_;
}

host::GraphChart& MemoryOleFormat::Object() {
  Enter("OLEFormat.Object");
  if (!chart_) FailHostCall(kErrUnspecified, "OLEFormat.Object", "the object cannot be driven");
  return *chart_;
}

MemoryShape::MemoryShape(MemoryShapes& shapes, int type, std::string name)
    : MemoryObject(shapes.document(), &shapes),
      shapes_(shapes),
      type_(type),
      name_(std::move(name)),
      tags_(shapes.document(), this) {
  if (HasTextFrameByDefault(type)) {
    text_frame_ = std::make_unique<MemoryTextFrame>(document(), this);
  }
  if (type == shape_type::kLinkedOleObject || type == shape_type::kLinkedPicture) {
    link_ = std::make_unique<MemoryLinkFormat>(document(), this);
  }
  if (TakesOleObject(type)) ole_ = std::make_unique<MemoryOleFormat>(document(), this, "");
}

MemoryShape::~MemoryShape() = default;

int MemoryShape::Type() const {
  Enter("Shape.Type");
  return type_;
}

int MemoryShape::ZOrderPosition() const {
  Enter("Shape.ZOrderPosition");
  return shapes_.PositionOf(*this);
}

void MemoryShape::ZOrder(int command) {
  Enter("Shape.ZOrder");
  shapes_.Reorder(*this, command);
  MarkChanged();
}

std::string MemoryShape::Name() const {
  Enter("Shape.Name");
  return name_;
}

void MemoryShape::SetName(const std::string& name) {
  Enter("Shape.SetName");
  name_ = name;
  MarkChanged();
}

bool MemoryShape::HasTextFrame() const {
  Enter("Shape.HasTextFrame");
  return text_frame_ != nullptr;
}

host::TextFrame& MemoryShape::TextFrame() {
  Enter("Shape.TextFrame");
  if (!text_frame_) FailHostCall(kErrUnspecified, "Shape.TextFrame", "the shape has no text frame");
  return *text_frame_;
}

bool MemoryShape::Visible() const {
  Enter("Shape.Visible");
  return visible_;
}

void MemoryShape::SetVisible(bool visible) {
  Enter("Shape.SetVisible");
  visible_ = visible;
  MarkChanged();
}

double MemoryShape::Left() const {
  Enter("Shape.Left");
  return left_;
}

double MemoryShape::Top() const {
  Enter("Shape.Top");
  return top_;
}

double MemoryShape::Width() const {
  Enter("Shape.Width");
  return width_;
}

double MemoryShape::Height() const {
  Enter("Shape.Height");
  return height_;
}

void MemoryShape::SetLeft(double value) {
  Enter("Shape.SetLeft");
  left_ = value;
  MarkChanged();
}

void MemoryShape::SetTop(double value) {
  Enter("Shape.SetTop");
  top_ = value;
  MarkChanged();
}

void MemoryShape::SetWidth(double value) {
  Enter("Shape.SetWidth");
  if (value < 0) FailHostCall(kErrInvalidArgument, "Shape.SetWidth", "negative width");
  width_ = value;
  MarkChanged();
}

void MemoryShape::SetHeight(double value) {
  Enter("Shape.SetHeight");
  if (value < 0) FailHostCall(kErrInvalidArgument, "Shape.SetHeight", "negative height");
  height_ = value;
  MarkChanged();
}

void MemoryShape::Delete() {
  Enter("Shape.Delete");
  MarkChanged();
  shapes_.Remove(*this);  // last: this moves the shape out of the slide
}

host::Tags& MemoryShape::Tags() {
  Enter("Shape.Tags");
  return tags_;
}

host::OLEFormat& MemoryShape::OLEFormat() {
  Enter("Shape.OLEFormat");
  if (!ole_) FailHostCall(kErrUnspecified, "Shape.OLEFormat", "the shape holds no OLE object");
  return *ole_;
}

host::LinkFormat& MemoryShape::LinkFormat() {
  Enter("Shape.LinkFormat");
  if (!link_) FailHostCall(kErrUnspecified, "Shape.LinkFormat", "the shape is not linked");
  return *link_;
}

MemoryShape& MemoryShape::WithText(std::string text) {
  if (!text_frame_) text_frame_ = std::make_unique<MemoryTextFrame>(document(), this);
  text_frame_->range().set_text(std::move(text));
  return *this;
}

MemoryShape& MemoryShape::WithoutTextFrame() {
  text_frame_.reset();
  return *this;
}

MemoryShape& MemoryShape::WithTag(std::string_view name, std::string_view value) {
  tags_.Put(name, value);
  return *this;
}

MemoryShape& MemoryShape::WithLink(std::string source, int auto_update) {
  if (!TakesLink(type_))
    FailHostCall(kErrInvalidArgument, "WithLink", "this type of shape has no link");
  if (!link_) link_ = std::make_unique<MemoryLinkFormat>(document(), this);
  link_->set_source(std::move(source));
  link_->set_auto_update(auto_update);
  return *this;
}

MemoryShape& MemoryShape::WithProgId(std::string prog_id) {
  if (!TakesOleObject(type_)) {
    FailHostCall(kErrInvalidArgument, "WithProgId", "this type of shape holds no OLE object");
  }
  ole_ = std::make_unique<MemoryOleFormat>(document(), this, std::move(prog_id));
  return *this;
}

MemoryShape& MemoryShape::WithBounds(double left, double top, double width, double height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  return *this;
}

MemoryShape& MemoryShape::WithVisible(bool visible) {
  visible_ = visible;
  return *this;
}

MemoryShape& MemoryShape::WithPictureFile(std::string file) {
  picture_file_ = std::move(file);
  return *this;
}

std::string MemoryShape::text() const {
  return text_frame_ ? text_frame_->range().text() : "";
}

int MemoryShape::text_write_count() const {
  return text_frame_ ? text_frame_->range().write_count() : 0;
}

int MemoryShape::position() const {
  return shapes_.PositionOf(*this);
}

std::unique_ptr<MemoryShape> MemoryShape::CloneInto(MemoryShapes& target) const {
  auto copy = std::make_unique<MemoryShape>(target, type_, name_);
  copy->WithBounds(left_, top_, width_, height_).WithVisible(visible_);
  copy->picture_file_ = picture_file_;
  copy->tags_.CopyFrom(tags_);
  if (text_frame_) {
    copy->WithText(text_frame_->range().text());
  } else {
    copy->text_frame_.reset();
  }
  if (link_) copy->WithLink(link_->source(), link_->auto_update());
  if (ole_) {
    copy->WithProgId(ole_->prog_id());
    if (ole_->chart() != nullptr) copy->chart()->sheet().CopyFrom(ole_->chart()->sheet());
  }
  return copy;
}

}  // namespace vintrel::host::memory

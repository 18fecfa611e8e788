// clsshape: reads the link tags of one host shape into fields, takes the new values a dialog
// chose, and writes back exactly the tags that were given. Created, used and dropped within one
// operation of its caller.
#ifndef VINTREL_DOCUMENT_SHAPE_H_
#define VINTREL_DOCUMENT_SHAPE_H_

#include <array>
#include <string>
#include <string_view>

#include "host/shapes.h"

namespace vintrel {

class clsPresentation;

// A new text value that was not given.
inline constexpr std::string_view kNotGiven = "-1";
// A new row that was not given.
inline constexpr double kRowNotGiven = -1;

class clsshape {
 public:
  // Kept for callers that need the presentation; not owned.
  void SetActivePresentation(clsPresentation* presentation) { active_presentation_ = presentation; }
  clsPresentation* ActivePresentation() const { return active_presentation_; }
  // Forgets every value, then reads the shape's tags; when several tags have the same name
  // beginning, the last one wins. A failure raises error 9 ("Error setting shape information.").
  void SetShapeItem(host::Shape& shape);
  host::Shape* ShapeItem() const { return shape_; }
  // The shape carries link tags, or new link data has been given.
  bool VintrelEnabled() const { return vintrel_enabled_; }
  // The new source type when one was given (not 0), else the stored one.
  int SourceType() const { return new_source_type_ != 0 ? new_source_type_ : source_type_; }
  const std::string& ConnectionTagNumber() const { return Stored(kTag); }
  const std::string& ColumnName() const { return Stored(kColumnName); }
  double Row() const { return row_; }
  const std::string& DateFormat() const { return Stored(kDateFormat); }
  const std::string& ObjectFolder() const { return Stored(kObjectFolder); }
  const std::string& ObjectExtension() const { return Stored(kObjectExtension); }

  void SetSourceType(int type);
  // Each sets VintrelEnabled when the text is neither empty nor kNotGiven.
  void SetNewConnectionTagNumber(std::string_view text) { SetNew(kTag, text); }
  void SetNewColumnName(std::string_view text) { SetNew(kColumnName, text); }
  // Sets VintrelEnabled when the row is greater than 0.
  void SetNewRow(double row);
  void SetNewDateFormat(std::string_view text) { SetNew(kDateFormat, text); }
  void SetNewObjectFolder(std::string_view text) { SetNew(kObjectFolder, text); }
  void SetNewObjectExtension(std::string_view text) { SetNew(kObjectExtension, text); }

  // Rewrites the type tag always and the other tags of the source type only where a new value
  // was given; a tag whose value was not given stays on the shape as it was. New values are
  // consumed. A failure raises error 10 ("Error saving shape tags. \r\n<description>"); tags
  // written before it stay.
  void SetShapeTags();
  // Deletes the type tag and every link tag that carries a value (a row above 0); empty values
  // and a row of 0 stay. Failures are passed over.
  void RemoveVintrel();

 private:
  // The text fields, in the order their tags are written.
  enum TextField { kTag, kColumnName, kDateFormat, kObjectFolder, kObjectExtension, kTextFields };
  struct Value {
    std::string stored;
    std::string given{kNotGiven};
  };

  const std::string& Stored(TextField field) const { return values_[field].stored; }
  void SetNew(TextField field, std::string_view text);
  void Reset();
  void ReadTags();
  // `use_new_values` false deletes as though nothing new was given.
  void DeleteShapeTags(bool use_new_values = true);
  void WriteText(TextField field);
  void WriteRow();

  clsPresentation* active_presentation_ = nullptr;
  host::Shape* shape_ = nullptr;
  int source_type_ = 0;
  int new_source_type_ = 0;
  double row_ = 0;
  double new_row_ = kRowNotGiven;
  std::array<Value, kTextFields> values_;
  bool vintrel_enabled_ = false;
};

}  // namespace vintrel

#endif  // VINTREL_DOCUMENT_SHAPE_H_

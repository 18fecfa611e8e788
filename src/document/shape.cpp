#include "document/shape.h"

#include "document/tag_schema.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsshape";

// The tag of each text field, in clsshape's TextField order.
constexpr std::array<std::string_view, 5> kTextTags = {
    tag::kColumnTag, tag::kColumnColumnName, tag::kColumnDateFormat, tag::kColumnObjectFolder,
    tag::kColumnObjectExtension};

// A value the host's conversions refuse.
[[noreturn]] void TypeMismatch() {
  throw Error(kErrTypeMismatch, kSource, "Type mismatch");
}

}  // namespace

void clsshape::Reset() {
  source_type_ = 0;
  new_source_type_ = 0;
  row_ = 0;
  new_row_ = kRowNotGiven;
  values_ = {};
  vintrel_enabled_ = false;
}

void clsshape::SetShapeItem(host::Shape& shape) {
  Reset();
  shape_ = &shape;
  try {
    ReadTags();
  } catch (...) {
    // Whoever catches the raised error remembers and reports it.
    RaiseError(ErrorCode::kSettingShapeInformation, kSource);
  }
}

void clsshape::ReadTags() {
  host::Tags& tags = shape_->Tags();
  const int count = tags.Count();
  for (int index = 1; index <= count; ++index) {
    const std::string name = tags.Name(index);
    if (HasTagPrefix(name, tag::kColumnType)) {
      const std::optional<long> type = ParseWholeNumber(tags.Value(index));
      if (!type) TypeMismatch();
      source_type_ = static_cast<int>(*type);
    } else if (HasTagPrefix(name, tag::kColumnTag)) {
      values_[kTag].stored = tags.Value(index);
    } else if (HasTagPrefix(name, tag::kColumnColumnName)) {
      values_[kColumnName].stored = tags.Value(index);
    } else if (HasTagPrefix(name, tag::kColumnRow)) {
      const std::optional<double> row = ParseNumber(tags.Value(index));
      if (!row) TypeMismatch();
      row_ = *row;
    } else if (HasTagPrefix(name, tag::kColumnDateFormat)) {
      values_[kDateFormat].stored = tags.Value(index);
    } else if (HasTagPrefix(name, tag::kColumnObjectFolder)) {
      values_[kObjectFolder].stored = tags.Value(index);
    } else if (HasTagPrefix(name, tag::kColumnObjectExtension)) {
      values_[kObjectExtension].stored = tags.Value(index);
    } else {
      continue;
    }
    vintrel_enabled_ = true;
  }
}

void clsshape::SetSourceType(int type) {
  new_source_type_ = type;
  vintrel_enabled_ = true;
}

void clsshape::SetNew(TextField field, std::string_view text) {
  values_[field].given = std::string(text);
  if (!text.empty() && text != kNotGiven) vintrel_enabled_ = true;
}

void clsshape::SetNewRow(double row) {
  new_row_ = row;
  if (row > 0) vintrel_enabled_ = true;
}

void clsshape::SetShapeTags() {
  try {
    if (shape_ == nullptr) {
      throw Error(kErrObjectNotSet, kSource, "Object variable or With block variable not set");
    }
    if (new_source_type_ == -1) source_type_ = 0;
    // A value that was not given is forgotten here, so that it is neither deleted nor written
    // below: its tag stays on the shape untouched.
    for (Value& value : values_) {
      if (value.given == kNotGiven) value.stored.clear();
    }
    if (new_row_ == kRowNotGiven) row_ = 0;

    source_type_ = 0;
    DeleteShapeTags();
    host::Tags& tags = shape_->Tags();
    tags.Add(tag::kColumnType, FormatWholeNumber(new_source_type_));
    source_type_ = new_source_type_;
    new_source_type_ = 0;

    switch (source_type_) {
      case source_type::kClock:
        WriteText(kDateFormat);
        break;
      case source_type::kTextField:
        WriteText(kTag);
        WriteText(kColumnName);
        WriteRow();
        break;
      case source_type::kLinkedObject:
        WriteText(kTag);
        WriteText(kColumnName);
        WriteRow();
        WriteText(kObjectFolder);
        WriteText(kObjectExtension);
        break;
      case source_type::kGraph:
        WriteText(kTag);
        break;
      default:
        break;
    }
  } catch (...) {
    const Error failure = CurrentFailure();
    RaiseError(ErrorCode::kSavingShapeTags, kSource, {failure.description()});
  }
}

void clsshape::WriteText(TextField field) {
  Value& value = values_[field];
  if (value.given != kNotGiven) {
    shape_->Tags().Add(kTextTags[field], value.given);
    value.stored = value.given;
    value.given = std::string(kNotGiven);
  } else if (!value.stored.empty()) {
    shape_->Tags().Add(kTextTags[field], value.stored);
  }
}

void clsshape::WriteRow() {
  if (new_row_ == kRowNotGiven) {
    if (row_ > 0) shape_->Tags().Add(tag::kColumnRow, FormatNumber(row_));
  } else {
    shape_->Tags().Add(tag::kColumnRow, FormatNumber(new_row_));
    row_ = new_row_;
    new_row_ = kRowNotGiven;
  }
}

void clsshape::DeleteShapeTags(bool use_new_values) {
  if (shape_ == nullptr) return;
  const auto text_goes = [&](TextField field) {
    const Value& value = values_[field];
    if (use_new_values && value.given != kNotGiven) return true;
    return !value.stored.empty();
  };
  const bool row_goes = (use_new_values && new_row_ != kRowNotGiven) || row_ > 0;

  int count = 0;
  if (!SkipFailure([&] { count = shape_->Tags().Count(); })) return;
  for (int index = count; index >= 1; --index) {
    SkipFailure([&] {
      host::Tags& tags = shape_->Tags();
      const std::string name = tags.Name(index);
      bool goes = false;
      if (HasTagPrefix(name, tag::kColumnType)) {
        goes = true;
      } else if (HasTagPrefix(name, tag::kColumnRow)) {
        goes = row_goes;
      } else {
        for (int field = 0; field < kTextFields; ++field) {
          if (HasTagPrefix(name, kTextTags[field])) {
            goes = text_goes(static_cast<TextField>(field));
            break;
          }
        }
      }
      if (goes) tags.Delete(name);
    });
  }
}

void clsshape::RemoveVintrel() {
  DeleteShapeTags(/*use_new_values=*/false);
}

}  // namespace vintrel

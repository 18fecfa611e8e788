#include "document/slide.h"

#include <vector>

#include "support/error_codes.h"
#include "support/failure_handling.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsSlide";

[[noreturn]] void TypeMismatch() {
  throw Error(kErrTypeMismatch, kSource, "Type mismatch");
}
[[noreturn]] void OutOfRange() {
  throw Error(kErrSubscriptOutOfRange, kSource, "Subscript out of range");
}

long WholeNumber(std::string_view text) {
  const std::optional<long> number = ParseWholeNumber(text);
  if (!number) TypeMismatch();
  return *number;
}

// The check box states are small whole numbers (16 bits), as the slide dialog keeps them.
int SmallWholeNumber(std::string_view text) {
  const long number = WholeNumber(text);
  if (number < -32768 || number > 32767) throw Error(6, kSource, "Overflow");
  return static_cast<int>(number);
}

const std::string& Field(const std::vector<std::string>& fields, size_t position) {
  if (position >= fields.size()) OutOfRange();
  return fields[position];
}

}  // namespace

void clsSlide::SetTagString(std::string_view text) {
  try {
    const std::vector<std::string> fields = SplitFields(text);
    hide_when_no_data_ = SmallWholeNumber(Field(fields, 0));
    refresh_linked_objects_ = fields.size() == 2 ? 0 : SmallWholeNumber(Field(fields, 1));
  } catch (...) {
    // Whoever catches the raised error remembers and reports it.
    RaiseError(ErrorCode::kSettingConnectionTag, kSource);
  }
}

std::string clsSlide::TagString() const {
  return JoinFields(
      {FormatWholeNumber(hide_when_no_data_), FormatWholeNumber(refresh_linked_objects_)},
      /*trailing_tab=*/true);
}

void clsSlide::AddScrollInfo(std::string_view tag, std::string_view info) {
  const std::vector<std::string> fields = SplitFields(info);
  const std::optional<bool> enabled = ParseBoolean(Field(fields, 0));
  if (!enabled) TypeMismatch();
  SetScrollEnabled(tag, *enabled);
  SetScrollStep(tag, WholeNumber(Field(fields, 1)));
  SetScrollTime(tag, WholeNumber(Field(fields, 2)));
}

int clsSlide::Index(std::string_view tag_number) {
  const std::optional<long> number = ScrollNumber(tag_number);
  if (!number) TypeMismatch();
  if (*number < 0 || *number >= kScrollEntries) OutOfRange();
  return static_cast<int>(*number);
}

bool clsSlide::ScrollEnabled(std::string_view tag_number) const {
  return scroll_enabled_[Index(tag_number)];
}

long clsSlide::ScrollStep(std::string_view tag_number) const {
  return scroll_step_[Index(tag_number)];
}

long clsSlide::ScrollTime(std::string_view tag_number) const {
  return scroll_time_[Index(tag_number)];
}

void clsSlide::SetScrollEnabled(std::string_view tag_number, bool enabled) {
  scroll_enabled_[Index(tag_number)] = enabled;
}

void clsSlide::SetScrollStep(std::string_view tag_number, long step) {
  scroll_step_[Index(tag_number)] = step;
}

void clsSlide::SetScrollTime(std::string_view tag_number, long time) {
  scroll_time_[Index(tag_number)] = time;
}

bool SlideScrollEnabled(host::Slide& slide, std::string_view connection_tag_number) {
  try {
    clsSlide settings;
    host::Tags& tags = slide.Tags();
    const int count = tags.Count();
    for (int index = 1; index <= count; ++index) {
      const std::string name = tags.Name(index);
      if (HasTagPrefix(name, tag::kScrollStep)) {
        settings.AddScrollInfo(TagNumber(name, tag::kScrollStep), tags.Value(index));
      }
    }
    return settings.ScrollEnabled(connection_tag_number);
  } catch (...) {
    return false;
  }
}

void WriteSlideTags(host::Tags& slide_tags, const clsSlide& settings) {
  DeleteTagsWithPrefix(slide_tags, tag::kSlideProperties);
  DeleteTagsWithPrefix(slide_tags, tag::kScrollStep);
  slide_tags.Add(tag::kSlideProperties, settings.TagString());
  for (int number = 1; number <= kHighestScrollTagNumber; ++number) {
    const std::string text = std::to_string(number);
    if (settings.ScrollTime(text) >= 1) {
      slide_tags.Add(ScrollTagName(number),
                     ScrollValue(settings.ScrollEnabled(text), settings.ScrollStep(text),
                                 settings.ScrollTime(text)));
    }
  }
}

}  // namespace vintrel

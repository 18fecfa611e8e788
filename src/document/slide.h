// clsSlide: one slide's settings (hide when no data, refresh linked objects, and per connection
// the scroll settings) and their conversion to and from the slide tag values.
#ifndef VINTREL_DOCUMENT_SLIDE_H_
#define VINTREL_DOCUMENT_SLIDE_H_

#include <array>
#include <string>
#include <string_view>

#include "document/tag_schema.h"
#include "host/slides.h"

namespace vintrel {

class clsSlide {
 public:
  // The slide properties value: hide-when-no-data, TAB, refresh-linked-objects, TAB. The older
  // one-field form ("1" and a TAB) reads refresh-linked-objects as 0. A value that does not read
  // raises error 1 ("Error setting connection tag.").
  void SetTagString(std::string_view text);
  std::string TagString() const;
  // Takes one scroll tag: `tag` is the number after "QUENDRA SCROLLSTEP", `info` its value.
  void AddScrollInfo(std::string_view tag, std::string_view info);

  // Every tag number is converted to a whole number first, so "03" and "3" address the same
  // settings. A number outside 0 to 99 fails with the host's "Subscript out of range" (9), a text
  // that is no number with "Type mismatch" (13).
  bool ScrollEnabled(std::string_view tag_number) const;
  long ScrollStep(std::string_view tag_number) const;
  long ScrollTime(std::string_view tag_number) const;
  void SetScrollEnabled(std::string_view tag_number, bool enabled);
  void SetScrollStep(std::string_view tag_number, long step);
  void SetScrollTime(std::string_view tag_number, long time);

  // Check box states: 0 off, 1 on.
  void SetHideWhenNoData(int value) { hide_when_no_data_ = value; }
  int HideWhenNoData() const { return hide_when_no_data_; }
  void SetRefreshLinkedObjects(int value) { refresh_linked_objects_ = value; }
  int RefreshLinkedObjects() const { return refresh_linked_objects_; }
  // Kept for callers; nothing here depends on it.
  void SetDesignMode(bool value) { design_mode_ = value; }
  bool DesignMode() const { return design_mode_; }

 private:
  static int Index(std::string_view tag_number);

  int hide_when_no_data_ = 0;
  int refresh_linked_objects_ = 0;
  bool design_mode_ = false;
  std::array<bool, kScrollEntries> scroll_enabled_{};
  std::array<long, kScrollEntries> scroll_step_{};
  std::array<long, kScrollEntries> scroll_time_{};
};

// Whether scrolling is enabled on `slide` for the connection `connection_tag_number`, from the
// slide's scroll tags read in tag order. Any failure gives false.
bool SlideScrollEnabled(host::Slide& slide, std::string_view connection_tag_number);

// Rewrites one slide's tags from its settings: the properties tag, and a scroll tag for every
// connection number from 1 to 99 whose step time is at least 1. The caller adds the version tag
// to the presentation first (EnsureVersionTag).
void WriteSlideTags(host::Tags& slide_tags, const clsSlide& settings);

}  // namespace vintrel

#endif  // VINTREL_DOCUMENT_SLIDE_H_

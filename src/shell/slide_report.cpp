#include "shell/slide_report.h"

#include <set>

#include "document/shape.h"
#include "document/slide.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "support/failure_handling.h"

namespace vintrel::shell {

SlideFacts DescribeSlide(host::Slide& slide) {
  SlideFacts facts;
  clsSlide settings;
  host::Tags& tags = slide.Tags();
  for (int index = 1; index <= tags.Count(); ++index) {
    const std::string name = tags.Name(index);
    try {
      if (HasTagPrefix(name, tag::kSlideProperties)) {
        settings.SetTagString(tags.Value(index));
      } else if (HasTagPrefix(name, tag::kScrollStep)) {
        settings.AddScrollInfo(TagNumber(name, tag::kScrollStep), tags.Value(index));
      }
    } catch (const Error& failure) {
      facts.warnings.push_back("tag " + name + " ignored: " + failure.description());
    }
  }
  facts.hide_when_no_data = settings.HideWhenNoData() != 0;
  facts.refresh_linked_objects = settings.RefreshLinkedObjects() != 0;
  for (int number = 1; number <= kHighestScrollTagNumber; ++number) {
    const std::string text = std::to_string(number);
    if (settings.ScrollTime(text) < 1) continue;
    facts.scrolls.push_back({number, settings.ScrollEnabled(text), settings.ScrollStep(text),
                             settings.ScrollTime(text)});
  }
  return facts;
}

std::vector<std::string> ConnectionsShownOnSlide(host::Slide& slide,
                                                 const std::vector<std::string>& numbers) {
  std::set<long> shown;
  SkipFailure([&] {
    host::Shapes& shapes = slide.Shapes();
    for (int index = 1; index <= shapes.Count(); ++index) {
      SkipFailure([&] {
        clsshape shape;
        shape.SetShapeItem(shapes.Item(index));
        const int type = shape.SourceType();
        const bool data = (type == source_type::kTextField || type == source_type::kLinkedObject) &&
                          shape.Row() > 0 && !shape.ColumnName().empty();
        if (!shape.VintrelEnabled() || shape.ConnectionTagNumber().empty() ||
            (!data && type != source_type::kGraph)) {
          return;
        }
        if (const std::optional<long> number = ScrollNumber(shape.ConnectionTagNumber())) {
          shown.insert(*number);
        }
      });
    }
  });
  std::vector<std::string> listed;
  for (const std::string& number : numbers) {
    const std::optional<long> value = ScrollNumber(number);
    if (value && *value >= 0 && *value < kScrollEntries && shown.count(*value) != 0) {
      listed.push_back(number);
    }
  }
  return listed;
}

}  // namespace vintrel::shell

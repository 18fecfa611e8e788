// The off-line copy, worked out from the runtime model of an opened copy of the presentation:
// every scrolling slide becomes one slide per page of rows, every linked shape keeps the value
// of its page, slides without data that hide themselves go, linked pictures become embedded
// pictures and no add-in tag is left.
#include <cmath>

#include "connections/connection_paths.h"
#include "document/tag_schema.h"
#include "host/ascii.h"
#include "rendering/graph_fill.h"
#include "rendering/linked_object.h"
#include "runtime/runtime.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/progress_window.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsRuntime";
constexpr std::string_view kAddinTagPrefix = "QUENDRA";

bool IsLinkedFileShape(int type) {
  return type == host::shape_type::kLinkedPicture || type == host::shape_type::kLinkedOleObject;
}

void DeleteAddinTags(host::Tags& tags) {
  for (int i = tags.Count(); i >= 1; --i) {
    const std::string name = tags.Name(i);
    if (HasTagPrefix(name, kAddinTagPrefix)) tags.Delete(name);
  }
}

}  // namespace

int clsRuntime::OfflineCopies(int index) {
  host::Slide& slide = presentation_->Slides().Item(index + offline_added_);
  bool has_data = false;
  for (const auto& [number, connection] : connections_) {
    const int slot = ConnectionSlot(number);
    if (slot > 0 && model_.slide_connections[index][slot] && connection->RecordCount() > 0) {
      has_data = true;
    }
  }
  if (!has_data && model_.slides[index].HideWhenNoData) {
    offline_delete_[index] = true;
    return 0;
  }
  int copies = 1;
  LoadScrollInfo(slide);
  for (const auto& [number, connection] : connections_) {
    const int n = ConnectionSlot(number);
    if (n <= 0 || !model_.slide_connections[index][n] || !scroll_enabled_[n]) continue;
    const double records = connection->RecordCount();
    if (records <= 0 || scroll_step_[n] < 1) continue;
    if (scroll_step_[n] == 1) {
      // A ticker: one page per start row until the last shape shows the last row.
      const long highest = model_.highest_row[n];
      copies = records > highest ? static_cast<int>(records) - static_cast<int>(highest) + 1 : 1;
    } else {
      const int pages =
          static_cast<int>(records / static_cast<double>(scroll_step_[n]) + 0.9999999);
      if (pages > copies) copies = pages;
    }
  }
  return copies;
}

int clsRuntime::SlideCount(bool include_scroll_steps) {
  const int slides = model_.SlideCount();
  offline_delete_.assign(slides + 1, false);
  offline_copies_.assign(slides + 1, 1);
  offline_added_ = 0;
  if (presentation_ == nullptr) return 0;
  int count = 0;
  for (int s = 1; s <= slides; ++s) {
    offline_copies_[s] = OfflineCopies(s);
    if (offline_copies_[s] == 0) continue;
    count += include_scroll_steps ? offline_copies_[s] : 1;
  }
  return count;
}

void clsRuntime::FillOfflinePage(host::Slide& page, int index, int page_number,
                                 const std::string& source_name) {
  const std::string copy_name = presentation_->FullName();
  for (const clsRTShapeInfo& info : *model_.shapes[index]) {
    auto found = connections_.find(info.ConnectionTagNumber);
    if (found == connections_.end()) continue;
    clsConnection& connection = *found->second;
    // Connections that do not scroll on this slide show the same row on every page.
    const double step = info.IsScrolling ? info.ScrollStep : 0;
    const double row = std::nearbyint(step * (page_number - 1) + info.ScrollRow);
    host::Shape& shape = page.Shapes().Item(static_cast<int>(info.ShapeNumber));
    if (shape.HasTextFrame()) {
      std::string value = connection.GetValueDatabase(row, info.ColumnName, 1, false);
      // An empty frame would lose its formatting: empty values show one blank.
      if (value.empty()) value = " ";
      host::TextRange& text = shape.TextFrame().TextRange();
      if (text.Text() != value) text.SetText(value);
      continue;
    }
    const int type = shape.Type();
    if (!IsLinkedFileShape(type)) {
      if (info.SourceType == source_type::kGraph) {
        if (info.IsScrolling) {
          rendering::FillGraphRow(shape, connection, std::lround(row), false);
        } else {
          rendering::FillGraph(shape, connection, false);
        }
      }
      continue;
    }
    const std::string current =
        shape.Visible() ? UpperAscii(shape.LinkFormat().SourceFullName()) : std::string();
    const std::string value = connection.GetValueObject(row, info.ColumnName, info.ObjectFolder,
                                                        info.ObjectExtension, 1, false);
    // The copy lies in the temporary folder: names in the data are found beside the original.
    const std::string resolved = value.empty() ? value : ResolveConnectionPath(value, source_name);
    if (UpperAscii(resolved) != current) {
      bool defer_update = false;
      rendering::SetLinkedObjectSource(copy_name, page.SlideIndex(),
                                       static_cast<int>(info.ShapeNumber), resolved, true,
                                       defer_update);
    }
  }
}

void clsRuntime::SetPageTiming(host::Slide& slide, int index) {
  for (const clsRTShapeInfo& info : *model_.shapes[index]) {
    if (!info.IsScrolling) continue;
    host::SlideShowTransition& transition = slide.SlideShowTransition();
    transition.SetAdvanceOnClick(false);
    transition.SetAdvanceOnTime(true);
    transition.SetAdvanceTime(info.ScrollTime / 1000);
  }
}

void clsRuntime::ReplaceLinkedPicture(host::Slide& slide, host::Shape& shape) {
  if (shape.Type() != host::shape_type::kLinkedPicture) return;
  const std::string file = shape.LinkFormat().SourceFullName();
  const double height = shape.Height();
  const double width = shape.Width();
  const double top = shape.Top();
  const double left = shape.Left();
  const int depth = shape.ZOrderPosition();
  shape.Delete();
  host::Shape& picture = slide.Shapes().AddPicture(file, false, true, left, top, width, height);
  while (picture.ZOrderPosition() > depth) picture.ZOrder(host::z_order::kSendBackward);
}

void clsRuntime::CreateOfflinePPT(ProgressWindow& progress, const std::string& source_name) {
  const int slides = model_.SlideCount();
  SlideCount(true);
  const bool timed =
      presentation_->SlideShowSettings().AdvanceMode() != host::advance_mode::kManual;
  std::vector<host::Slide*> dropped;
  for (int s = 1; s <= slides; ++s) {
    host::Slide& slide = presentation_->Slides().Item(s + offline_added_);
    const int copies = offline_copies_[s];
    if (offline_delete_[s]) {
      dropped.push_back(&slide);
      continue;
    }
    bool scrolling = false;
    for (const clsRTShapeInfo& info : *model_.shapes[s]) scrolling = scrolling || info.IsScrolling;
    if (scrolling && copies >= 2) {
      // Each duplicate lands right after the slide, so making the last page first leaves the
      // pages in order.
      for (int k = copies; k >= 2; --k) {
        host::Slide& page = slide.Duplicate();
        if (timed) {
          SetPageTiming(slide, s);
          SetPageTiming(page, s);
        }
        FillOfflinePage(page, s, k, source_name);
        progress.Step();
      }
      offline_added_ += copies - 1;
    }
    FillOfflinePage(slide, s, 1, source_name);
    progress.Step();
  }
  WriteDebugLog(DebugLevel::kInformation, kSource,
                "Off-line pages filled, slides dropped: " + std::to_string(dropped.size()));
  for (host::Slide* slide : dropped) slide->Delete();

  host::Slides& all = presentation_->Slides();
  for (int s = 1; s <= all.Count(); ++s) {
    host::Slide& slide = all.Item(s);
    host::Shapes& shapes = slide.Shapes();
    for (int i = 1; i <= shapes.Count(); ++i) {
      host::Shape& shape = shapes.Item(i);
      const int type = shape.Type();
      if (type == host::shape_type::kLinkedOleObject) {
        SkipFailure([&] { shape.LinkFormat().SetAutoUpdate(host::link_update::kManual); });
      } else if (type == host::shape_type::kLinkedPicture && shape.Visible()) {
        ReplaceLinkedPicture(slide, shape);
      }
    }
  }

  progress.SetStatusText("Publishing slides");
  DeleteAddinTags(presentation_->Tags());
  for (int s = 1; s <= all.Count(); ++s) {
    host::Slide& slide = all.Item(s);
    DeleteAddinTags(slide.Tags());
    host::Shapes& shapes = slide.Shapes();
    for (int i = 1; i <= shapes.Count(); ++i) DeleteAddinTags(shapes.Item(i).Tags());
  }
}

}  // namespace vintrel

// The off-line copy, worked out from the runtime model of an opened copy of the presentation:
// every scrolling slide becomes one slide per page of rows, every linked shape keeps the value
// of its page, slides without data that hide themselves go, linked pictures become embedded
// pictures and no add-in tag is left. These are the runtime's off-line operations (declared
// with clsRuntime, which builds the model they work on); they live with the rest of the off-line
// copy.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "connections/connection_paths.h"
#include "document/tag_schema.h"
#include "host/common/ascii.h"
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

// Where the scrolling shapes of one connection start on one slide.
struct StartRows {
  long lowest = std::numeric_limits<long>::max();
  long highest = 0;
};
using StartRowTable = std::array<StartRows, kConnectionSlots>;

StartRowTable ScrollStartRows(const ShapeInfoList& infos) {
  StartRowTable starts;
  for (const clsRTShapeInfo& info : infos) {
    const int n = ConnectionSlot(info.ConnectionTagNumber);
    if (!info.IsScrolling || n <= 0) continue;
    const long row = std::lround(info.Row);
    starts[n].lowest = std::min(starts[n].lowest, row);
    starts[n].highest = std::max(starts[n].highest, row);
  }
  return starts;
}

double Records(const RuntimeConnections& connections, const std::string& number) {
  const auto found = connections.find(number);
  return found == connections.end() ? 0 : found->second->RecordCount();
}

// The rows the slide's shapes show on each page: page k is what the show puts on the screen
// after k - 1 scroll steps (every scrolling shape steps once a page). The stepping rules are the
// show's: a ticker past the last row goes back to the lowest starting row, pages of several rows
// start again together once every shape has run past the data, and data with no row beyond the
// highest starting row does not scroll.
std::vector<std::vector<double>> PageRows(const ShapeInfoList& infos, int pages,
                                          const RuntimeConnections& connections) {
  const StartRowTable starts = ScrollStartRows(infos);
  std::vector<double> rows;
  for (const clsRTShapeInfo& info : infos) rows.push_back(info.Row);
  std::vector<std::vector<double>> all = {rows};
  for (int page = 2; page <= pages; ++page) {
    bool wrap = true;
    for (size_t i = 0; i < infos.size(); ++i) {
      const clsRTShapeInfo& info = infos[i];
      if (!info.IsScrolling) continue;
      rows[i] += info.ScrollStep;
      const int n = ConnectionSlot(info.ConnectionTagNumber);
      if (rows[i] <= Records(connections, info.ConnectionTagNumber)) {
        wrap = false;
      } else if (info.ScrollStep == 1 && n > 0) {
        rows[i] = static_cast<double>(starts[n].lowest);
      }
    }
    for (size_t i = 0; i < infos.size(); ++i) {
      const clsRTShapeInfo& info = infos[i];
      if (!info.IsScrolling) continue;
      const int n = ConnectionSlot(info.ConnectionTagNumber);
      if ((wrap && info.ScrollStep != 1) ||
          (n > 0 && Records(connections, info.ConnectionTagNumber) <=
                        static_cast<double>(starts[n].highest))) {
        rows[i] = info.Row;
      }
    }
    all.push_back(rows);
  }
  return all;
}

// "'Logo' on slide 2: File not found: '/srv/logo.png'." The copy lies in the temporary folder: a
// file it names relative to itself is named as the user knows it, beside the original.
std::string KeptLinkedText(Context& ctx, host::Shape& shape, int slide, std::string why,
                           const std::string& copy_name, const std::string& source_name) {
  std::string name;
  std::string file;
  SkipFailure([&] {
    name = shape.Name();
    file = NativePath(ctx, shape.LinkFormat().SourceFullName());
  });
  const auto folder_of = [](const std::string& full_name) {
    return full_name.substr(0, full_name.find_last_of("/\\") + 1);
  };
  const std::string copy_folder = folder_of(copy_name);
  if (!copy_folder.empty() && file.rfind(copy_folder, 0) == 0) {
    const std::string original = folder_of(source_name) + file.substr(copy_folder.size());
    for (size_t at = why.find(file); at != std::string::npos; at = why.find(file, at + 1)) {
      why.replace(at, file.size(), original);
    }
  }
  return "'" + name + "' on slide " + std::to_string(slide) + ": " + why;
}

// One message names them all.
void WarnKeptLinked(Context& ctx, const std::vector<std::string>& pictures) {
  std::string text =
      "These linked pictures stay linked in the off-line presentation: their files could not be "
      "read.";
  for (const std::string& line : pictures) {
    text += "\n" + line;
    WriteDebugLog(ctx, DebugLevel::kError, kSource, "Linked picture kept: " + line);
  }
  ShowMessage(ctx, text, host::msg_box::kExclamation);
}

void DeleteAddinTags(host::Tags& tags) {
  for (int i = tags.Count(); i >= 1; --i) {
    const std::string name = tags.Name(i);
    if (HasTagPrefix(name, kAddinTagPrefix)) tags.Delete(name);
  }
}

}  // namespace

int clsRuntime::OfflineCopies(int index) {
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
  const ShapeInfoList& infos = *model_.shapes[index];
  const StartRowTable starts = ScrollStartRows(infos);
  std::array<bool, kConnectionSlots> counted{};
  int copies = 1;
  for (const clsRTShapeInfo& info : infos) {
    const int n = ConnectionSlot(info.ConnectionTagNumber);
    if (n <= 0 || !info.IsScrolling || counted[n] || info.ScrollStep < 1) continue;
    counted[n] = true;
    const double records = Records(connections_, info.ConnectionTagNumber);
    // Data with no row beyond the highest starting row does not scroll in the show either.
    if (records <= static_cast<double>(starts[n].highest)) continue;
    // A ticker ends when its shape of the highest starting row shows the last row; pages of
    // several rows end when the first shape has passed the last row.
    const int pages = info.ScrollStep == 1
                          ? static_cast<int>(records) - static_cast<int>(starts[n].highest) + 1
                          : static_cast<int>(records / info.ScrollStep + 0.9999999);
    copies = std::max(copies, pages);
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

void clsRuntime::FillOfflinePage(host::Slide& page, int index, int /*page_number*/,
                                 const std::string& source_name) {
  const std::string copy_name = presentation_->FullName();
  for (const clsRTShapeInfo& info : *model_.shapes[index]) {
    auto found = connections_.find(info.ConnectionTagNumber);
    if (found == connections_.end()) continue;
    clsConnection& connection = *found->second;
    // The page's rows were set by the caller; shapes that do not scroll keep their own row on
    // every page, as in the show.
    const double row = std::nearbyint(info.IsScrolling ? info.ScrollRow : info.Row);
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
    const std::string resolved =
        value.empty() ? value : ResolveConnectionPath(ctx_, value, source_name);
    if (UpperAscii(resolved) != current) {
      bool defer_update = false;
      rendering::SetLinkedObjectSource(ctx_, copy_name, page.SlideIndex(),
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
  // A link target names its file as the presentation's author saw it: Windows paths are mapped
  // as connection paths are.
  const std::string file = NativePath(ctx_, shape.LinkFormat().SourceFullName());
  if (IsWindowsAbsolutePath(file)) {
    throw Error(kErrFileNotFound, kSource,
                "File not found: '" + file + "'." + WindowsPathAdvice(ctx_, file));
  }
  const double height = shape.Height();
  const double width = shape.Width();
  const double top = shape.Top();
  const double left = shape.Left();
  const int depth = shape.ZOrderPosition();
  // The picture is added before the link goes: a file that cannot be read leaves the linked
  // picture as it was.
  host::Shape& picture = slide.Shapes().AddPicture(file, false, true, left, top, width, height);
  shape.Delete();
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
    ShapeInfoList& infos = *model_.shapes[s];
    const std::vector<std::vector<double>> rows = PageRows(infos, copies, connections_);
    // The page's rows go where the show keeps the row it shows.
    auto to_page = [&](int k) {
      for (size_t i = 0; i < infos.size(); ++i) infos[i].ScrollRow = rows[k - 1][i];
    };
    if (copies >= 2) {
      // Each duplicate lands right after the slide, so making the last page first leaves the
      // pages in order.
      for (int k = copies; k >= 2; --k) {
        host::Slide& page = slide.Duplicate();
        if (timed) {
          SetPageTiming(slide, s);
          SetPageTiming(page, s);
        }
        to_page(k);
        FillOfflinePage(page, s, k, source_name);
        progress.Step();
      }
      offline_added_ += copies - 1;
    }
    to_page(1);
    FillOfflinePage(slide, s, 1, source_name);
    progress.Step();
  }
  WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                "Off-line pages filled, slides dropped: " + std::to_string(dropped.size()));
  for (host::Slide* slide : dropped) slide->Delete();

  // Pictures whose files cannot be read stay linked; the copy is made all the same.
  std::vector<std::string> kept_linked;
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
        try {
          ReplaceLinkedPicture(slide, shape);
        } catch (...) {
          kept_linked.push_back(KeptLinkedText(ctx_, shape, s, CurrentFailure().description(),
                                               presentation_->FullName(), source_name));
        }
      }
    }
  }
  if (!kept_linked.empty()) WarnKeptLinked(ctx_, kept_linked);

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

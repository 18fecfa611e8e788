// The behaviours that ride on the data tick: scrolling rows, linked pictures that follow their
// data or their files, and charts that take the data block.
#include <cmath>

#include "connections/connection_paths.h"
#include "host/common/ascii.h"
#include "host/platform.h"
#include "rendering/graph_fill.h"
#include "rendering/linked_object.h"
#include "runtime/runtime_timer.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "frmRuntimeTimer";

// A modification time as it is kept between two checks of a watched file.
std::string TimeText(std::chrono::system_clock::time_point time) {
  return std::to_string(time.time_since_epoch().count());
}

}  // namespace

void FrmRuntimeTimer::CalcIndexes() {
  if (model_ == nullptr) return;
  const int slide = static_cast<int>(current_slide_);
  if (slide < 1 || slide > model_->SlideCount()) return;
  ShapeInfoList& infos = *model_->shapes[slide];
  bool wrap = true;
  bool none_due = true;
  for (clsRTShapeInfo& info : infos) {
    if (!info.IsScrolling) continue;
    if (info.ScrollTotalWaited < info.ScrollTime) {
      wrap = false;
      continue;
    }
    none_due = false;
    if (info.ScrollRow == -1) {
      info.ScrollRow = info.Row;
    } else {
      info.ScrollRow += info.ScrollStep;
      const double count = Connection(info.ConnectionTagNumber)->RecordCount();
      if (info.ScrollRow <= count) {
        wrap = false;
      } else if (info.ScrollStep == 1) {
        // A ticker of one row at a time starts over on its own.
        info.ScrollRow = static_cast<double>(lowest_row_[ConnectionSlot(info.ConnectionTagNumber)]);
      }
    }
    info.ScrollTotalWaited = 0;
  }
  // Every page-turning shape has run past its data: they start again together.
  if (wrap) {
    for (clsRTShapeInfo& info : infos) {
      if (info.IsScrolling && info.ScrollStep != 1) info.ScrollRow = info.Row;
    }
  }
  // Data with no rows beyond the highest starting row has nothing to scroll to.
  if (!none_due) {
    for (clsRTShapeInfo& info : infos) {
      if (!info.IsScrolling) continue;
      const int n = ConnectionSlot(info.ConnectionTagNumber);
      if (Connection(info.ConnectionTagNumber)->RecordCount() <=
          static_cast<double>(highest_row_[n])) {
        info.ScrollRow = info.Row;
      }
    }
  }
}

void FrmRuntimeTimer::ResetScrolling(int slide_index) {
  if (model_ == nullptr || slide_index < 1 || slide_index > model_->SlideCount()) return;
  for (clsRTShapeInfo& info : *model_->shapes[slide_index]) {
    if (!info.IsScrolling) continue;
    info.ScrollTotalWaited = 0;
    info.ScrollRow = info.Row;
  }
}

void FrmRuntimeTimer::RefreshLinkedObject(host::Shape& shape, int slide_index, clsRTShapeInfo& info,
                                          clsConnection& connection, double row, bool& all_eof,
                                          bool& object_changed) {
  const std::string presentation_name = ShowPresentation().FullName();
  bool eof = true;
  bool defer_update = false;
  if (row != 0) {
    const std::string current = shape.Visible() ? info.CurrentValue : std::string();
    const std::string value = connection.GetValueObject(row, info.ColumnName, info.ObjectFolder,
                                                        info.ObjectExtension, 1, false, &eof);
    if (ended_) return;  // the value waited for a query, and the show ended meanwhile
    const std::string resolved =
        value.empty() ? std::string()
                      : UpperAscii(ResolveConnectionPath(ctx_, value, presentation_name));
    if (resolved != current) {
      WriteDebugLog(ctx_, DebugLevel::kVariable, kSource,
                    "Column:" + info.ColumnName + ":Rownbr:" + std::to_string(std::llround(row)) +
                        ":Value:" + value);
      object_changed = true;
      info.ValidLinkedObject = rendering::SetLinkedObjectSource(
          ctx_, presentation_name, slide_index, static_cast<int>(info.ShapeNumber), value, true,
          defer_update);
      info.CurrentValue = resolved;
    }
  } else {
    rendering::SetLinkedObjectSource(ctx_, presentation_name, slide_index,
                                     static_cast<int>(info.ShapeNumber), "", true, defer_update);
  }
  if (!eof) all_eof = false;
}

void FrmRuntimeTimer::RefreshChart(host::Shape& shape, clsRTShapeInfo& info,
                                   clsConnection& connection) {
  // The chart is rewritten only when its block changed: writing a chart costs far more than
  // comparing its data.
  const long first = info.IsScrolling ? std::lround(info.ScrollRow) : 1;
  const long last =
      info.IsScrolling ? first : static_cast<long>(std::llround(connection.RecordCount()));
  std::string block = rendering::BuildGraphBlock(connection, first, last);
  if (ended_ || block == info.LastChartBlock) return;
  if (info.IsScrolling) {
    rendering::FillGraphRow(shape, connection, first, true);
  } else {
    rendering::FillGraph(shape, connection, true);
  }
  info.LastChartBlock = std::move(block);
}

void FrmRuntimeTimer::tmrRefreshLinkedObjects_Timer() {
  if (model_ == nullptr) return;
  SkipFailure([&] {
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "Start refresh linked objects");
  });
  host::FileSystem* files = ctx_.services.files;
  bool changed = false;
  std::vector<std::string>& entries = model_->linked_objects;
  for (size_t i = 1; i < entries.size(); ++i) {
    SkipFailure([&] {
      const size_t tab = entries[i].find('\t');
      const std::string file = entries[i].substr(0, tab);
      const std::string stored =
          tab == std::string::npos ? std::string() : entries[i].substr(tab + 1);
      if (files == nullptr) return;
      const std::string now = TimeText(files->FileDateTime(NativePath(ctx_, file)));
      if (tab == std::string::npos || now != stored) changed = true;
      entries[i] = file + "\t" + now;
    });
  }
  if (changed) {
    SkipFailure([&] {
      WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                    "Refresh linked object: " + entries.back());
      ShowPresentation().UpdateLinks();
    });
  }
  SkipFailure([&] {
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "Stop refresh linked objects");
  });
}

void FrmRuntimeTimer::WatchConnectionFiles() {
  host::FileWatcher* watcher = ctx_.services.file_watcher;
  if (watcher == nullptr || connections_ == nullptr) return;
  // Not a structured binding: clang 14 (the fuzz build) lets no lambda capture one.
  for (auto& entry : *connections_) {
    const auto& number = entry.first;
    const auto& connection = entry.second;
    const int slot = ConnectionSlot(number);
    if (slot < 0) continue;
    std::vector<std::string> paths;
    bool every_write = false;
    SkipFailure([&] {
      if (connection->ConnectionType() == connection_type::kDatabase) {
        if (host::DataAccess* data = ctx_.services.data_access) {
          const std::string file = data->LocalFile(connection->ResolvedConnectionString());
          if (file.empty()) return;
          // A database in write-ahead mode changes its log first.
          paths = {file, file + "-wal"};
          every_write = true;
        }
      } else {
        paths = {NativePath(ctx_, connection->ResolvedFileString())};
      }
    });
    for (const std::string& path : paths) {
      const int id = watcher->Watch(path, every_write, [this, slot] {
        changed_[slot] = true;
        tmrData.TriggerNow();
      });
      if (id != 0) watches_.push_back(id);
    }
  }
}

}  // namespace vintrel

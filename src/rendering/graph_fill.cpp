#include "rendering/graph_fill.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "connections/connection.h"
#include "connections/tag_values.h"
#include "host/error.h"
#include "host/graph.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel::rendering {
namespace {

struct ColumnSettings {
  bool include = true;
  std::optional<std::string> number_format;  // only when it is not ";;"
};

host::Clipboard& TheClipboard(const clsConnection& connection) {
  return *connection.context().services.clipboard;
}

void Fill(host::Shape& shape, clsConnection& connection, long first_row, long last_row,
          bool keep_number_formats) {
  if (!IsGraphShape(shape)) return;
  if (!shape.Visible()) shape.SetVisible(true);
  host::GraphApplication& graph = shape.OLEFormat().Object().Application();
  host::DataSheet& sheet = graph.DataSheet();

  const int columns = static_cast<int>(connection.ColumnCount());
  std::vector<ColumnSettings> kept(static_cast<size_t>(columns));
  for (int i = 1; i <= columns; ++i) {
    host::DataSheetColumn& column = sheet.Columns(i);
    kept[i - 1].include = column.Include();
    if (keep_number_formats) {
      std::string format = column.NumberFormat();
      if (format != ";;") kept[i - 1].number_format = std::move(format);
    }
  }

  sheet.ClearContents();
  const std::string block = BuildGraphBlock(connection, first_row, last_row);
  host::Clipboard& clipboard = TheClipboard(connection);
  clipboard.Clear();
  clipboard.SetText(block);
  sheet.Cells(1, 1).Paste();
  clipboard.Clear();

  for (int i = 1; i <= columns; ++i) {
    host::DataSheetColumn& column = sheet.Columns(i);
    column.SetInclude(kept[i - 1].include);
    if (kept[i - 1].number_format) column.SetNumberFormat(*kept[i - 1].number_format);
  }
  graph.Update();
}

}  // namespace

bool IsGraphShape(host::Shape& shape) {
  if (shape.Type() != host::shape_type::kEmbeddedOleObject) return false;
  try {
    return shape.OLEFormat().ProgID().rfind("MSGraph.Chart", 0) == 0;
  } catch (const Error&) {
    return false;
  }
}

std::string GraphValueText(const std::string& value) {
  if (const std::optional<double> number = ParseNumber(value)) {
    std::string text = FormatNumber(*number);
    for (char& c : text) {
      if (c == ',') c = '.';
    }
    return text;
  }
  if (const std::optional<LocalDateTime> date = ParseDateTime(value)) {
    using namespace std::chrono;
    const local_days day = floor<days>(*date);
    const year_month_day ymd{day};
    if (static_cast<int>(ymd.year()) == 1899) return value;  // a time of day only
    const hh_mm_ss<seconds> time{*date - day};
    char text[40];
    std::snprintf(text, sizeof text, "%02u-%02u-%04d %02d:%02d:%02d",
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(ymd.year()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
  }
  return value;
}

std::string BuildGraphBlock(clsConnection& connection, long first_row, long last_row) {
  const std::vector<std::string> names = connection.Columns();
  std::string block;
  for (size_t i = 1; i < names.size(); ++i) {
    if (i > 1) block += '\t';
    block += names[i];
  }
  block += "\r\n";
  for (long row = first_row; row <= last_row; ++row) {
    for (size_t i = 1; i < names.size(); ++i) {
      if (i > 1) block += '\t';
      block +=
          GraphValueText(connection.GetValueDatabase(static_cast<double>(row), names[i], 1, false));
    }
    block += "\r\n";
  }
  return block;
}

void ClearGraph(host::Shape& shape) {
  if (!IsGraphShape(shape)) return;
  shape.SetVisible(true);
  host::GraphApplication& graph = shape.OLEFormat().Object().Application();
  graph.DataSheet().ClearContents();
  graph.Update();
}

void FillGraph(host::Shape& shape, clsConnection& connection, bool /*in_show*/) {
  Fill(shape, connection, 1, static_cast<long>(connection.RecordCount()), true);
}

void FillGraphRow(host::Shape& shape, clsConnection& connection, long start_row, bool /*in_show*/) {
  Fill(shape, connection, start_row, start_row, false);
}

}  // namespace vintrel::rendering

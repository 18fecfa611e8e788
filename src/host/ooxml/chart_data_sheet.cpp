#include "host/ooxml/chart_data_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <set>

#include "host/common/cell_address.h"
#include "host/common/number_text.h"
#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/chart_workbook.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";

// Series children that come after c:val / c:yVal in every chart type.
constexpr const char* kAfterValues[] = {"c:shape", "c:smooth", "c:bubbleSize", "c:bubble3D",
                                        "c:extLst"};

std::vector<pugi::xml_node> AllSeries(pugi::xml_node plot_area) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node chart : plot_area.children()) {
    for (pugi::xml_node ser : chart.children("c:ser")) out.push_back(ser);
  }
  return out;
}

// Point texts of the first cache (or literal) under `node`, by index.
std::vector<std::string> CacheTexts(pugi::xml_node node) {
  pugi::xml_node cache = node.find_node([](pugi::xml_node n) {
    std::string_view name = n.name();
    return name == "c:strCache" || name == "c:numCache" || name == "c:strLit" ||
           name == "c:numLit" || name == "c:lvl";
  });
  std::vector<std::string> out(cache.child("c:ptCount").attribute("val").as_uint());
  for (pugi::xml_node pt : cache.children("c:pt")) {
    size_t idx = pt.attribute("idx").as_uint();
    if (idx >= out.size()) out.resize(idx + 1);
    out[idx] = pt.child("c:v").text().get();
  }
  return out;
}

std::string SeriesName(pugi::xml_node ser) {
  pugi::xml_node tx = ser.child("c:tx");
  if (pugi::xml_node v = tx.child("c:v")) return v.text().get();
  std::vector<std::string> texts = CacheTexts(tx);
  return texts.empty() ? std::string() : texts.front();
}

std::string SheetNameFromFormulas(pugi::xml_node root) {
  pugi::xml_node f = root.find_node([](pugi::xml_node n) {
    return std::string_view(n.name()) == "c:f" &&
           std::string_view(n.text().get()).find('!') != std::string_view::npos;
  });
  std::string formula = f.text().get();
  size_t bang = formula.rfind('!');
  if (bang == std::string::npos || bang == 0) return "Sheet1";
  std::string sheet = formula.substr(0, bang);
  if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
    std::string unquoted;
    for (size_t i = 1; i + 1 < sheet.size(); ++i) {
      unquoted += sheet[i];
      if (sheet[i] == '\'' && sheet[i + 1] == '\'') ++i;
    }
    sheet = unquoted;
  }
  // A reference into another workbook ("[1]Sheet") is not ours to keep.
  if (sheet.find('[') != std::string::npos) return "Sheet1";
  return sheet.empty() ? "Sheet1" : sheet;
}

std::string QuotedSheet(const std::string& sheet) {
  bool plain = !sheet.empty() && !std::isdigit(static_cast<unsigned char>(sheet[0]));
  for (char c : sheet) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' &&
        static_cast<unsigned char>(c) < 0x80) {
      plain = false;
    }
  }
  if (plain) return sheet;
  std::string out = "'";
  for (char c : sheet) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// "Sheet1!$B$2" for column 2 (from 1), row 2.
std::string CellRef(const std::string& sheet, int column, int row) {
  return sheet + "!$" + vintrel::ColumnLetters(column) + "$" + std::to_string(row);
}

void SetPoints(pugi::xml_node cache, const std::vector<std::string>& texts, bool numeric) {
  pugi::xml_node count = cache.append_child("c:ptCount");
  count.append_attribute("val") = static_cast<unsigned>(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string text = texts[i];
    if (numeric) {
      double value;
      if (!ParseNumber(text, value)) continue;  // a blank point
      text = FormatNumber(value);
    } else if (text.empty()) {
      continue;
    }
    pugi::xml_node pt = cache.append_child("c:pt");
    pt.append_attribute("idx") = static_cast<unsigned>(i);
    pt.append_child("c:v").text().set(host::XmlText(text).c_str());
  }
}

// Replaces (or places) `name` in `ser` with a new empty element and returns it.
pugi::xml_node ReplaceChild(pugi::xml_node ser, const char* name, pugi::xml_node before_if_new) {
  pugi::xml_node old = ser.child(name);
  pugi::xml_node fresh;
  if (old) {
    fresh = ser.insert_child_before(name, old);
    ser.remove_child(old);
  } else if (before_if_new) {
    fresh = ser.insert_child_before(name, before_if_new);
  } else {
    fresh = ser.append_child(name);
  }
  return fresh;
}

pugi::xml_node FirstOf(pugi::xml_node ser, std::initializer_list<const char*> names) {
  for (pugi::xml_node child : ser.children()) {
    for (const char* name : names) {
      if (std::string_view(child.name()) == name) return child;
    }
  }
  return {};
}

void DropPointsFrom(pugi::xml_node ser, size_t count) {
  auto prune = [count](pugi::xml_node parent, const char* name) {
    for (pugi::xml_node node = parent.child(name); node;) {
      pugi::xml_node next = node.next_sibling(name);
      if (node.child("c:idx").attribute("val").as_uint() >= count) parent.remove_child(node);
      node = next;
    }
  };
  prune(ser, "c:dPt");
  prune(ser.child("c:dLbls"), "c:dLbl");
}

std::string NewGuid() {
  static std::mt19937_64 engine{std::random_device{}()};
  uint64_t a = engine(), b = engine();
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(a >> 32),
                static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                static_cast<unsigned>(b >> 48),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return text;
}

}  // namespace

// ---- number helpers

bool ParseNumber(const std::string& text, double& value) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return false;
  if (text[begin] == '+') ++begin;
  if (begin > end) return false;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  auto result = std::from_chars(first, last, value);
  return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

// The sheet column (from 1) of a series' values in the data sheet layout ("Sheet1!$C$2:$C$5"
// -> 3): one column from row 2 down. Any other formula gives 0, and the chart's series are then
// taken to sit side by side from column 2.
int FormulaColumn(const std::string& formula) {
  size_t bang = formula.rfind('!');
  std::string range = bang == std::string::npos ? formula : formula.substr(bang + 1);
  size_t letters = 1;
  while (letters < range.size() && range[letters] >= 'A' && range[letters] <= 'Z') ++letters;
  std::string column = range.size() > 1 && range[0] == '$' ? range.substr(1, letters - 1) : "";
  std::string head = "$" + column + "$2:$" + column + "$";
  if (column.empty() || column.size() > 3 || range.compare(0, head.size(), head) != 0 ||
      range.size() == head.size() ||
      range.find_first_not_of("0123456789", head.size()) != std::string::npos) {
    return 0;
  }
  return ColumnNumber(column);
}

// ---- cells and columns

class ChartObject::Cell : public host::DataSheetCell {
 public:
  Cell(ChartObject& sheet, int row, int column) : sheet_(sheet), row_(row), column_(column) {}
  void Paste() override {
    if (sheet_.clipboard_ == nullptr) {
      throw Error(kErrUnspecified, kSource, "DataSheet.Paste: there is no clipboard");
    }
    std::optional<std::string> text = sheet_.clipboard_->GetText();
    if (!text)
      throw Error(kErrUnspecified, kSource, "DataSheet.Paste: the clipboard holds no text");
    sheet_.PasteText(row_, column_, *text);
  }

 private:
  ChartObject& sheet_;
  int row_;
  int column_;
};

class ChartObject::Column : public host::DataSheetColumn {
 public:
  bool Include() const override { return include_; }
  void SetInclude(bool include) override { include_ = include; }
  std::string NumberFormat() const override { return format_.empty() ? "General" : format_; }
  void SetNumberFormat(const std::string& format) override { format_ = format; }
  // The format given by the caller, empty when never set.
  const std::string& chosen_format() const { return format_; }

 private:
  bool include_ = true;
  std::string format_;
};

// ---- ChartObject

ChartObject::ChartObject(Package& package, std::string chart_part, host::Clipboard* clipboard)
    : package_(package), chart_part_(std::move(chart_part)), clipboard_(clipboard) {
  LoadFromChart();
}

ChartObject::~ChartObject() = default;

void ChartObject::LoadFromChart() {
  pugi::xml_node plot =
      package_.Xml(chart_part_).document_element().child("c:chart").child("c:plotArea");
  std::vector<pugi::xml_node> series = AllSeries(plot);
  if (series.empty()) return;
  bool scatter = static_cast<bool>(series.front().child("c:xVal"));
  const char* val_name = scatter ? "c:yVal" : "c:val";
  std::vector<std::string> categories =
      CacheTexts(series.front().child(scatter ? "c:xVal" : "c:cat"));
  // Each series sits in the sheet column its values formula names (the layout Update writes),
  // so columns left out of the chart earlier keep their place and stay excluded.
  std::vector<int> columns;
  std::set<int> used;
  for (size_t s = 0; s < series.size(); ++s) {
    int column = FormulaColumn(series[s].child(val_name).child("c:numRef").child_value("c:f"));
    if (column < 2 || used.count(column)) column = used.empty() ? 2 : *used.rbegin() + 1;
    used.insert(column);
    columns.push_back(column);
  }
  size_t width = static_cast<size_t>(*used.rbegin());
  grid_.assign(1, std::vector<std::string>(width));
  for (size_t s = 0; s < series.size(); ++s) {
    size_t c = static_cast<size_t>(columns[s]) - 1;
    grid_[0][c] = SeriesName(series[s]);
    std::vector<std::string> values = CacheTexts(series[s].child(val_name));
    for (size_t r = 0; r < std::max(values.size(), categories.size()); ++r) {
      if (grid_.size() < r + 2) grid_.resize(r + 2, std::vector<std::string>(width));
      if (r < categories.size()) grid_[r + 1][0] = categories[r];
      if (r < values.size()) grid_[r + 1][c] = values[r];
    }
    // The add-in reads a column's format and sets it back after a refill: it must be the
    // chart's own, or the refill would reset it.
    std::string format =
        series[s].child(val_name).child("c:numRef").child("c:numCache").child_value("c:formatCode");
    if (!format.empty() && format != "General") Columns(columns[s]).SetNumberFormat(format);
  }
  for (int c = 2; c < static_cast<int>(width); ++c) {
    if (!used.count(c)) Columns(c).SetInclude(false);
  }
}

void ChartObject::ClearContents() {
  for (auto& row : grid_) std::fill(row.begin(), row.end(), std::string());
}

host::DataSheetCell& ChartObject::Cells(int row, int column) {
  if (row < 1 || column < 1) {
    throw Error(kErrInvalidArgument, kSource, "DataSheet.Cells: rows and columns start at 1");
  }
  auto& slot = cells_[{row, column}];
  if (!slot) slot = std::make_unique<Cell>(*this, row, column);
  return *slot;
}

host::DataSheetColumn& ChartObject::Columns(int index) {
  if (index < 1) throw Error(kErrInvalidArgument, kSource, "DataSheet.Columns: columns start at 1");
  auto& slot = columns_[index];
  if (!slot) slot = std::make_unique<Column>();
  return *slot;
}

int ChartObject::RowCount() const {
  for (size_t r = grid_.size(); r > 0; --r) {
    for (const std::string& cell : grid_[r - 1]) {
      if (!cell.empty()) return static_cast<int>(r);
    }
  }
  return 0;
}

int ChartObject::ColumnCount() const {
  size_t count = 0;
  for (const auto& row : grid_) {
    for (size_t c = row.size(); c > count; --c) {
      if (!row[c - 1].empty()) {
        count = c;
        break;
      }
    }
  }
  return static_cast<int>(count);
}

std::string ChartObject::CellText(int row, int column) const {
  if (row < 1 || column < 1 || static_cast<size_t>(row) > grid_.size()) return {};
  const auto& cells = grid_[row - 1];
  return static_cast<size_t>(column) > cells.size() ? std::string() : cells[column - 1];
}

void ChartObject::PasteText(int row, int column, const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  if (lines.back().empty()) lines.pop_back();  // the block's last line ends with a line break
  for (size_t l = 0; l < lines.size(); ++l) {
    size_t r = row - 1 + l;
    if (grid_.size() <= r) grid_.resize(r + 1);
    size_t c = column - 1;
    size_t start = 0;
    for (;;) {
      size_t tab = lines[l].find('\t', start);
      if (grid_[r].size() <= c) grid_[r].resize(c + 1);
      grid_[r][c] =
          lines[l].substr(start, tab == std::string::npos ? std::string::npos : tab - start);
      if (tab == std::string::npos) break;
      start = tab + 1;
      ++c;
    }
  }
}

bool ChartObject::Included(int column) const {
  auto it = columns_.find(column);
  return it == columns_.end() || it->second->Include();
}

std::string ChartObject::NumberFormatOf(int column) const {
  auto it = columns_.find(column);
  return it == columns_.end() ? std::string() : it->second->chosen_format();
}

namespace {

// A clone of a series, drawn in the accent colour `step` places after its model's (a clone in
// the same colour as its model could not be told apart) and given a new identity.
void Recolour(pugi::xml_node clone, int step) {
  clone.find_node([step](pugi::xml_node n) {
    std::string_view name = n.name();
    if (name == "c16:uniqueId") n.attribute("val").set_value(NewGuid().c_str());
    std::string_view value = n.attribute("val").value();
    if (name == "a:schemeClr" && value.size() == 7 && value.substr(0, 6) == "accent" &&
        value[6] >= '1' && value[6] <= '6') {
      std::string next = "accent" + std::to_string((value[6] - '1' + step) % 6 + 1);
      n.attribute("val").set_value(next.c_str());
    }
    return false;
  });
}

// Exactly `wanted` c:ser elements: clones of the last one for extra series, surplus ones
// dropped.
std::vector<pugi::xml_node> LayOutSeries(const std::vector<pugi::xml_node>& existing,
                                         size_t wanted) {
  unsigned next_index = 0;
  for (pugi::xml_node ser : existing) {
    next_index = std::max(next_index, ser.child("c:idx").attribute("val").as_uint() + 1);
    next_index = std::max(next_index, ser.child("c:order").attribute("val").as_uint() + 1);
  }
  std::vector<pugi::xml_node> series(existing.begin(),
                                     existing.begin() + std::min(wanted, existing.size()));
  for (size_t i = existing.size(); i < wanted; ++i) {
    // Every clone copies the chart's own last series, placed after the series made so far.
    pugi::xml_node model = existing.back();
    pugi::xml_node last = series.back();
    pugi::xml_node clone = last.parent().insert_copy_after(model, last);
    clone.child("c:idx").attribute("val").set_value(next_index);
    clone.child("c:order").attribute("val").set_value(next_index);
    ++next_index;
    Recolour(clone, static_cast<int>(i - existing.size()) + 1);
    series.push_back(clone);
  }
  for (size_t i = wanted; i < existing.size(); ++i) existing[i].parent().remove_child(existing[i]);
  return series;
}

// What one series shows: its column of the data sheet (from 1), name, values and their format.
struct SeriesData {
  int column = 2;
  std::string name;
  std::vector<std::string> values;
  std::string format;  // empty: the chart's own, else General
};

// Writes the series' name and values, their formulas pointing into the sheet `ref_sheet`;
// returns the values' element.
pugi::xml_node WriteNameAndValues(pugi::xml_node ser, const char* val_name,
                                  const std::string& ref_sheet, const SeriesData& data,
                                  size_t points) {
  std::string format = data.format;
  if (format.empty()) {
    std::string old_format =
        ser.child(val_name).child("c:numRef").child("c:numCache").child_value("c:formatCode");
    format = old_format.empty() ? "General" : old_format;
  }
  ser.remove_child("c:tx");
  pugi::xml_node tx = ser.insert_child_after("c:tx", ser.child("c:order"));
  pugi::xml_node name_ref = tx.append_child("c:strRef");
  name_ref.append_child("c:f").text().set(CellRef(ref_sheet, data.column, 1).c_str());
  SetPoints(name_ref.append_child("c:strCache"), {data.name}, false);

  pugi::xml_node val = ReplaceChild(ser, val_name,
                                    FirstOf(ser, {kAfterValues[0], kAfterValues[1], kAfterValues[2],
                                                  kAfterValues[3], kAfterValues[4]}));
  pugi::xml_node num_ref = val.append_child("c:numRef");
  num_ref.append_child("c:f").text().set((CellRef(ref_sheet, data.column, 2) + ":$" +
                                          vintrel::ColumnLetters(data.column) + "$" +
                                          std::to_string(points + 1))
                                             .c_str());
  pugi::xml_node num_cache = num_ref.append_child("c:numCache");
  num_cache.append_child("c:formatCode").text().set(format.c_str());
  SetPoints(num_cache, data.values, true);
  return val;
}

// Categories: numbers stay numbers (dates on a date axis, x values of a scatter chart) when the
// chart had numeric categories and every new one is a number; otherwise text.
void WriteCategories(pugi::xml_node ser, const char* cat_name, bool scatter, pugi::xml_node val,
                     const std::string& ref_sheet, const std::vector<std::string>& categories) {
  pugi::xml_node old_numbers = ser.child(cat_name).child("c:numRef");
  std::string category_format = old_numbers.child("c:numCache").child_value("c:formatCode");
  bool numeric = old_numbers || (scatter && !ser.child(cat_name));
  for (const std::string& category : categories) {
    double unused;
    numeric = numeric && (category.empty() || ParseNumber(category, unused));
  }
  pugi::xml_node cat = ReplaceChild(ser, cat_name, val);
  pugi::xml_node ref = cat.append_child(numeric ? "c:numRef" : "c:strRef");
  ref.append_child("c:f").text().set(
      (CellRef(ref_sheet, 1, 2) + ":$A$" + std::to_string(categories.size() + 1)).c_str());
  pugi::xml_node cache = ref.append_child(numeric ? "c:numCache" : "c:strCache");
  if (numeric) {
    cache.append_child("c:formatCode")
        .text()
        .set(category_format.empty() ? "General" : category_format.c_str());
  }
  SetPoints(cache, categories, numeric);
}

// One series filled from `data`, with the categories when the chart shows them.
void WriteSeries(pugi::xml_node ser, const std::string& ref_sheet, const SeriesData& data,
                 const std::vector<std::string>* categories, size_t points) {
  bool scatter = ser.child("c:xVal") || ser.child("c:yVal") ||
                 std::string_view(ser.parent().name()) == "c:scatterChart" ||
                 std::string_view(ser.parent().name()) == "c:bubbleChart";
  const char* cat_name = scatter ? "c:xVal" : "c:cat";
  pugi::xml_node val =
      WriteNameAndValues(ser, scatter ? "c:yVal" : "c:val", ref_sheet, data, points);
  if (categories != nullptr) {
    WriteCategories(ser, cat_name, scatter, val, ref_sheet, *categories);
  } else {
    ser.remove_child(cat_name);
  }
  DropPointsFrom(ser, points);
}

}  // namespace

void ChartObject::Update() {
  pugi::xml_document& doc = package_.Xml(chart_part_);
  pugi::xml_node plot = doc.document_element().child("c:chart").child("c:plotArea");
  std::vector<pugi::xml_node> existing = AllSeries(plot);
  if (existing.empty()) {
    throw Error(kErrUnspecified, kSource,
                "chart \"" + chart_part_ + "\" has no series to lay new data out on");
  }
  std::string sheet = SheetNameFromFormulas(doc.document_element());
  std::string ref_sheet = QuotedSheet(sheet);
  int rows = RowCount();
  int columns = ColumnCount();
  size_t points = rows > 1 ? static_cast<size_t>(rows - 1) : 0;
  std::vector<std::string> categories(points);
  for (size_t r = 0; r < points; ++r) categories[r] = CellText(static_cast<int>(r) + 2, 1);
  std::vector<int> series_columns;
  for (int c = 2; c <= columns; ++c) {
    if (Included(c)) series_columns.push_back(c);
  }

  // An empty block keeps one series (with no points) so a later fill has a model to follow.
  const std::vector<pugi::xml_node> series =
      LayOutSeries(existing, std::max<size_t>(series_columns.size(), 1));
  for (size_t s = 0; s < series.size(); ++s) {
    SeriesData data;
    const bool real = s < series_columns.size();
    if (real) {
      data.column = series_columns[s];
      data.name = CellText(1, data.column);
      data.values.resize(points);
      for (size_t r = 0; r < points; ++r) {
        data.values[r] = CellText(static_cast<int>(r) + 2, data.column);
      }
    }
    data.format = NumberFormatOf(data.column);
    WriteSeries(series[s], ref_sheet, data, Included(1) ? &categories : nullptr, points);
  }
  package_.Touch(chart_part_);

  // The embedded workbook, so editing the data in the host shows the same block.
  for (const Relationship& rel : package_.Rels(chart_part_)) {
    if (rel.external || rel.Kind() != "package") continue;
    std::string part = Package::ResolveTarget(chart_part_, rel.target);
    std::vector<std::vector<std::string>> block(rows);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) block[r].push_back(CellText(r + 1, c + 1));
    }
    package_.WriteBytes(part, BuildChartWorkbook(sheet, block));
  }
  if (on_update_) on_update_();
}

}  // namespace vintrel::ooxml

#include "host/workbook/xlsx_file.h"

#include <charconv>
#include <cstring>
#include <map>
#include <pugixml.hpp>

#include "host/common/serial_dates.h"
#include "host/common/text.h"
#include "host/common/text_encoding.h"
#include "host/common/xml_depth.h"
#include "host/error.h"
#include "host/workbook/builtin_formats.h"
#include "host/workbook/decimal_digits.h"
#include "host/workbook/sheet_scanner.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";
constexpr int kDialogSheet = -4116;
constexpr int kMacroSheet = 3;

// Element and attribute names compare by local name: producers differ in namespace prefixes.
const char* LocalName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? colon + 1 : name;
}

bool NameIs(const pugi::xml_node& node, const char* local) {
  return std::strcmp(LocalName(node.name()), local) == 0;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* local) {
  for (pugi::xml_node child : node.children()) {
    if (NameIs(child, local)) return child;
  }
  return {};
}

const char* Attribute(const pugi::xml_node& node, const char* local) {
  for (pugi::xml_attribute attribute : node.attributes()) {
    if (std::strcmp(LocalName(attribute.name()), local) == 0) return attribute.value();
  }
  return nullptr;
}

// The folder of a part ("xl/workbook.xml" -> "xl/").
std::string Folder(const std::string& part) {
  size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

std::string RelationshipsPart(const std::string& part) {
  size_t slash = part.rfind('/');
  std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return Folder(part) + "_rels/" + name + ".rels";
}

// A relationship target taken relative to the folder of the part that names it.
std::string ResolveTarget(const std::string& folder, const std::string& target) {
  std::string joined = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
  return NormalizePath(joined);
}

struct Relationship {
  std::string type;
  std::string target;  // resolved part name
};

// Text of a string item: plain <t>, or the <t> of every rich-text run; phonetic guides (<rPh>)
// are not part of what the cell shows. Runs do not nest.
std::string StringItem(const pugi::xml_node& node) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (NameIs(child, "t")) {
      text += child.child_value();
    } else if (NameIs(child, "r")) {
      for (pugi::xml_node part : child.children()) {
        if (NameIs(part, "t")) text += part.child_value();
      }
    }
  }
  return text.find("_x") == std::string::npos ? text : DecodeEscapes(std::move(text));
}

void CheckDepth(pugi::xml_document& doc, const std::string& what, const std::string& part) {
  if (NestedTooDeep(doc)) {
    throw Error(kErrUnspecified, kSource,
                what + ": the part " + part + " nests XML deeper than " +
                    std::to_string(kMaxXmlDepth) + " levels; the file is refused as unsafe");
  }
}

constexpr unsigned kParseText =
    pugi::parse_minimal | pugi::parse_escapes | pugi::parse_eol | pugi::parse_ws_pcdata_single;

int ParseInt(const char* text, int fallback) {
  int value = 0;
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && ptr == end ? value : fallback;
}

// An ISO 8601 date or date-time ("2026-12-31T16:00:00") as a 1900-system serial number.
bool ParseIsoDate(const char* text, double* serial) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  int fields =
      std::sscanf(text, "%d-%d-%dT%d:%d:%lf", &year, &month, &day, &hour, &minute, &second);
  if (fields < 3) {
    fields = std::sscanf(text, "%d:%d:%lf", &hour, &minute, &second);
    if (fields < 2) return false;
    *serial = (hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  *serial = static_cast<double>(SerialFromDate(year, month, day)) +
            (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

}  // namespace

std::string DecodeEscapes(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
      unsigned code = 0;
      auto [ptr, ec] = std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16);
      if (ec == std::errc() && ptr == text.data() + i + 6) {
        AppendUtf8(out, code);
        i += 6;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

XlsxFile::XlsxFile(std::string bytes, const std::string& what, const ReaderLimits& limits)
    : what_(what),
      zip_(ZipReader::FromBytes(std::move(bytes), what, kSource,
                                {limits.max_part_bytes, limits.max_part_bytes,
                                 limits.max_total_bytes, ZipLimits{}.max_entries})) {
  auto load = [&](const std::string& part, pugi::xml_document& doc) {
    std::optional<std::string> xml = zip_->Read(part);
    if (!xml) return false;
    pugi::xml_parse_result parsed = doc.load_buffer(xml->data(), xml->size());
    if (!parsed) {
      throw Error(
          kErrUnspecified, kSource,
          what_ + ": the part " + part + " is not well-formed XML (" + parsed.description() + ")");
    }
    CheckDepth(doc, what_, part);
    return true;
  };
  auto relationships = [&](const std::string& part) {
    std::map<std::string, Relationship> result;
    pugi::xml_document doc;
    if (!load(RelationshipsPart(part), doc)) return result;
    for (pugi::xml_node rel : doc.document_element().children()) {
      const char* id = rel.attribute("Id").value();
      std::string mode = rel.attribute("TargetMode").value();
      if (mode == "External") continue;
      result[id] = {rel.attribute("Type").value(),
                    ResolveTarget(Folder(part), rel.attribute("Target").value())};
    }
    return result;
  };

  std::string workbook_part;
  for (const auto& [id, rel] : relationships("")) {
    if (rel.type.ends_with("/officeDocument")) workbook_part = rel.target;
  }
  if (workbook_part.empty() && zip_->Has("xl/workbook.xml")) workbook_part = "xl/workbook.xml";
  if (workbook_part.ends_with(".bin") || zip_->Has("xl/workbook.bin")) {
    throw Error(kErrUnspecified, kSource,
                what_ + " is a binary workbook (.xlsb), which cannot be read; save it as .xlsx");
  }
  pugi::xml_document workbook;
  if (workbook_part.empty() || !load(workbook_part, workbook)) {
    throw Error(kErrUnspecified, kSource,
                what_ + " is a zip package but not a workbook (it has no workbook part)");
  }
  std::map<std::string, Relationship> rels = relationships(workbook_part);
  for (const auto& [id, rel] : rels) {
    if (rel.type.ends_with("/sharedStrings")) ReadSharedStrings(rel.target);
    if (rel.type.ends_with("/styles")) ReadStyles(rel.target);
  }

  pugi::xml_node root = workbook.document_element();
  if (pugi::xml_node properties = Child(root, "workbookPr")) {
    std::string date1904 = properties.attribute("date1904").value();
    if (date1904 == "1" || date1904 == "true") date_system_ = DateSystem::k1904;
  }
  for (pugi::xml_node defined : Child(root, "definedNames").children()) {
    if (!NameIs(defined, "definedName")) continue;
    const char* local = defined.attribute("localSheetId").value();
    names_.push_back({defined.attribute("name").value(), *local ? ParseInt(local, -2) : -1,
                      defined.child_value()});
  }
  for (pugi::xml_node sheet : Child(root, "sheets").children()) {
    if (!NameIs(sheet, "sheet")) continue;
    const char* id = Attribute(sheet, "id");
    auto rel = id ? rels.find(id) : rels.end();
    SheetInfo info;
    info.name = sheet.attribute("name").value();
    std::string part;
    if (rel != rels.end()) {
      part = rel->second.target;
      const std::string& type = rel->second.type;
      if (type.ends_with("/chartsheet")) info.type = sheet_type::kChart;
      if (type.ends_with("/dialogsheet")) info.type = kDialogSheet;
      if (type.ends_with("/xlMacrosheet") || type.ends_with("/xlIntlMacrosheet")) {
        info.type = kMacroSheet;
      }
    }
    sheets_.push_back(std::move(info));
    sheet_parts_.push_back(std::move(part));
  }
}

void XlsxFile::ReadSharedStrings(const std::string& part) {
  std::optional<std::string> xml = zip_->Read(part);
  if (!xml) return;
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(xml->data(), xml->size(), kParseText)) {
    throw Error(kErrUnspecified, kSource, what_ + ": the shared strings are not well-formed XML");
  }
  CheckDepth(doc, what_, part);
  has_shared_strings_ = true;
  for (pugi::xml_node item : doc.document_element().children()) {
    if (NameIs(item, "si")) shared_strings_.push_back(StringItem(item));
  }
}

void XlsxFile::ReadStyles(const std::string& part) {
  pugi::xml_document doc;
  std::optional<std::string> xml = zip_->Read(part);
  if (!xml || !doc.load_buffer(xml->data(), xml->size())) return;  // General everywhere
  CheckDepth(doc, what_, part);
  pugi::xml_node root = doc.document_element();
  std::map<int, std::string> custom;
  for (pugi::xml_node format : Child(root, "numFmts").children()) {
    if (!NameIs(format, "numFmt")) continue;
    custom[ParseInt(format.attribute("numFmtId").value(), -1)] =
        format.attribute("formatCode").value();
  }
  for (pugi::xml_node xf : Child(root, "cellXfs").children()) {
    if (!NameIs(xf, "xf")) continue;
    int id = ParseInt(xf.attribute("numFmtId").value(), 0);
    auto found = custom.find(id);
    std::string code = found != custom.end() ? found->second : BuiltInFormatCode(id);
    style_formats_.push_back(code.empty() ? "General" : code);
  }
}

const std::string& XlsxFile::FormatCode(int style) const {
  static const std::string kGeneral = "General";
  if (style < 0 || style >= static_cast<int>(style_formats_.size())) return kGeneral;
  return style_formats_[style];
}

void XlsxFile::ReadCells(size_t index, const CellRange& range, const CellSink& sink) {
  const SheetInfo& info = sheets_.at(index);
  const std::string& part = sheet_parts_.at(index);
  std::optional<std::string> xml;
  if (!part.empty()) xml = zip_->Read(part);
  if (!xml) {
    throw Error(kErrUnspecified, kSource,
                what_ + ": the sheet '" + info.name + "' has no content part in the file");
  }
  ScanSheetCells(*xml, what_, [&](const ScannedCell& cell) {
    if (cell.row < range.first_row || cell.row > range.last_row ||
        cell.column < range.first_column || cell.column > range.last_column) {
      return;
    }
    StoredCell stored;
    stored.row = cell.row;
    stored.column = cell.column;
    stored.style = cell.style;
    CellValue& value = stored.value;
    const std::string& type = cell.type;
    const std::string& text = cell.value;
    if (type == "inlineStr") {
      value.kind = CellValue::Kind::kText;
      value.text = text.find("_x") == std::string::npos ? text : DecodeEscapes(text);
      sink(std::move(stored));
      return;
    }
    if (!cell.has_value || (text.empty() && type != "str")) {
      if (cell.style != 0) sink(std::move(stored));  // formatted but empty
      return;
    }
    if (type == "s") {
      int item = ParseInt(text.c_str(), -1);
      if (item < 0 || item >= static_cast<int>(shared_strings_.size())) {
        throw Error(kErrUnspecified, kSource,
                    what_ + ": cell " + ColumnLetters(cell.column) + std::to_string(cell.row) +
                        " of sheet '" + info.name + "' refers to shared string " + text +
                        (has_shared_strings_ ? ", which the shared strings part does not hold"
                                             : ", but the file has no shared strings part"));
      }
      value.kind = CellValue::Kind::kText;
      value.text = shared_strings_[item];
    } else if (type == "str") {  // a formula's text result
      value.kind = CellValue::Kind::kText;
      value.text = text.find("_x") == std::string::npos ? text : DecodeEscapes(text);
    } else if (type == "b") {
      value.kind = CellValue::Kind::kBoolean;
      value.number = text == "0" || text == "false" ? 0 : 1;
    } else if (type == "e") {
      value.kind = CellValue::Kind::kError;
      value.text = text;
    } else if (type == "d") {
      double serial = 0;
      if (ParseIsoDate(text.c_str(), &serial)) {
        if (date_system_ == DateSystem::k1904) serial -= 1462;
        value.kind = CellValue::Kind::kNumber;
        value.number = serial;
      } else {
        value.kind = CellValue::Kind::kText;
        value.text = text;
      }
    } else {
      double number = 0;
      const char* begin = text.data();
      const char* end = begin + text.size();
      while (begin < end && *begin == ' ') ++begin;
      if (begin < end && *begin == '+') ++begin;  // "+5" is a number too
      auto [ptr, ec] = std::from_chars(begin, end, number);
      if (ec == std::errc() && ptr == end) {
        value.kind = CellValue::Kind::kNumber;
        value.number = number;
      } else {
        value.kind = CellValue::Kind::kText;
        value.text = text;
      }
    }
    sink(std::move(stored));
  });
}

}  // namespace vintrel::host::workbook

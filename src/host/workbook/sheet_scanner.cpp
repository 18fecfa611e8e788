#include "host/workbook/sheet_scanner.h"

#include <charconv>
#include <cstring>

#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/workbook/cell_reference.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

class Scanner {
 public:
  Scanner(std::string_view xml, const std::string& what)
      : p_(xml.data()), end_(xml.data() + xml.size()), what_(what) {}

  [[noreturn]] void Fail(const char* problem) const {
    throw Error(kErrUnspecified, kSource, what_ + ": a sheet's XML is broken (" + problem + ")");
  }

  bool AtEnd() const { return p_ >= end_; }

  // Moves to the next '<'; false at the end of the text.
  bool NextTag() {
    // Tags lie a few bytes apart in a sheet: a plain loop beats a library call each time.
    while (p_ < end_ && *p_ != '<') ++p_;
    return p_ < end_;
  }

  // At '<': skips comments, processing instructions and declarations. True when it did.
  bool SkipSpecial() {
    if (p_ + 1 >= end_) Fail("it ends inside a tag");
    if (p_[1] == '?') return SkipPast("?>");
    if (p_[1] == '!') {
      if (end_ - p_ >= 4 && std::memcmp(p_, "<!--", 4) == 0) return SkipPast("-->");
      return SkipPast(">");
    }
    return false;
  }

  // At '<': reads the tag name (local part) and attributes. Returns the local name.
  std::string_view ReadTag(bool* closing, bool* empty) {
    ++p_;
    *closing = p_ < end_ && *p_ == '/';
    if (*closing) ++p_;
    const char* start = p_;
    while (p_ < end_ && !IsSpace(*p_) && *p_ != '>' && *p_ != '/') ++p_;
    std::string_view name(start, static_cast<size_t>(p_ - start));
    name = LocalPart(name);
    attributes_.clear();
    while (true) {
      while (p_ < end_ && IsSpace(*p_)) ++p_;
      if (p_ >= end_) Fail("it ends inside a tag");
      if (*p_ == '>') {
        ++p_;
        *empty = false;
        return name;
      }
      if (*p_ == '/') {
        if (p_ + 1 >= end_ || p_[1] != '>') Fail("a tag is malformed");
        p_ += 2;
        *empty = true;
        return name;
      }
      const char* attribute = p_;
      while (p_ < end_ && *p_ != '=' && !IsSpace(*p_) && *p_ != '>') ++p_;
      std::string_view attribute_name(attribute, static_cast<size_t>(p_ - attribute));
      while (p_ < end_ && IsSpace(*p_)) ++p_;
      if (p_ >= end_ || *p_ != '=') Fail("an attribute has no value");
      ++p_;
      while (p_ < end_ && IsSpace(*p_)) ++p_;
      if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) Fail("an attribute value is not quoted");
      char quote = *p_++;
      const char* value = p_;
      while (p_ < end_ && *p_ != quote) ++p_;
      if (p_ >= end_) Fail("it ends inside an attribute");
      ++p_;
      attributes_.emplace_back(attribute_name,
                               std::string_view(value, static_cast<size_t>(p_ - 1 - value)));
    }
  }

  std::string_view Attribute(std::string_view local) const {
    for (const auto& [name, value] : attributes_) {
      if (LocalPart(name) == local) return value;
    }
    return {};
  }

  // Appends the character data up to the next tag, entities decoded; CDATA sections are kept
  // as they are.
  void AppendText(std::string& out) {
    while (p_ < end_) {
      char c = *p_;
      if (c == '<') {
        if (end_ - p_ >= 9 && std::memcmp(p_, "<![CDATA[", 9) == 0) {
          const char* start = p_ + 9;
          std::string_view rest(start, static_cast<size_t>(end_ - start));
          size_t close = rest.find("]]>");
          if (close == std::string_view::npos) Fail("it ends inside a CDATA section");
          out.append(start, close);
          p_ = start + close + 3;
          continue;
        }
        return;
      }
      if (c == '&') {
        AppendEntity(out);
        continue;
      }
      const char* start = p_;
      while (p_ < end_ && *p_ != '<' && *p_ != '&') {
        // Line ends read as one line feed, as XML parsers give them.
        if (*p_ == '\r') break;
        ++p_;
      }
      out.append(start, static_cast<size_t>(p_ - start));
      if (p_ < end_ && *p_ == '\r') {
        out.push_back('\n');
        ++p_;
        if (p_ < end_ && *p_ == '\n') ++p_;
      }
    }
  }

  // Skips an element's content up to and including its end tag named `local`.
  void SkipElement(std::string_view local) {
    int depth = 1;
    while (depth > 0) {
      if (!NextTag()) Fail("it ends inside an element");
      if (SkipSpecial()) continue;
      bool closing = false;
      bool empty = false;
      std::string_view name = ReadTag(&closing, &empty);
      if (name != local || empty) continue;
      depth += closing ? -1 : 1;
    }
  }

 private:
  // A name without its namespace prefix. Names are short: a plain loop beats a library call.
  static std::string_view LocalPart(std::string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
      if (name[i] == ':') return name.substr(i + 1);
    }
    return name;
  }

  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

  bool SkipPast(const char* marker) {
    std::string_view rest(p_, static_cast<size_t>(end_ - p_));
    size_t found = rest.find(marker);
    if (found == std::string_view::npos) Fail("it ends inside a comment or declaration");
    p_ += found + std::strlen(marker);
    return true;
  }

  void AppendEntity(std::string& out) {
    const void* semicolon = std::memchr(p_, ';', std::min<size_t>(12, end_ - p_));
    if (semicolon == nullptr) {
      out.push_back(*p_++);
      return;
    }
    std::string_view entity(p_ + 1, static_cast<const char*>(semicolon) - p_ - 1);
    p_ = static_cast<const char*>(semicolon) + 1;
    if (entity == "lt") {
      out.push_back('<');
    } else if (entity == "gt") {
      out.push_back('>');
    } else if (entity == "amp") {
      out.push_back('&');
    } else if (entity == "quot") {
      out.push_back('"');
    } else if (entity == "apos") {
      out.push_back('\'');
    } else if (!entity.empty() && entity[0] == '#') {
      unsigned code = 0;
      bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
      const char* digits = entity.data() + (hex ? 2 : 1);
      auto [ptr, ec] = std::from_chars(digits, entity.data() + entity.size(), code, hex ? 16 : 10);
      if (ec != std::errc() || code > 0x10FFFF) Fail("a character reference is invalid");
      AppendUtf8(out, code);
    } else {
      out.push_back('&');
      out.append(entity);
      out.push_back(';');
    }
  }

  const char* p_;
  const char* end_;
  const std::string& what_;
  std::vector<std::pair<std::string_view, std::string_view>> attributes_;
};

int ToInt(std::string_view text, int fallback) {
  int value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size() ? value : fallback;
}

// Collects the <t> texts of an inline string up to </is>, leaving out phonetic guides.
void ReadInlineString(Scanner& scanner, std::string& out) {
  while (true) {
    if (!scanner.NextTag()) scanner.Fail("it ends inside an inline string");
    if (scanner.SkipSpecial()) continue;
    bool closing = false;
    bool empty = false;
    std::string_view name = scanner.ReadTag(&closing, &empty);
    if (closing && name == "is") return;
    if (closing || empty) continue;
    if (name == "t") {
      scanner.AppendText(out);
    } else if (name == "rPh") {
      scanner.SkipElement("rPh");
    }
  }
}

}  // namespace

void ScanSheetCells(std::string_view xml, const std::string& what,
                    const std::function<void(const ScannedCell&)>& visit) {
  Scanner scanner(xml, what);
  bool in_data = false;
  bool in_cell = false;
  int row = 0;
  int column = 0;
  ScannedCell cell;
  while (scanner.NextTag()) {
    if (scanner.SkipSpecial()) continue;
    bool closing = false;
    bool empty = false;
    std::string_view name = scanner.ReadTag(&closing, &empty);
    if (!in_data) {
      in_data = name == "sheetData" && !closing && !empty;
      continue;
    }
    if (closing) {
      if (name == "c" && in_cell) {
        in_cell = false;
        visit(cell);
      } else if (name == "sheetData") {
        return;
      }
      continue;
    }
    if (name == "row") {
      std::string_view r = scanner.Attribute("r");
      // A row numbered past the sheet's last holds nothing a range reaches; counting on from
      // there must not overflow.
      const int next = row <= kMaxRows ? row + 1 : row;
      row = r.empty() ? next : ToInt(r, next);
      column = 0;
    } else if (name == "c") {
      std::string_view ref = scanner.Attribute("r");
      int cell_row = row;
      if (ref.empty() || !ParseCellReference(ref, &cell_row, &column)) ++column;
      cell.row = cell_row;
      cell.column = column;
      cell.style = ToInt(scanner.Attribute("s"), 0);
      cell.type.assign(scanner.Attribute("t"));
      cell.has_value = false;
      cell.value.clear();
      if (empty) {
        visit(cell);
      } else {
        in_cell = true;
      }
    } else if (in_cell && name == "v") {
      cell.has_value = true;
      if (!empty) scanner.AppendText(cell.value);
    } else if (in_cell && name == "is") {
      cell.has_value = true;
      if (!empty) ReadInlineString(scanner, cell.value);
    } else if (!empty) {
      // Formulas, extensions and the like: nothing inside them is a cell or a value.
      scanner.SkipElement(name);
    }
  }
  if (in_cell || in_data) scanner.Fail("it ends before the end of its cells");
}

}  // namespace vintrel::host::workbook

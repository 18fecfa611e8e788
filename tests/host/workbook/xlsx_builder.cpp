#include "xlsx_builder.h"

#include <zip.h>

#include <stdexcept>

namespace vintrel::host::workbook::testing {

void WriteZip(const std::string& path, const Parts& parts, bool compress,
              const std::string& encrypted) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + path);
  for (const auto& [name, content] : parts) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("cannot add " + name);
    }
    if (!compress)
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    if (name == encrypted) {
      zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "pw");
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path);
}

std::string SheetXml(const std::string& rows) {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
         "<sheetData>" +
         rows + "</sheetData></worksheet>";
}

Parts WorkbookParts(const BookContents& contents) {
  const std::string rel_base =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  Parts parts;
  parts["[Content_Types].xml"] =
      R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)";
  parts["_rels/.rels"] =
      R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type=")" +
      rel_base + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)";
  std::string sheets;
  std::string rels;
  int n = 0;
  for (const auto& [name, xml] : contents.sheets) {
    ++n;
    const std::string kChart = " (chart)";
    bool chart = name.size() > kChart.size() &&
                 name.compare(name.size() - kChart.size(), kChart.size(), kChart) == 0;
    std::string shown = chart ? name.substr(0, name.size() - kChart.size()) : name;
    std::string id = "rId" + std::to_string(n);
    std::string part =
        (chart ? "chartsheets/sheet" : "worksheets/sheet") + std::to_string(n) + ".xml";
    sheets +=
        "<sheet name=\"" + shown + "\" sheetId=\"" + std::to_string(n) + "\" r:id=\"" + id + "\"/>";
    rels += "<Relationship Id=\"" + id + "\" Type=\"" + rel_base +
            (chart ? "chartsheet" : "worksheet") + "\" Target=\"" + part + "\"/>";
    parts["xl/" + part] = xml;
  }
  if (contents.has_shared_strings) {
    rels += "<Relationship Id=\"rIdS\" Type=\"" + rel_base +
            "sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
    parts["xl/sharedStrings.xml"] =
        R"(<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
        contents.shared_strings + "</sst>";
  }
  if (!contents.styles.empty()) {
    rels += "<Relationship Id=\"rIdT\" Type=\"" + rel_base + "styles\" Target=\"styles.xml\"/>";
    parts["xl/styles.xml"] =
        R"(<?xml version="1.0"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
        contents.styles + "</styleSheet>";
  }
  parts["xl/workbook.xml"] =
      R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)" +
      std::string(contents.date1904 ? R"(<workbookPr date1904="1"/>)" : "<workbookPr/>") +
      "<sheets>" + sheets + "</sheets><definedNames>" + contents.defined_names +
      "</definedNames></workbook>";
  parts["xl/_rels/workbook.xml.rels"] =
      R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
      rels + "</Relationships>";
  return parts;
}

}  // namespace vintrel::host::workbook::testing

#include "host/ooxml/shape_text.h"

#include <vector>

#include "host/common/text.h"
#include "host/common/text_encoding.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

// Run properties fit to copy into new runs: without hyperlinks (they carry relationship ids
// that the new text does not want) and without the spelling mark.
void CleanRunProperties(pugi::xml_node properties) {
  properties.remove_child("a:hlinkClick");
  properties.remove_child("a:hlinkMouseOver");
  properties.remove_attribute("err");
}

}  // namespace

std::string ReadBodyText(pugi::xml_node body) {
  std::string out;
  bool first = true;
  for (pugi::xml_node paragraph : body.children("a:p")) {
    if (!first) out += '\r';
    first = false;
    for (pugi::xml_node item : paragraph.children()) {
      std::string_view name = item.name();
      if (name == "a:r" || name == "a:fld") {
        out += item.child("a:t").text().get();
      } else if (name == "a:br") {
        out += '\v';
      }
    }
  }
  return out;
}

void WriteBodyText(pugi::xml_node body, std::string_view text) {
  pugi::xml_node first = body.child("a:p");
  pugi::xml_node last;
  for (pugi::xml_node p : body.children("a:p")) last = p;

  // Keep copies of what the new paragraphs take over before the old ones go.
  pugi::xml_document keep;
  pugi::xml_node paragraph_props = first ? first.child("a:pPr") : pugi::xml_node();
  if (paragraph_props) paragraph_props = keep.append_copy(paragraph_props);
  pugi::xml_node run_props;
  if (first) {
    for (pugi::xml_node item : first.children()) {
      std::string_view name = item.name();
      if ((name == "a:r" || name == "a:fld" || name == "a:br") && item.child("a:rPr")) {
        run_props = keep.append_copy(item.child("a:rPr"));
        break;
      }
    }
    if (!run_props && first.child("a:endParaRPr")) {
      run_props = keep.append_copy(first.child("a:endParaRPr"));
      run_props.set_name("a:rPr");
    }
  }
  if (run_props) CleanRunProperties(run_props);
  pugi::xml_node end_props = last ? last.child("a:endParaRPr") : pugi::xml_node();
  if (end_props) {
    end_props = keep.append_copy(end_props);
    CleanRunProperties(end_props);
  } else if (run_props) {
    end_props = keep.append_copy(run_props);
    end_props.set_name("a:endParaRPr");
  }

  // New paragraphs go where the first old one was (before any a:extLst of the body).
  pugi::xml_node anchor = first;
  std::vector<pugi::xml_node> old;
  for (pugi::xml_node p : body.children("a:p")) old.push_back(p);
  auto insert_paragraph = [&]() {
    return anchor ? body.insert_child_before("a:p", anchor) : body.append_child("a:p");
  };
  if (!anchor) anchor = body.child("a:extLst");

  for (const std::string& paragraph_text : SplitLines(host::XmlText(text, true))) {
    pugi::xml_node paragraph = insert_paragraph();
    if (paragraph_props) paragraph.append_copy(paragraph_props);
    size_t start = 0;
    for (;;) {
      size_t end = paragraph_text.find('\v', start);
      std::string_view line =
          std::string_view(paragraph_text)
              .substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!line.empty()) {
        pugi::xml_node run = paragraph.append_child("a:r");
        if (run_props) run.append_copy(run_props);
        run.append_child("a:t").text().set(std::string(line).c_str());
      }
      if (end == std::string::npos) break;
      pugi::xml_node br = paragraph.append_child("a:br");
      if (run_props) br.append_copy(run_props);
      start = end + 1;
    }
    if (end_props) paragraph.append_copy(end_props);
  }
  for (pugi::xml_node p : old) body.remove_child(p);
}

}  // namespace vintrel::ooxml

#include "decks/deck_builder.h"

#include <zip.h>

#include "deck_skeleton/deck_skeleton.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml::testing {

std::string TextBox(int id, const std::string& name, const std::string& text, long x, long y,
                    long cx, long cy) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + name +
         "\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"" +
         std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" +
         std::to_string(cx) + "\" cy=\"" + std::to_string(cy) +
         "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr><p:txBody>"
         "<a:bodyPr/><a:lstStyle/><a:p><a:r><a:rPr lang=\"en-US\" sz=\"1400\" b=\"1\"/><a:t>" +
         text + "</a:t></a:r></a:p></p:txBody></p:sp>";
}

DeckLayout OneSlide(const std::string& shapes) {
  DeckLayout deck;
  deck.slides.emplace_back();
  deck.slides.back().shapes = shapes;
  return deck;
}

std::string BuildDeck(const DeckLayout& deck) {
  pptx::Deck skeleton;
  for (const SlideLayout& slide : deck.slides) {
    skeleton.slides.push_back(
        {slide.shapes, slide.rels, slide.root_attributes, slide.after_tree, slide.tail});
  }
  skeleton.theme = pptx::ThemeXml(deck.theme_elements);
  skeleton.presentation_tail = deck.presentation_tail;
  skeleton.presentation_relationships = deck.presentation_rels;
  skeleton.presentation_properties = deck.show_properties;
  skeleton.content_types = deck.extra_content_types;
  skeleton.more_parts = deck.extra_parts;
  skeleton.layout = deck.layout;
  return BuildZip(pptx::DeckParts(skeleton));
}

std::string ReadEntry(const std::string& package_path, const std::string& entry) {
  auto archive = ZipArchive::Open(package_path);
  return archive->Has(entry) ? archive->Read(entry) : std::string();
}

std::vector<std::string> EntryNames(const std::string& package_path) {
  return ZipArchive::Open(package_path)->Names();
}

std::string RawEntry(const std::string& package_path, const std::string& entry) {
  int error = 0;
  zip_t* archive = zip_open(package_path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return {};
  std::string out;
  zip_stat_t st;
  if (zip_stat(archive, entry.c_str(), 0, &st) == 0) {
    zip_file_t* file = zip_fopen_index(archive, st.index, ZIP_FL_COMPRESSED);
    out.resize(st.comp_size);
    if (file == nullptr ||
        zip_fread(file, out.data(), st.comp_size) != static_cast<zip_int64_t>(st.comp_size)) {
      out.clear();
    }
    if (file) zip_fclose(file);
    out += "/method=" + std::to_string(st.comp_method);
  }
  zip_discard(archive);
  return out;
}

}  // namespace vintrel::ooxml::testing

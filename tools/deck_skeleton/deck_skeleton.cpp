#include "deck_skeleton/deck_skeleton.h"

#include "host/common/text.h"

namespace vintrel::pptx {
namespace {

constexpr char kRelationshipType[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr char kPresentationType[] =
    "application/vnd.openxmlformats-officedocument.presentationml.";
constexpr char kColorMap[] =
    "<p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" tx2=\"dk2\" accent1=\"accent1\" "
    "accent2=\"accent2\" accent3=\"accent3\" accent4=\"accent4\" accent5=\"accent5\" "
    "accent6=\"accent6\" hlink=\"hlink\" folHlink=\"folHlink\"/>";

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"/" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string ContentTypes(const Deck& deck) {
  std::string xml =
      std::string(kXmlDeclaration) +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
      "Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
      deck.content_defaults +
      Override("ppt/presentation.xml", std::string(kPresentationType) + "presentation.main+xml") +
      Override("ppt/slideMasters/slideMaster1.xml",
               std::string(kPresentationType) + "slideMaster+xml") +
      Override("ppt/slideLayouts/slideLayout1.xml",
               std::string(kPresentationType) + "slideLayout+xml") +
      Override("ppt/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml") +
      Override("ppt/presProps.xml", std::string(kPresentationType) + "presProps+xml");
  for (size_t i = 1; i <= deck.slides.size(); ++i) {
    xml += Override("ppt/slides/slide" + std::to_string(i) + ".xml",
                    std::string(kPresentationType) + "slide+xml");
  }
  return xml + deck.content_types + "</Types>";
}

std::string Presentation(const Deck& deck) {
  std::string ids;
  std::string relationships;
  for (size_t i = 0; i < deck.slides.size(); ++i) {
    const std::string id = "rId" + std::to_string(10 + i);
    ids += "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"" + id + "\"/>";
    relationships +=
        RelationshipXml({id, "slide", "slides/slide" + std::to_string(i + 1) + ".xml"});
  }
  const std::string attributes =
      deck.presentation_attributes.empty() ? "" : " " + deck.presentation_attributes;
  return std::string(kXmlDeclaration) + "<p:presentation " + kNamespaces + attributes +
         "><p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rId1\"/></p:sldMasterIdLst>"
         "<p:sldIdLst>" +
         ids + "</p:sldIdLst><p:sldSz cx=\"" + std::to_string(kSlideWidth) + "\" cy=\"" +
         std::to_string(kSlideHeight) + "\"/><p:notesSz cx=\"6858000\" cy=\"9144000\"/>" +
         deck.presentation_tail + "</p:presentation>";
}

std::string PresentationRelationships(const Deck& deck) {
  std::string items = RelationshipXml({"rId1", "slideMaster", "slideMasters/slideMaster1.xml"}) +
                      RelationshipXml({"rId2", "theme", "theme/theme1.xml"}) +
                      RelationshipXml({"rId3", "presProps", "presProps.xml"});
  for (size_t i = 0; i < deck.slides.size(); ++i) {
    items += RelationshipXml(
        {"rId" + std::to_string(10 + i), "slide", "slides/slide" + std::to_string(i + 1) + ".xml"});
  }
  return RelationshipsXml(items + deck.presentation_relationships);
}

std::string PlainMaster() {
  return std::string(kXmlDeclaration) + "<p:sldMaster " + kNamespaces + "><p:cSld><p:spTree>" +
         kTreeStart + "</p:spTree></p:cSld>" + kColorMap +
         "<p:sldLayoutIdLst><p:sldLayoutId id=\"2147483649\" r:id=\"rId1\"/></p:sldLayoutIdLst>"
         "</p:sldMaster>";
}

// A title layout whose title sits at 66pt/28.75pt.
std::string PlainLayout() {
  return std::string(kXmlDeclaration) + "<p:sldLayout " + kNamespaces +
         " type=\"title\"><p:cSld><p:spTree>" + kTreeStart +
         "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title 1\"/><p:cNvSpPr/><p:nvPr><p:ph "
         "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"838200\" "
         "y=\"365125\"/><a:ext cx=\"10515600\" cy=\"1325563\"/></a:xfrm></p:spPr></p:sp>"
         "</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sldLayout>";
}

}  // namespace

const char kNamespaces[] =
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";

const char kTreeStart[] =
    "<p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>"
    "<p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/><a:chOff x=\"0\" "
    "y=\"0\"/><a:chExt cx=\"0\" cy=\"0\"/></a:xfrm></p:grpSpPr>";

std::string RelationshipXml(const Relationship& relationship) {
  const bool whole = relationship.type.find("://") != std::string::npos;
  return "<Relationship Id=\"" + relationship.id + "\" Type=\"" + (whole ? "" : kRelationshipType) +
         relationship.type + "\" Target=\"" + EscapeXml(relationship.target) + "\"" +
         (relationship.external ? " TargetMode=\"External\"" : "") + "/>";
}

std::string RelationshipsXml(std::string_view items) {
  return std::string(kXmlDeclaration) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
         std::string(items) + "</Relationships>";
}

std::string SlideXml(const Slide& slide) {
  const std::string attributes = slide.root_attributes.empty() ? "" : " " + slide.root_attributes;
  return std::string(kXmlDeclaration) + "<p:sld " + kNamespaces + attributes +
         "><p:cSld><p:spTree>" + kTreeStart + slide.shapes + "</p:spTree>" + slide.after_tree +
         "</p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>" + slide.tail + "</p:sld>";
}

std::string ThemeXml(std::string_view elements) {
  return std::string(kXmlDeclaration) +
         "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
         "name=\"T\"><a:themeElements>" +
         std::string(elements) + "</a:themeElements></a:theme>";
}

std::vector<std::pair<std::string, std::string>> DeckParts(const Deck& deck) {
  const std::string properties = deck.presentation_properties.empty()
                                     ? "/>"
                                     : ">" + deck.presentation_properties + "</p:presentationPr>";
  std::vector<std::pair<std::string, std::string>> parts = {
      {"[Content_Types].xml", ContentTypes(deck)},
      {"_rels/.rels",
       RelationshipsXml(RelationshipXml({"rId1", "officeDocument", "ppt/presentation.xml"}) +
                        deck.package_relationships)},
      {"ppt/presentation.xml", Presentation(deck)},
      {"ppt/_rels/presentation.xml.rels", PresentationRelationships(deck)},
      {"ppt/presProps.xml",
       std::string(kXmlDeclaration) + "<p:presentationPr " + kNamespaces + properties},
      {"ppt/slideMasters/slideMaster1.xml", deck.master.empty() ? PlainMaster() : deck.master},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       RelationshipsXml(
           RelationshipXml({"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}) +
           RelationshipXml({"rId2", "theme", "../theme/theme1.xml"}))},
      {"ppt/slideLayouts/slideLayout1.xml", deck.layout.empty() ? PlainLayout() : deck.layout},
      {"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
       RelationshipsXml(
           RelationshipXml({"rId1", "slideMaster", "../slideMasters/slideMaster1.xml"}))},
      {"ppt/theme/theme1.xml", deck.theme.empty() ? ThemeXml("") : deck.theme},
  };
  parts.insert(parts.begin() + 2, deck.package_parts.begin(), deck.package_parts.end());
  for (size_t i = 0; i < deck.slides.size(); ++i) {
    const std::string name = "slide" + std::to_string(i + 1) + ".xml";
    parts.push_back({"ppt/slides/" + name, SlideXml(deck.slides[i])});
    parts.push_back({"ppt/slides/_rels/" + name + ".rels",
                     RelationshipsXml(RelationshipXml({"rId1", "slideLayout",
                                                       "../slideLayouts/slideLayout1.xml"}) +
                                      deck.slides[i].relationships)});
  }
  parts.insert(parts.end(), deck.more_parts.begin(), deck.more_parts.end());
  return parts;
}

}  // namespace vintrel::pptx

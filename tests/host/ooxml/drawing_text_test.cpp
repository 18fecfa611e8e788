// Text as the slide shows it: lines, bullets, numbers, fonts Linux has, and fields.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>

#include "host/ooxml/drawing/drawing_bullets.h"
#include "host/ooxml/drawing/drawing_fields.h"
#include "host/ooxml/drawing/drawing_fonts.h"
#include "host/ooxml/drawing/drawing_line_breaks.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml::drawing {
namespace {

using vintrel::testing::TempDir;

// A text box at (10, 20) points, 100 x 50, holding `paragraphs` in Calibri 20 pt; `body` is put
// inside its a:bodyPr, `style` after its properties.
std::string TextShape(const std::string& paragraphs, const std::string& body = "",
                      const std::string& body_attributes = "", const std::string& style = "") {
  std::string box = ooxml::testing::BoxShape(
      "",
      style + "<p:txBody><a:bodyPr" + body_attributes + ">" + body +
          "</a:bodyPr><a:lstStyle><a:lvl1pPr><a:defRPr sz=\"2000\"><a:latin typeface=\"Calibri\"/>"
          "</a:defRPr></a:lvl1pPr><a:lvl2pPr><a:defRPr sz=\"2000\"><a:latin "
          "typeface=\"Calibri\"/></a:defRPr></a:lvl2pPr></a:lstStyle>" +
          paragraphs + "</p:txBody>");
  return box.replace(box.find("<p:cNvSpPr/>"), 12, "<p:cNvSpPr txBox=\"1\"/>");
}

std::string Paragraph(const std::string& properties, const std::string& text = "Text") {
  return "<a:p><a:pPr" + properties + "</a:pPr><a:r><a:rPr lang=\"en-US\"/><a:t>" + text +
         "</a:t></a:r></a:p>";
}

// A title placeholder of Calibri 20 pt with the body properties `body_properties`.
std::string Title(const std::string& body_properties) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title\"/><p:cNvSpPr/><p:nvPr><p:ph "
         "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext "
         "cx=\"1270000\" cy=\"635000\"/></a:xfrm></p:spPr><p:txBody>" +
         body_properties + "<a:lstStyle/>" + Paragraph("><a:defRPr sz=\"2000\"/>") +
         "</p:txBody></p:sp>";
}

// Auto-fit at half the size with a fifth off the line spacing.
const std::string kFitted =
    TextShape(Paragraph(">"), "<a:normAutofit fontScale=\"50000\" lnSpcReduction=\"20000\"/>");

class DrawingTextTest : public ::testing::Test {
 protected:
  // The drawn shape, parsed: its paragraphs are the `p` elements.
  pugi::xml_document Draw(const std::string& shape, const std::string& presentation_tail = "",
                          const std::string& layout_part = "") {
    testing::DeckLayout layout = testing::OneSlide(shape);
    layout.presentation_tail = presentation_tail;
    layout.layout = layout_part;
    std::string path = dir_.Write("deck.pptx", testing::BuildDeck(layout));
    auto deck = PackagePresentation::Open(path);
    ooxml::testing::RecordingAssets assets;
    svg_ = DrawShape(*deck, 1, 1, assets);
    pugi::xml_document parsed;
    EXPECT_TRUE(parsed.load_string(svg_.c_str())) << svg_;
    return parsed;
  }
  std::string Style(const pugi::xml_document& svg, const char* path) {
    return svg.select_node(path).node().attribute("style").value();
  }
  TempDir dir_;
  std::string svg_;
};

// Calibri draws its baseline 0.75 of the size below the top of its content (0.25 below it),
// where the presentation program puts it at 0.995 of the size below the line's top with the
// line's extra spacing above: each case shows where its paragraph's lines go.
TEST_F(DrawingTextTest, LineSpacingPlacesTheLines) {
  struct Case {
    const char* properties;
    const char* expected;
  } cases[] = {
      // single: 24 pt lines, baseline 19.9 pt down where CSS puts it at 2 + 15
      {">", "line-height:1.2;position:relative;top:2.9px"},
      {"><a:lnSpc><a:spcPct val=\"150000\"/></a:lnSpc>",
       "line-height:1.8;position:relative;top:8.9px"},
      {"><a:lnSpc><a:spcPts val=\"3000\"/></a:lnSpc>",
       "line-height:1.5;position:relative;top:5.9px"},
      // spacing before: in points, or a share of the font size; never above the first paragraph
      {"><a:spcBef><a:spcPts val=\"1200\"/></a:spcBef>", "margin-top:12px"},
      {"><a:spcBef><a:spcPct val=\"50000\"/></a:spcBef>", "margin-top:10px"},
      {"><a:spcAft><a:spcPts val=\"600\"/></a:spcAft>", "margin-bottom:6px"},
  };
  for (const Case& test : cases) {
    pugi::xml_document svg =
        Draw(TextShape(Paragraph(test.properties) + Paragraph(test.properties)));
    std::string first = Style(svg, "(//p)[1]"), second = Style(svg, "(//p)[2]");
    EXPECT_NE(second.find(test.expected), std::string::npos) << test.expected << "\n" << second;
    EXPECT_EQ(first.find("margin-top"), std::string::npos) << first;
  }
  // A line is as tall as the largest text on it: the paragraph's strut is its smallest text,
  // unless its lines are spaced in points.
  const std::pair<std::string, const char*> mixed[] = {
      {"", "margin:0;font-size:10px;line-height:1.2"},
      {"<a:lnSpc><a:spcPts val=\"3000\"/></a:lnSpc>", "margin:0;font-size:40px;line-height:0.75"},
  };
  for (const auto& [spacing, expected] : mixed) {
    std::string shape = TextShape("<a:p><a:pPr>" + spacing +
                                  "</a:pPr><a:r><a:rPr sz=\"4000\"/><a:t>Big</a:t></a:r><a:br/>"
                                  "<a:r><a:rPr sz=\"1000\"/><a:t>small</a:t></a:r></a:p>");
    EXPECT_EQ(Style(Draw(shape), "//p").rfind(expected, 0), 0u) << Style(Draw(shape), "//p");
  }
  // Auto-fit holds its paragraphs in the element the page scales further when they overflow.
  EXPECT_TRUE(Draw(kFitted).select_node("//div[@class='fit']/p")) << svg_;
}

TEST_F(DrawingTextTest, ParagraphsAndRunsKeepTheirFormatting) {
  auto run = [](const std::string& properties) {
    return TextShape("<a:p><a:r><a:rPr lang=\"en-US\"" + properties +
                     "</a:rPr><a:t>x</a:t></a:r></a:p>");
  };
  auto unwrapped = [](const std::string& align) {
    return TextShape(Paragraph(" algn=\"" + align + "\">"), "", " wrap=\"none\"");
  };
  const std::string hanging = TextShape(Paragraph(
      " marL=\"342900\" indent=\"-342900\"><a:buFont typeface=\"Arial\"/><a:buChar char=\"•\"/>"));
  auto bullet = [](const std::string& properties) { return TextShape(Paragraph(properties)); };
  struct Case {
    std::string shape;
    const char* path;
    const char* css;
    std::string text = "";  // of the element, when given
    std::string presentation_tail = "";
    std::string layout = "";
  } cases[] = {
      {kFitted, "//p", "font-size:10px;line-height:0.96"},
      // A box's own choice not to fit its text overrides its layout's.
      {Title("<a:bodyPr><a:noAutofit/></a:bodyPr>"), "//p", "font-size:20px", "", "",
       "<p:sldLayout xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
       "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:cSld><p:spTree>" +
           Title("<a:bodyPr><a:normAutofit fontScale=\"50000\"/></a:bodyPr>") +
           "</p:spTree></p:cSld></p:sldLayout>"},
      // A hanging indent puts the bullet in the indent.
      {hanging, "//p", "padding-left:27px;text-indent:-27px"},
      {hanging, "//p/span[1]", "text-indent:0;line-height:0;display:inline-block;min-width:27px",
       "•"},
      // A right-to-left paragraph hangs its bullet at the right.
      {bullet(" rtl=\"1\" marL=\"342900\" indent=\"-342900\"><a:buChar char=\"•\"/>"), "//p",
       "direction:rtl;padding-right:27px;text-indent:-27px"},
      // Bullets take their font (symbol fonts mapped to Unicode), colour and size.
      {bullet("><a:buFont typeface=\"Wingdings\"/><a:buChar char=\"§\"/>"), "//p/span[1]",
       "OpenSymbol", "▪\u00a0"},
      {bullet("><a:buClr><a:srgbClr val=\"C00000\"/></a:buClr><a:buChar char=\"–\"/>"),
       "//p/span[1]", "color:#c00000", "–\u00a0"},
      {bullet("><a:buSzPct val=\"50000\"/><a:buChar char=\"o\"/>"), "//p/span[1]", "font-size:10px",
       "o\u00a0"},
      {bullet("><a:buFontTx/><a:buChar char=\"o\"/>"), "//p/span[1]", "'Carlito'", "o\u00a0"},
      // Columns fill to the box's height (50 less the insets), right to left with rtlCol.
      {TextShape(Paragraph(">"), "", " numCol=\"2\" spcCol=\"127000\" rtlCol=\"1\""), "//p/../..",
       "column-count:2;column-gap:10px;column-fill:auto;height:42.8px;direction:rtl"},
      {TextShape(Paragraph(">"), "", " numCol=\"2\""), "//p/..", "direction:ltr"},
      {unwrapped("r"), "//p", "width:max-content;align-self:flex-end"},
      {unwrapped("ctr"), "//p", "width:max-content;align-self:center"},
      {unwrapped("l"), "//p", "width:max-content;align-self:flex-start"},
      {run(" baseline=\"30000\">"), "//p/span", "font-size:13.33px;vertical-align:6px"},
      {run("><a:highlight><a:srgbClr val=\"FFFF00\"/></a:highlight>"), "//p/span",
       "background-color:#ffff00"},
      {run("><a:hlinkClick r:id=\"\"/>"), "//p/span", "text-decoration:underline"},
      // The shape style's font colour comes after the shape's own text styles and before the
      // presentation's and master's.
      {TextShape("<a:p><a:r><a:rPr lang=\"en-US\"/><a:t>x</a:t></a:r></a:p>", "", "",
                 "<p:style><a:lnRef idx=\"0\"><a:srgbClr val=\"000000\"/></a:lnRef><a:fillRef "
                 "idx=\"0\"><a:srgbClr val=\"000000\"/></a:fillRef><a:effectRef idx=\"0\">"
                 "<a:srgbClr val=\"000000\"/></a:effectRef><a:fontRef idx=\"minor\"><a:srgbClr "
                 "val=\"FFFFFF\"/></a:fontRef></p:style>"),
       "//p/span", "color:#ffffff", "",
       "<p:defaultTextStyle><a:lvl1pPr><a:defRPr><a:solidFill><a:srgbClr "
       "val=\"123456\"/></a:solidFill></a:defRPr></a:lvl1pPr></p:defaultTextStyle>"},
  };
  for (const Case& test : cases) {
    pugi::xml_document svg = Draw(test.shape, test.presentation_tail, test.layout);
    pugi::xml_node node = svg.select_node(test.path).node();
    EXPECT_NE(std::string(node.attribute("style").value()).find(test.css), std::string::npos)
        << test.css << "\n"
        << svg_;
    EXPECT_EQ(test.text.empty() ? "" : std::string(node.text().get()), test.text) << svg_;
  }
}

TEST_F(DrawingTextTest, AutomaticNumbersCountByLevel) {
  const std::string numbered = "><a:buAutoNum type=\"arabicPeriod\"/>";
  pugi::xml_document svg =
      Draw(TextShape(Paragraph(numbered) + Paragraph(numbered) +
                     Paragraph(" lvl=\"1\"><a:buAutoNum type=\"alphaLcParenR\"/>") +
                     Paragraph(" lvl=\"1\"><a:buAutoNum type=\"alphaLcParenR\"/>") +
                     Paragraph(numbered) + "<a:p><a:pPr/></a:p>" + Paragraph(numbered) +
                     Paragraph("><a:buNone/>") + Paragraph(numbered)));
  std::vector<std::string> bullets;
  for (pugi::xpath_node p : svg.select_nodes("//p[span[2]]")) {
    bullets.push_back(p.node().first_child().text().get());
  }
  EXPECT_EQ(bullets, (std::vector<std::string>{"1.\u00a0", "2.\u00a0", "a)\u00a0", "b)\u00a0",
                                               "3.\u00a0", "4.\u00a0", "1.\u00a0"}));
}

TEST(AutoNumberTextTest, SchemesWriteTheirNumbers) {
  struct Case {
    const char* scheme;
    int number;
    const char* text;
  } cases[] = {
      {"arabicParenR", 12, "12)"},   {"arabicParenBoth", 2, "(2)"},  {"alphaLcPeriod", 2, "b."},
      {"alphaUcParenR", 28, "BB)"},  {"romanUcPeriod", 14, "XIV."},  {"romanLcParenR", 9, "ix)"},
      {"circleNumDbPlain", 3, "③"},  {"ea1JpnKorPeriod", 2, "２．"}, {"ea1ChsPeriod", 12, "十二."},
      {"someFutureScheme", 4, "4."},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(AutoNumberText(test.scheme, test.number), test.text) << test.scheme;
  }
}

TEST(FontMappingTest, FamiliesKeepTheirWidthsAndGenericFamily) {
  struct Case {
    const char* family;
    const char* css;
  } cases[] = {
      {"Calibri", "'Calibri','Carlito',sans-serif"},
      {"Cambria", "'Cambria','Caladea',serif"},
      {"Palatino Linotype", "'Palatino Linotype','DejaVu Serif',serif"},
      {"Century Gothic", "'Century Gothic','DejaVu Sans',sans-serif"},
      {"Consolas", "'Consolas','DejaVu Sans Mono',monospace"},
  };
  for (const Case& test : cases) EXPECT_EQ(CssFontFamily(test.family), test.css);
}

// Table rows grow to as many lines as the page breaks their cells' text into.
TEST(LineCountTest, LinesBreakAtSpacesHyphensAndInsideLongWords) {
  struct Case {
    const char* text;
    const char* family;
    double size, width;
    int lines;
  } cases[] = {
      {"Sales by region", "Calibri", 18, 500, 1},
      {"North\nSouth", "Calibri", 18, 500, 2},
      {"a b c d", "Calibri", 20, 15, 4},
      {"Donaudampfschifffahrt", "Calibri", 20, 100, 2},
      // As LibreOffice and the page break it in a cell of a real deck (DejaVu for Aptos).
      {"1b92870d-e3b5-4e65-8153-919f4ff45592", "Aptos", 18, 92.3, 6},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(LineCount(test.text, test.size, DrawnWidths(test.family), test.width), test.lines)
        << test.text;
  }
}

TEST(SymbolFontTest, CharactersBecomeTheirUnicodeEquivalents) {
  struct Case {
    const char* family;
    const char* text;
    const char* expected;
  } cases[] = {
      {"Wingdings", "\xEF\x81\xAC", "●"},    // U+F06C
      {"Wingdings", "n", "■"},               // the plain code
      {"Wingdings 2", "\xEF\x82\x97", "•"},  // U+F097
      {"Wingdings 3", "\xEF\x81\xB5", "▶"},  // U+F075
      {"Symbol", "abp", "αβπ"},
      {"Wingdings", "▪", "▪"},  // already Unicode
  };
  for (const Case& test : cases) {
    EXPECT_TRUE(IsSymbolFont(test.family));
    EXPECT_EQ(SymbolText(test.family, test.text), test.expected) << test.family << test.text;
  }
  EXPECT_FALSE(IsSymbolFont("Arial"));
}

TEST_F(DrawingTextTest, FieldsShowTheSlideNumberAndTheDate) {
  pugi::xml_document svg = Draw(TextShape(
      "<a:p><a:fld id=\"{1}\" type=\"slidenum\"><a:rPr lang=\"en-US\"/><a:t>‹#›</a:t></a:fld>"
      "<a:fld id=\"{2}\" type=\"title\"><a:rPr lang=\"en-US\"/><a:t> Stored</a:t></a:fld></a:p>"));
  EXPECT_EQ(std::string(svg.select_node("//p/span[1]").node().text().get()) +
                svg.select_node("//p/span[2]").node().text().get(),
            "1 Stored");

  std::tm when{};
  when.tm_year = 2026 - 1900, when.tm_mon = 9, when.tm_mday = 5, when.tm_wday = 1;
  when.tm_hour = 16, when.tm_min = 5, when.tm_sec = 9;
  struct Case {
    const char* type;
    const char* text;
  } cases[] = {
      {"datetime", "10/05/2026"}, {"datetime2", "Monday, October 5, 2026"},
      {"datetime5", "05-Oct-26"}, {"datetime9", "10/05/2026 04:05:09 PM"},
      {"datetime10", "16:05"},    {"slidenum", ""},
  };
  for (const Case& test : cases) EXPECT_EQ(DateFieldText(test.type, when), test.text) << test.type;
}

// A box that grows with its text, stored without a height, is still drawn (a foreignObject
// of no height is not).
TEST_F(DrawingTextTest, BoxesStoredWithoutHeightAreDrawn) {
  std::string shape = TextShape(Paragraph(">"), "<a:spAutoFit/>");
  shape.replace(shape.find("cy=\"635000\""), 11, "cy=\"0\"");
  pugi::xml_document svg = Draw(shape);
  EXPECT_GE(svg.select_node("//foreignObject").node().attribute("height").as_double(), 1) << svg_;
}

}  // namespace
}  // namespace vintrel::ooxml::drawing

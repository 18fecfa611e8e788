// Text of a shape as the host gives it (CR between paragraphs, VT for line breaks) and text
// replacement that keeps the look of the first run.
#include "host/ooxml/shape_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ooxml/xml_util.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using testing::ExpectParts;

const char kBody[] =
    "<p:txBody xmlns:p=\"p\" xmlns:a=\"a\"><a:bodyPr/><a:lstStyle/>"
    "<a:p><a:pPr algn=\"ctr\"/><a:r><a:rPr lang=\"en-US\" b=\"1\" err=\"1\"><a:hlinkClick "
    "r:id=\"rId9\"/></a:rPr><a:t> Foo Bar </a:t></a:r><a:br><a:rPr lang=\"en-US\"/></a:br>"
    "<a:fld id=\"{1}\" type=\"slidenum\"><a:rPr lang=\"en-US\"/><a:t>7</a:t></a:fld>"
    "<a:endParaRPr lang=\"en-US\" dirty=\"0\"/></a:p>"
    "<a:p><a:r><a:rPr lang=\"de-DE\" i=\"1\"/><a:t>second</a:t></a:r>"
    "<a:endParaRPr lang=\"de-DE\" sz=\"900\"/></a:p></p:txBody>";

class ShapeText : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ParseXml(doc_, kBody), ""); }
  pugi::xml_node body() { return doc_.document_element(); }
  std::string Xml() { return WriteXml(doc_); }
  pugi::xml_document doc_;
};

TEST_F(ShapeText, ReadsAndWritesParagraphsAndBreaksWithTheFirstRunsLook) {
  EXPECT_EQ(ReadBodyText(body()), " Foo Bar \v7\rsecond");  // fields and spaces read as shown
  WriteBodyText(body(), "one\r\ntwo\vthree\nfour\rfive");
  EXPECT_EQ(ReadBodyText(body()), "one\rtwo\vthree\rfour\rfive");
  std::string xml = Xml();
  // Every paragraph gets the first one's properties and every run its formatting, without the
  // hyperlink and the spelling mark; the paragraph end mark comes from the last paragraph.
  EXPECT_EQ(xml.find("<a:pPr algn=\"ctr\"/><a:r><a:rPr lang=\"en-US\" b=\"1\"/><a:t>one</a:t>"),
            xml.find("<a:pPr"));
  ExpectParts(xml, {"!hlinkClick", "!err=",
                    "<a:t>two</a:t></a:r><a:br><a:rPr lang=\"en-US\" b=\"1\"/></a:br><a:r>",
                    "<a:t>five</a:t></a:r><a:endParaRPr lang=\"de-DE\" sz=\"900\"/></a:p>",
                    "<a:bodyPr/><a:lstStyle/><a:p>"});
}

TEST_F(ShapeText, WhatIsWrittenReadsBack) {
  struct Case {
    std::string written, read;
    std::vector<std::string> parts = {};  // of the XML written
  };
  const Case cases[] = {
      // Empty text keeps one empty paragraph.
      {"",
       "",
       {"<a:p><a:pPr algn=\"ctr\"/><a:endParaRPr lang=\"de-DE\" sz=\"900\"/></a:p>", "!<a:r>"}},
      {"a\r\rb", "a\r\rb"},
      {"\va", "\va"},
      {"a\v", "a\v"},
      {" ", " "},
      {"a\001b\037c\014", "abc"},  // control characters XML cannot hold are dropped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.written));
    WriteBodyText(body(), c.written);
    EXPECT_EQ(ReadBodyText(body()), c.read);
    ExpectParts(Xml(), c.parts);
    pugi::xml_document again;
    EXPECT_EQ(ParseXml(again, Xml()), "");
  }
}

TEST(XmlParts, RewritingKeepsDeclarationCommentsAndInstructions) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><!-- c --><?pi x?>"
      "<r a=\"1&#9;2\"><t> </t><!--inner--></r>";
  pugi::xml_document doc;
  ASSERT_EQ(ParseXml(doc, text), "");
  EXPECT_EQ(WriteXml(doc),
            text.substr(0, text.find("&#9;")) + "&#09;" + text.substr(text.find("&#9;") + 4));
}

TEST(ShapeTextWithoutParagraphs, BodyWithNoParagraphGetsOne) {
  pugi::xml_document doc;
  ASSERT_EQ(ParseXml(doc, "<p:txBody xmlns:p=\"p\" xmlns:a=\"a\"><a:bodyPr/></p:txBody>"), "");
  EXPECT_EQ(ReadBodyText(doc.document_element()), "");
  WriteBodyText(doc.document_element(), "x");
  ExpectParts(WriteXml(doc), {"<a:bodyPr/><a:p><a:r><a:t>x</a:t></a:r></a:p>"});
}

}  // namespace
}  // namespace vintrel::ooxml

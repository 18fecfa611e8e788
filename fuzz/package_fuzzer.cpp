// The presentation package reader: the ZIP container with its limits, every XML part, and the
// object model a command walks (slides, shapes, tags, texts, links, charts), the live view's
// drawing of each slide and the soundness check. A few cheap edits run too, so hostile XML meets
// the writers as well; nothing is saved (saving is a file-system matter, not parsing).
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "host/graph.h"
#include "host/ooxml/package_check.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/drawing/slide_drawing.h"

namespace {

using vintrel::fuzz::Try;

class Clipboard : public vintrel::host::Clipboard {
 public:
  void Clear() override {}
  void SetText(const std::string&) override {}
  std::optional<std::string> GetText() const override { return "\tA\tB\r\nx\t1\t2.5\r\ny\t-3\t"; }
};

class NoAssets : public vintrel::ooxml::SvgAssets {
 public:
  std::string Add(std::string bytes, const std::string& content_type) override {
    return "/asset/" + std::to_string(bytes.size()) + content_type;
  }
};

// Hostile decks may hold thousands of slides or shapes; a few are enough to reach every reader.
constexpr int kSlides = 8;
constexpr int kShapes = 64;

void WalkTags(vintrel::host::Tags& tags) {
  Try([&] {
    for (int i = 1; i <= tags.Count() && i <= kShapes; ++i) {
      tags.Item(tags.Name(i));
      tags.Value(i);
    }
  });
}

void WalkChart(vintrel::host::Shape& shape) {
  Try([&] {
    vintrel::host::GraphApplication& graph = shape.OLEFormat().Object().Application();
    vintrel::host::DataSheet& sheet = graph.DataSheet();
    for (int column = 1; column <= sheet.ColumnCount() && column <= 8; ++column) {
      Try([&] { sheet.Columns(column).NumberFormat(); });
    }
    sheet.ClearContents();
    sheet.Cells(1, 1).Paste();
    graph.Update();
  });
}

void WalkShape(vintrel::host::Shape& shape, bool edit) {
  Try([&] {
    shape.Type();
    shape.Name();
    shape.Visible();
    shape.ZOrderPosition();
    shape.Left();
    shape.Top();
    shape.Width();
    shape.Height();
  });
  WalkTags(shape.Tags());
  Try([&] {
    if (!shape.HasTextFrame()) return;
    vintrel::host::TextRange& text = shape.TextFrame().TextRange();
    text.Text();
    if (edit) text.SetText("fuzz\r\u00e9");
  });
  Try([&] { shape.LinkFormat().SourceFullName(); });
  Try([&] { shape.OLEFormat().ProgID(); });
  WalkChart(shape);
}

void Walk(vintrel::ooxml::PackagePresentation& presentation) {
  WalkTags(presentation.Tags());
  Try([&] {
    presentation.SlideShowSettings().ShowType();
    presentation.SlideShowSettings().AdvanceMode();
  });
  int slides = 0;
  Try([&] { slides = presentation.Slides().Count(); });
  for (int index = 1; index <= slides && index <= kSlides; ++index) {
    Try([&] {
      vintrel::host::Slide& slide = presentation.Slides().Item(index);
      WalkTags(slide.Tags());
      Try([&] {
        vintrel::host::SlideShowTransition& transition = slide.SlideShowTransition();
        transition.Hidden();
        transition.AdvanceOnTime();
        transition.AdvanceTime();
      });
      NoAssets assets;
      Try([&] { vintrel::ooxml::DrawSlide(presentation, index, assets).Svg(); });
      vintrel::host::Shapes& shapes = slide.Shapes();
      for (int i = 1; i <= shapes.Count() && i <= kShapes; ++i) {
        WalkShape(shapes.Item(i), index == 1 && i <= 2);
      }
      Try([&] { slide.Tags().Add("FUZZ", "1\t2"); });
      Try([&] { vintrel::ooxml::DrawShape(presentation, index, 1, assets); });
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      vintrel::fuzz::WriteInput(vintrel::fuzz::AsArchive(data, size), "input.pptx");
  Clipboard clipboard;
  Try([&] {
    auto presentation = vintrel::ooxml::PackagePresentation::Open(path, &clipboard);
    Walk(*presentation);
  });
  Try([&] { vintrel::ooxml::PackageProblems(path); });
  return 0;
}

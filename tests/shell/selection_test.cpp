#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/addin_fixture.h"
#include "shell/selection_kind.h"

namespace vintrel::shell {
namespace {

using host::memory::MemoryShape;
using host::memory::MemorySlide;
using testing_support::kWithConnections;
using testing_support::kWithoutConnections;

// What a test puts on the slide before selecting it.
enum class Piece {
  kClock,
  kTextField,
  kLinkedPicture,  // linked as an object
  kGraph,          // a chart linked as a graph
  kTextBox,
  kPictureFile,  // a linked picture nobody linked to data
  kMedia,
  kChart,
  kWordObject,  // an embedded object that is no chart
  kBadType,     // a type tag outside the codes
};

MemoryShape& Put(MemorySlide& slide, Piece piece) {
  using testing_support::LinkShape;
  switch (piece) {
    case Piece::kClock:
      return LinkShape(slide.AddTextBox(), source_type::kClock);
    case Piece::kTextField:
      return LinkShape(slide.AddTextBox(), source_type::kTextField);
    case Piece::kLinkedPicture:
      return LinkShape(slide.AddLinkedPicture("/p/north.png"), source_type::kLinkedObject);
    case Piece::kGraph:
      return LinkShape(slide.AddChart(), source_type::kGraph);
    case Piece::kTextBox:
      return slide.AddTextBox("note");
    case Piece::kPictureFile:
      return slide.AddLinkedPicture("/p/south.png");
    case Piece::kMedia:
      return slide.AddMedia("/p/clip.avi");
    case Piece::kChart:
      return slide.AddChart();
    case Piece::kWordObject:
      return slide.AddEmbeddedObject("Word.Document.8");
    case Piece::kBadType: {
      MemoryShape& shape = slide.AddTextBox();
      shape.Tags().Add(std::string(tag::kColumnType), "-2");
      return shape;
    }
  }
  throw std::logic_error("piece");
}

// The pieces selected, the kind they make, and which of the clock, text shape, linked object and
// graph commands on the tool bar that kind enables ("1100": clock and text shape).
struct KindCase {
  std::vector<Piece> pieces;
  int kind;
  const char* commands;
  const char* file = kWithConnections;
};

class SelectionTest : public testing_support::ConnectedAddInFixture {
 protected:
  // Opens the file, first selects nothing (every shape command off), then the pieces, put on a
  // new slide of it.
  std::vector<MemoryShape*> Select(const char* file, const std::vector<Piece>& pieces) {
    for (int i = host_.presentation_count(); i >= 1; --i) {
      host_.ClosePresentation(host_.presentation(i));
    }
    host::memory::MemoryPresentation& presentation = host_.OpenPresentation(file);
    MemorySlide& slide = presentation.AddSlide();
    host_.ClearSelection();
    std::vector<MemoryShape*> shapes;
    for (Piece piece : pieces) shapes.push_back(&Put(slide, piece));
    host_.SelectShapes(shapes);
    return shapes;
  }
  int Kind() { return ClassifySelection(host_.active_window()->selection()); }

  // Enabled state of clock, text shape, linked object and graph properties on the tool bar.
  std::string ShapeCommands() const {
    const CommandControls& controls = connect_.application()->command_controls();
    std::string enabled;
    for (ShapeCommand command :
         {kClockProperties, kDataFieldProperties, kDataObjectProperties, kGraphProperties}) {
      enabled += controls.tool_bar_commands[command]->Enabled() ? '1' : '0';
    }
    return enabled;
  }
};

TEST_F(SelectionTest, KindsFollowTheLinkedShapesThenTheUnlinkedOnesAndSwitchTheCommands) {
  using P = Piece;
  const std::vector<KindCase> cases = {
      {{P::kClock, P::kTextField}, 3, "1100"},
      {{P::kClock, P::kLinkedPicture}, 0, "0000"},
      {{P::kTextField, P::kTextBox}, 2, "0100"},
      {{P::kTextBox, P::kTextBox}, 3, "1100"},
      {{P::kTextBox, P::kTextBox}, 3, "1000", kWithoutConnections},  // no data to link to
      {{P::kClock, P::kClock}, 1, "1000"},
      {{P::kLinkedPicture}, 4, "0010"},
      {{P::kGraph, P::kTextBox}, 5, "0001"},  // an unlinked shape does not change the linked kind
      {{P::kPictureFile, P::kMedia}, 4, "0010"},
      {{P::kChart}, 5, "0001"},
      {{P::kWordObject}, 0, "0000"},
      {{P::kTextBox, P::kChart}, 0, "0000"},
      {{P::kTextField, P::kBadType}, 0, "0000"},  // an unknown code ends it, whatever came before
      {{}, 0, "0000"},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases.data()));
    Select(c.file, c.pieces);
    EXPECT_EQ(Kind(), c.kind);
    EXPECT_EQ(ShapeCommands(), c.commands);
  }
}

// Editing the text of a clock is a selection of that shape.
TEST_F(SelectionTest, TextEditingIsASelectionOfItsShape) {
  MemoryShape& clock = *Select(kWithConnections, {Piece::kClock}).front();
  host_.ClearSelection();
  host_.SelectText(clock);
  EXPECT_EQ(Kind(), selection_kind::kAllClock);
}

TEST_F(SelectionTest, ContextPopupsFollowTheirItems) {
  const CommandControls& controls = connect_.application()->command_controls();
  auto popups_enabled = [&] {
    std::vector<bool> enabled;
    for (const ContextPopup& popup : controls.context_popups) {
      enabled.push_back(popup.popup->Enabled());
    }
    return enabled;
  };
  Select(kWithConnections, {Piece::kChart});
  EXPECT_TRUE(controls.context_popups[kOleMenu].items[kGraphProperties]->Enabled());
  EXPECT_FALSE(controls.context_popups[kShapesMenu].items[kGraphProperties]->Enabled());

  // With nothing selected, closing the last presentation leaves no item on, and no popup.
  host_.ClearSelection();
  host_.ClosePresentation(host_.presentation(1));
  EXPECT_EQ(popups_enabled(), (std::vector<bool>{false, false, false}));
  // A presentation brings the slide show item back, and with it every popup.
  host_.OpenPresentation(kWithoutConnections);
  EXPECT_EQ(popups_enabled(), (std::vector<bool>{true, true, true}));
}

}  // namespace
}  // namespace vintrel::shell

#include <gtest/gtest.h>

#include "host/common/client_recordset.h"
#include "host/event_loop.h"
#include "host/memory/memory_application.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "host/memory/scripted_front_end.h"
#include "shell/connect.h"
#include "support/module_state.h"
#include "testing/addin_doubles.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"
#include "testing/temp_dir.h"

namespace vintrel::shell {
namespace {

using host::memory::MemoryPresentation;

using testing::AddIn;
using testing::WorkingDataAccess;

// The host events that keep the add-in's presentation entries, on the in-memory host.
class PresentationEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    Services().front_end = &front_end_;
    Services().clock = &clock_;
    Services().loop = &loop_;
    Services().data_access = &data_access_;
    Services().addin_folder = dir_.path();
    SetDefaultConnectionSourceFactory([](int) -> std::unique_ptr<ConnectionSource> {
      return std::make_unique<testing::TableSource>(std::vector<std::string>{"Sales"},
                                                    testing::Table{{"1250.5"}}, nullptr);
    });
    // A presentation file with one connection and a text field linked to it.
    MemoryPresentation& file = host_.AddFile("/shows/board.pptx");
    file.Tags().Add("QUENDRA VERSION", "1");
    file.Tags().Add("QUENDRA CONNECTION01", "0\tSales\tsales.txt\tTrue\t");
    testing::LinkShape(file.AddSlide().AddTextBox(" "),
                       {source_type::kTextField, "01", "Sales", 1});
    connect_.OnConnection(host_, 1, addin_);
    ASSERT_NE(connect_.application(), nullptr);
  }
  void TearDown() override {
    connect_.OnDisconnection(0);
    SetDefaultConnectionSourceFactory(nullptr);
    ResetModuleState();
  }

  static std::string FieldText(MemoryPresentation& presentation) {
    return presentation.slide(1).Shapes().Item(1).TextFrame().TextRange().Text();
  }

  testing::TempDir dir_;
  host::memory::ScriptedFrontEnd front_end_;
  host::FakeClock clock_;
  host::EventLoop loop_{clock_};
  WorkingDataAccess data_access_;
  host::memory::MemoryApplication host_;
  AddIn addin_;
  Connect connect_;
};

TEST_F(PresentationEventsTest, OpeningLoadsAndFillsWithoutMarkingTheFileChanged) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  Application& application = *connect_.application();
  ASSERT_EQ(application.presentations().size(), 1u);
  clsPresentation* entry = application.FindEntry(opened);
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->OpenedFromFile());
  EXPECT_EQ(FieldText(opened), "1250.5");
  EXPECT_TRUE(opened.Saved());
}

TEST_F(PresentationEventsTest, SavingStoresNoValueAndShowsTheValueAgain) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  opened.SetSaved(false);
  host_.SavePresentation(opened);

  EXPECT_EQ(opened.save_count(), 1);  // the add-in's own save, and no second one after it
  MemoryPresentation* stored = host_.environment().FindFile("/shows/board.pptx");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(FieldText(*stored), " ");
  EXPECT_EQ(stored->Tags().Item("QUENDRA DISPLAYTYPE"), "0");
  EXPECT_EQ(FieldText(opened), "1250.5");
  EXPECT_TRUE(opened.Saved());
}

TEST_F(PresentationEventsTest, ClosingDropsTheEntryAndUnknownPresentationsAreLeftAlone) {
  MemoryPresentation& opened = host_.OpenPresentation("/shows/board.pptx");
  MemoryPresentation& foreign = host_.AddPresentation("/shows/other.pptx");  // no open event
  host_.ClosePresentation(foreign);
  EXPECT_EQ(connect_.application()->presentations().size(), 1u);
  host_.ClosePresentation(opened);
  EXPECT_TRUE(connect_.application()->presentations().empty());
}

TEST_F(PresentationEventsTest, NewPresentationAloneStartsAFreshCollection) {
  host_.OpenPresentation("/shows/board.pptx");
  host_.ClosePresentation(host_.presentation(1));
  host_.NewPresentation();
  ASSERT_EQ(connect_.application()->presentations().size(), 1u);
  EXPECT_FALSE(connect_.application()->presentations()[0]->OpenedFromFile());
}

}  // namespace
}  // namespace vintrel::shell

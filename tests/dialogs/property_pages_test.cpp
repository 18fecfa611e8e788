// The property pages filled in as a person fills them: what OK writes to the shapes and slides,
// what Cancel leaves alone, and what the pages show while they are open.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dialog_fixture.h"
#include "dialogs/clock_graph_pages.h"
#include "dialogs/data_field_pages.h"
#include "dialogs/slide_property_page.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"

namespace vintrel::dialogs {
namespace {

using host::memory::MemoryShape;
using testing::LinkShape;
using testing::Steps;

std::string TagValue(host::Tags& tags, const std::string& name) {
  for (int index = 1; index <= tags.Count(); ++index) {
    if (tags.Name(index) == name) return tags.Value(index);
  }
  return "<none>";
}

// A shape's link as "type connection column row".
std::string LinkOf(host::Shape& shape) {
  clsshape link;
  link.SetShapeItem(shape);
  std::string row = std::to_string(static_cast<int>(link.Row()));
  return std::to_string(link.SourceType()) + " " + link.ConnectionTagNumber() + " " +
         link.ColumnName() + " " + row;
}

class PropertyPagesTest : public testing::PresentationDialogTest {
 protected:
  void SetUp() override {
    ctx_.module.host = &app_;
    ctx_.services.clipboard = &app_.clipboard();
    ctx_.services.sources = testing::SourcesOf([this] {
      return std::make_unique<testing::TableSource>(std::vector<std::string>{"Region", "Sales"},
                                                    rows_, nullptr);
    });
    deck_ = &app_.AddPresentation(twins_.logs.File("board.pptx"));
    deck_->Tags().Add("QUENDRA VERSION", "1");
    deck_->Tags().Add("QUENDRA CONNECTION01", "0\tSales\tsales.txt\tTrue\t");
    deck_->Tags().Add("QUENDRA CONNECTION02", "0\tTargets\ttargets.txt\tTrue\t");
    slide_ = &deck_->AddSlide();
    first_ = &slide_->AddTextBox("");
    second_ = &slide_->AddTextBox("");
  }
  // Takes every tag off the slide and sets how the show advances; returns the slide's tags.
  host::Tags& ClearSlide(bool manual_advance) {
    deck_->settings().set_advance_mode(manual_advance ? host::advance_mode::kManual
                                                      : host::advance_mode::kUseSlideTimings);
    host::Tags& tags = slide_->Tags();
    while (tags.Count() > 0) tags.Delete(tags.Name(1));
    return tags;
  }
  // Shows the page with the person's actions; returns what the form refused, if anything.
  std::string Show(host::Form& page, const Steps& actions,
                   std::function<void(host::Form&)> inspect = nullptr) {
    std::string refused;
    DialogTest::Show(page, [&](host::Form& form) {
      try {
        testing::Type(form, actions);
      } catch (const Error& failure) {
        refused = failure.description();
      }
      if (inspect) inspect(form);
    });
    return refused;
  }

  testing::Table rows_ = {{"North", "1250.5"}, {"South", "980"}};
  host::memory::MemorySlide* slide_ = nullptr;
  MemoryShape* first_ = nullptr;
  MemoryShape* second_ = nullptr;
};

TEST_F(PropertyPagesTest, TextPageLinksEverySelectedShapeOnlyWithAFullChoice) {
  // Chooses Targets' Sales column and types `row`, then closes with `close`.
  auto choose = [](const char* row, const char* close = "cmdClose") {
    return Steps{{"cmbActiveConnection", "Targets"},
                 {"cmbColumns", "Sales"},
                 {"txtRowIndex", row},
                 {close, "!"}};
  };
  const char* kept[] = {"2 01 Sales 1", "2 02 Sales 2"};
  struct Case {
    const char* name;
    Steps actions;
    const char* refused;  // part of what the page refused, or null
    const char* first;    // the links after the page closed
    const char* second;
  };
  const Case cases[] = {
      {"choosing a connection links both", choose("2"), nullptr, "2 02 Sales 2", "2 02 Sales 2"},
      {"row 0", choose("0"), "disabled", kept[0], kept[1]},
      {"a row that is no number", choose("two"), "disabled", kept[0], kept[1]},
      {"Clear and OK unlink", {{"cmdClear", "!"}, {"cmdClose", "!"}}, nullptr, "0   0", "0   0"},
      {"Cancel writes nothing", choose("2", "cmdCancel"), nullptr, kept[0], kept[1]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LinkShape(*first_, {source_type::kTextField, "01", "Sales", 1});
    LinkShape(*second_, {source_type::kTextField, "02", "Sales", 2});
    frmTextFieldPropertyPage page(Load(), {first_, second_});
    const std::string refused = Show(page, c.actions);
    if (c.refused != nullptr) {
      EXPECT_NE(refused.find(c.refused), std::string::npos) << refused;
    } else {
      EXPECT_EQ(refused, "");
    }
    EXPECT_EQ(LinkOf(*first_), c.first);
    EXPECT_EQ(LinkOf(*second_), c.second);
  }
}

TEST_F(PropertyPagesTest, TextPageOpensWithoutAConnectionWhenTheShapesDiffer) {
  LinkShape(*first_, {source_type::kTextField, "01", "Sales", 1});
  LinkShape(*second_, {source_type::kTextField, "02", "Sales", 1});
  frmTextFieldPropertyPage page(Load(), {first_, second_});
  Show(page, {}, [](host::Form& form) {
    EXPECT_EQ(form.ListIndex("cmbActiveConnection"), -1);
    EXPECT_EQ(form.Text("cmbColumns"), "");
    EXPECT_EQ(form.Text("txtRowIndex"), "1");  // the one row they share
    EXPECT_FALSE(form.Enabled("cmdClose"));
  });
}

TEST_F(PropertyPagesTest, PreviewShowsTheRowsValueAndNoPreviewIsRememberedOnlyByOk) {
  const std::string wait = kRetrievingPreview;  // shown while the value is read
  struct Case {
    const char* name;
    const char* row;
    bool no_preview;
    const char* close;
    bool remembered;
    std::vector<std::string> previews;  // what the preview box showed, in order
  };
  const Case cases[] = {
      {"a row in the data", "2", false, "cmdClose", false, {wait, "980"}},
      {"a row beyond the data: nothing", "9", false, "cmdCancel", false, {wait, "980", wait, ""}},
      {"No preview: read nothing, kept by OK", "2", true, "cmdClose", true, {wait, "980", ""}},
      {"Cancel forgets No preview", "2", true, "cmdCancel", false, {wait, "980", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ctx_.module.no_preview = false;
    LinkShape(*first_, {source_type::kTextField, "01", "Sales", 2});
    frmTextFieldPropertyPage page(Load(), {first_});
    std::vector<std::string> previews;
    page.On("txtPreview", host::FormEvent::kChange,
            [&] { previews.push_back(page.Text("txtPreview")); });
    Steps actions;
    if (c.no_preview) actions.push_back({"chkNoPreview", "1"});
    actions.push_back({"txtRowIndex", c.row});
    actions.push_back({c.close, "!"});
    EXPECT_EQ(Show(page, actions), "");
    EXPECT_EQ(previews, c.previews);
    EXPECT_EQ(ctx_.module.no_preview, c.remembered);
    frmTextFieldPropertyPage next(Load(), {first_});
    Show(next, {},
         [&](host::Form& form) { EXPECT_EQ(form.Checked("chkNoPreview"), c.remembered); });
  }
}

TEST_F(PropertyPagesTest, ObjectPageStoresTheFolderAndExtensionTheOptionKeeps) {
  struct Case {
    const char* option;
    const char* folder;  // stored
    const char* extension;
  };
  const Case cases[] = {{"optFilename", "C:\\pics", ".jpg"},
                        {"optFilenameExtension", "C:\\pics", ""},
                        {"optFolderFilename", "", ".jpg"},
                        {"optFolderFilenameExtension", "", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    MemoryShape& picture = slide_->AddLinkedPicture(twins_.logs.File("old.png"));
    frmObjectFieldPropertyPage page(Load(), {&picture});
    // Typed first under the option that takes both, then the option is chosen.
    Show(page, {{"cmbActiveConnection", "Sales"},
                {"cmbColumns", "Region"},
                {"txtRowIndex", "1"},
                {"optFilename", "!"},
                {"txtFolder", "C:\\pics\\"},
                {"txtExtension", ".jpg"},
                {c.option, "!"},
                {"cmdClose", "!"}});
    EXPECT_EQ(TagValue(picture.Tags(), "QUENDRA COLUMN OBJECT FOLDER"), c.folder);
    EXPECT_EQ(TagValue(picture.Tags(), "QUENDRA COLUMN OBJECT EXTESION"), c.extension);
    EXPECT_EQ(LinkOf(picture), "3 01 Region 1");
  }
}

TEST_F(PropertyPagesTest, SlidePageOffersDefaultsAndWritesOnlyWhatWasStored) {
  LinkShape(*first_, {source_type::kTextField, "01", "Sales", 4});
  MemoryShape& chart = slide_->AddChart();
  LinkShape(chart, {source_type::kGraph, "02"});
  // Opens the Scrolling tab, takes `actions` there and closes the page with `close`.
  auto scrolling = [](Steps actions, const char* close = "cmdClose") {
    actions.insert(actions.begin(), {"TabStrip1", "Scrolling"});
    actions.push_back({close, "!"});
    return actions;
  };
  const Steps just_ok = {{"cmdClose", "!"}};
  const char* none = "<none>";
  struct Case {
    const char* name;
    bool manual_advance;
    Steps actions;
    const char* scroll1;  // the scroll tags after the page closed
    const char* scroll2;
    size_t chart_rows;  // the chart's data rows, header included
  };
  const Case cases[] = {
      {"nothing changed: only the check boxes are written", false, just_ok, none, none, 3},
      {"a changed step time is stored with scrolling off", false,
       scrolling(
           {{"chkScrollingEnabled", "1"}, {"txtScrollTime", "2000"}, {"chkScrollingEnabled", "0"}}),
       "False\t4\t2000", none, 3},
      {"scrolling the chart's connection fills it with one row", true,
       scrolling({{"ConnectionList", "Targets"}, {"chkScrollingEnabled", "1"}}), none,
       "True\t4\t3000", 2},
      {"Cancel writes nothing", false, scrolling({{"chkScrollingEnabled", "1"}}, "cmdCancel"), none,
       none, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::Tags& tags = ClearSlide(c.manual_advance);
    chart.chart()->sheet().ClearContents();
    frmSlidePropertyPage page(Load(), 1);
    chart.chart()->sheet().ClearContents();
    Show(page, c.actions, [&](host::Form& form) {
      EXPECT_EQ(form.Items("ConnectionList"), (std::vector<std::string>{"Sales", "Targets"}));
    });
    EXPECT_EQ(TagValue(tags, "QUENDRA SCROLLSTEP1"), c.scroll1);
    EXPECT_EQ(TagValue(tags, "QUENDRA SCROLLSTEP2"), c.scroll2);
    EXPECT_EQ(TagValue(tags, "QUENDRA SLIDE PROPERTIES"), c.chart_rows == 0 ? "<none>" : "0\t0\t");
    EXPECT_EQ(chart.chart()->sheet().Grid().size(), c.chart_rows);
  }
}

TEST_F(PropertyPagesTest, SlidePageShowsTheStoredScrollingOrTheDefaults) {
  LinkShape(*first_, {source_type::kTextField, "01", "Sales", 3});
  LinkShape(*second_, {source_type::kTextField, "01", "Sales", 7});
  struct Case {
    const char* name;
    const char* stored;  // the connection's scroll tag
    bool manual_advance;
    int enabled;
    const char* step;
    const char* time;
    bool time_enabled;
  };
  // Manual advance disables the step time at opening, but a show still scrolls by it, so a
  // connection that scrolls keeps it editable; one that does not shows the defaults.
  const Case cases[] = {
      {"stored under manual advance", "True\t2\t1000", true, 1, "2", "1000", true},
      {"stored but off", "False\t2\t1000", true, 0, "7", "3000", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::Tags& tags = ClearSlide(c.manual_advance);
    tags.Add("QUENDRA SCROLLSTEP1", c.stored);
    frmSlidePropertyPage page(Load(), 1);
    Show(page, {}, [&](host::Form& form) {
      EXPECT_EQ(form.Value("chkScrollingEnabled"), c.enabled);
      EXPECT_EQ(form.Text("txtScrollStep"), c.step);
      EXPECT_EQ(form.Text("txtScrollTime"), c.time);
      EXPECT_EQ(form.Enabled("txtScrollTime"), c.time_enabled);
    });
  }
}

TEST_F(PropertyPagesTest, ClockAndGraphPagesLinkAndClear) {
  MemoryShape& chart = slide_->AddChart();
  frmClockPropertyPage short_time(Load(), {first_});
  Show(short_time, {}, [](host::Form& form) {
    ASSERT_EQ(form.Items("lstDatetimeFormats").size(), 5u);
    form.SetListIndex("lstDatetimeFormats", 4);
    form.PressDefault();
  });
  EXPECT_EQ(TagValue(first_->Tags(), "QUENDRA COLUMN DATE FORMAT"), "Short Time");
  EXPECT_EQ(first_->TextFrame().TextRange().Text().size(), 5u) << "hh:nn";

  frmGraphPropertyPage graph(Load(), {&chart});
  Show(graph, {{"lstConnectionList", "Targets"}, {"cmdClose", "!"}});
  EXPECT_EQ(LinkOf(chart), "4 02  0");
  EXPECT_EQ(chart.chart()->sheet().Grid().size(), 3u);
  frmGraphPropertyPage cleared(Load(), {&chart});
  Show(cleared, {{"cmdClear", "!"}, {"cmdClose", "!"}});
  EXPECT_EQ(LinkOf(chart), "0   0");
  EXPECT_TRUE(chart.chart()->sheet().Grid().empty());
}

}  // namespace
}  // namespace vintrel::dialogs

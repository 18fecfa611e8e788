// The connection manager on an in-memory presentation: its lists and buttons, the names and
// numbers it gives new connections, and what OK and Cancel leave in the presentation.
#include "dialogs/slide_show_property_page.h"

#include <iterator>
#include <sstream>

#include "dialog_fixture.h"

namespace vintrel::testing {
namespace {

using Tags = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

class SlideShowPropertyPageTest : public PresentationDialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    data_.AddDatabase("DSN=sales").AddTable("orders", {{"Region"}, {{"North"}}});
    deck_ = &app_.AddPresentation("/shows/board.pptx");
    // Each connection dialog is accepted with a complete definition.
    front_end_.fill["frmTextFileConnection"] = [](host::Form& form) {
      Type(form, {{"txtFilename", "sales.txt"}, {"cmdClose", "!"}});
    };
    front_end_.fill["frmDatabaseConnection"] = [](host::Form& form) {
      Type(form, {{"txtConnectionString", "DSN=sales"},
                  {"optTable", "1"},
                  {"cmbDataObject", "orders"},
                  {"cmdClose", "!"}});
    };
  }

  void AddTextConnection(const std::string& number) {
    deck_->Tags().Add("QUENDRA CONNECTION" + number,
                      "0\tText " + number + "\t" + number + ".txt\tFalse\t");
  }
  // Opens the manager on the presentation and lets `work` act in it.
  void Manage(const std::function<void(frmSlideShowPropertyPage&)>& work) {
    frmSlideShowPropertyPage page(Load());
    Show(page, [&](host::Form&) { work(page); });
  }
};

TEST_F(SlideShowPropertyPageTest, NewConnectionsAreNamedAndNumberedAfterTheOthers) {
  const struct {
    const char* name;
    const char* existing;            // connection numbers, blank-separated
    const char* steps;               // "+N" adds on tab N, "-P" deletes entry P of tab 1
    const char* numbers;             // afterwards
    std::vector<std::string> names;  // of the connections added
  } cases[] = {
      {"two databases", "", "+2 +2", "01 02", {"New data connection", "New data connection 2"}},
      {"after a deleted 02", "01 02 03", "-1 +1", "01 03 04", {"New text file connection 3"}},
      {"after the highest", "07 02", "+1", "07 02 08", {"New text file connection 3"}},
      {"the highest deleted", "01 02", "-1 +1", "01 02", {"New text file connection 2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    deck_ = &app_.AddPresentation(std::string("/shows/") + c.name + ".pptx");
    for (const std::string& number : Words(c.existing)) AddTextConnection(number);
    Manage([&](frmSlideShowPropertyPage& page) {
      for (const std::string& step : Words(c.steps)) {
        const int tab = std::stoi(step.substr(1));
        if (step[0] == '+') {
          page.SetListIndex("TabStrip1", tab - 1);
          Type(page, {{"cmdNew" + std::to_string(tab), "!"}});
        } else {
          page.SetListIndex("ConnectionList1", tab);
          Type(page, {{"cmdDelete1", "!"}});
        }
      }
      const auto& all = page.WorkingConnections();
      std::vector<std::string> numbers;
      for (const auto& connection : all) numbers.push_back(connection->ConnectionTagNumber());
      EXPECT_EQ(numbers, Words(c.numbers));
      for (size_t i = 0; i < c.names.size(); ++i) {
        const clsConnection& added = *all[all.size() - c.names.size() + i];
        EXPECT_EQ(added.ConnectionDescription(), c.names[i]);
        if (added.ConnectionType() == 1) {
          EXPECT_EQ(added.RecordsetColumns(), "*");
        }
      }
    });
  }
}

TEST_F(SlideShowPropertyPageTest, OkUnlinksTheShapesOfDeletedConnectionsAndCancelKeepsAll) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    deck_ = &app_.AddPresentation(ok ? "/shows/ok.pptx" : "/shows/cancel.pptx");
    AddTextConnection("01");
    AddTextConnection("02");
    auto& shape = deck_->AddSlide()
                      .AddTextBox("North")
                      .WithTag("QUENDRA COLUMN TYPE", "2")
                      .WithTag("QUENDRA COLUMN TAG", "01");
    const Tags before = deck_->tags().entries();
    Manage([&](frmSlideShowPropertyPage& page) {
      Type(page, {{"ConnectionList1", "Text 01"},
                  {"cmdDelete1", "!"},
                  {ok ? "cmdClose" : "cmdCancel", "!"}});
    });
    EXPECT_EQ(deck_->Tags().Item("QUENDRA CONNECTION01").empty(), ok);
    EXPECT_EQ(shape.tags().entries().empty(), ok);
    if (!ok) {
      EXPECT_EQ(deck_->tags().entries(), before);
    }
  }
}

TEST_F(SlideShowPropertyPageTest, EditAndDeleteNeedAConnectionAndAddNeedsRoom) {
  Manage([](frmSlideShowPropertyPage& page) {
    for (const char* tab : {"1", "2", "3"}) {
      SCOPED_TRACE(tab);
      EXPECT_TRUE(page.Items(std::string("ConnectionList") + tab).empty());
      EXPECT_TRUE(page.Enabled(std::string("cmdNew") + tab));
      EXPECT_FALSE(page.Enabled(std::string("cmdEdit") + tab));
      EXPECT_FALSE(page.Enabled(std::string("cmdDelete") + tab));
    }
  });
  for (int i = 1; i <= 99; ++i) AddTextConnection((i < 10 ? "0" : "") + std::to_string(i));
  Manage([](frmSlideShowPropertyPage& page) {
    for (const char* tab : {"cmdNew1", "cmdNew2", "cmdNew3"}) EXPECT_FALSE(page.Enabled(tab));
    Type(page, {{"cmdDelete1", "!"}});
    for (const char* tab : {"cmdNew1", "cmdNew2", "cmdNew3"}) EXPECT_TRUE(page.Enabled(tab));
  });
}

}  // namespace
}  // namespace vintrel::testing

// Sending on the in-memory host: the copy goes into the configured distribution folder with its
// linked values blanked, and the presentation stays filled and as saved as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "connections/connection_source.h"
#include "document/presentation_object.h"
#include "host/memory/memory_host.h"
#include "offline/distribution.h"
#include "support/context.h"
#include "testing/shape_link.h"
#include "testing/table_connection.h"
#include "testing/test_context.h"

namespace vintrel::testing {
namespace {

TEST(SendTest, TheCopyGoesToTheConfiguredFolderOrTheUserHearsThereIsNone) {
  const struct {
    const char* name;
    const char* setting;    // "[Info] DistributionFolder"
    const char* sent_into;  // below the add-in's folder; null when nothing is sent
    const char* message;
  } cases[] = {
      {"no folder", "", nullptr, "Distribution folder not specified in Vintrel.INI file."},
      {"blanks only", "   ", nullptr, "Distribution folder not specified in Vintrel.INI file."},
      {"the add-in's folder", "[VINTRELFOLDER]/sent", "sent", "Presentation successfully sent."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestContext twins;  // the add-in's folder is the twins' own folder
    const TempDir& addin = twins.logs;
    twins.settings.Set("Quendra Vintrel 2002", "Info", "DistributionFolder", c.setting);
    twins.ctx.services.sources = SourcesOf([] {
      return std::make_unique<TableSource>(std::vector<std::string>{"Value"}, Table{{"42"}},
                                           nullptr);
    });
    host::memory::MemoryApplication app;
    host::memory::MemoryPresentation& deck = app.AddPresentation("/shows/board.pptx");
    deck.Tags().Add("QUENDRA VERSION", "1");
    deck.Tags().Add("QUENDRA CONNECTION01", "0\tData\tdata.txt\tTrue\t");
    host::memory::MemoryShape& field =
        LinkShape(deck.AddSlide().AddTextBox(" "), {source_type::kTextField, "01", "Value", 1});
    clsPresentation presentation(twins.ctx);
    presentation.SetActivePresentation(deck);
    deck.set_saved(true);
    ASSERT_EQ(field.text(), "42");

    SendPresentation(presentation);

    ASSERT_FALSE(twins.front_end.message_boxes().empty());
    EXPECT_EQ(twins.front_end.message_boxes().back().text, c.message);
    EXPECT_EQ(field.text(), "42");
    EXPECT_TRUE(deck.Saved());
    if (c.sent_into == nullptr) {
      EXPECT_TRUE(deck.copies_saved().empty());
    } else {
      const std::string target = (std::filesystem::path(addin.path()) / c.sent_into / "board.pptx");
      EXPECT_EQ(deck.copies_saved(), std::vector<std::string>{target});
      EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(addin.path()) / c.sent_into));
      host::memory::MemoryPresentation* sent = app.environment().FindFile(target);
      ASSERT_NE(sent, nullptr);
      EXPECT_NE(sent->slide(1).shape(1).text(), "42") << "sent files hold no linked value";
      // The copy says where its relative files are; the presentation is left as it was.
      EXPECT_EQ(sent->Tags().Item(kSentFromTag), "/shows");
      EXPECT_EQ(deck.Tags().Item(kSentFromTag), "");
    }
  }
}

}  // namespace
}  // namespace vintrel::testing

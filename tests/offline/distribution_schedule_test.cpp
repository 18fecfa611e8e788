// Which presentation of a distribution folder a computer shows at a given moment, and the
// pieces that decision rests on: reading the list from tags, comparing computer names, reading
// the window's local times in a zone.
#include "offline/distribution_schedule.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host/error.h"
#include "host/memory/memory_tags.h"

namespace vintrel {
namespace {

using namespace std::chrono;

LocalDateTime Local(int year, unsigned month, unsigned day, int hour, int minute = 0) {
  return local_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day)) +
         hours(hour) + minutes(minute);
}

SystemTime Utc(int year, unsigned month, unsigned day, int hour, int minute = 0) {
  return sys_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day)) +
         hours(hour) + minutes(minute);
}

TEST(DistributionScheduleTest, ChoosesTheOpenWindowWithTheLatestStart) {
  const std::optional<LocalDateTime> none;
  auto list = [](std::optional<LocalDateTime> start, std::optional<LocalDateTime> stop,
                 std::vector<std::string> computers = {"wall-1"}) {
    return std::optional<DistributionList>(DistributionList{start, stop, std::move(computers)});
  };
  const auto nine = Local(2026, 12, 24, 9), ten = Local(2026, 12, 24, 10);
  const auto eleven = Local(2026, 12, 24, 11), noon = Local(2026, 12, 24, 12);
  const struct {
    const char* name;
    std::vector<ScheduledFile> files;
    int hour;            // now, UTC (the zone is UTC), 24 December 2026
    const char* chosen;  // null: nothing shown
  } cases[] = {
      {"inside the window", {{"a", list(nine, noon)}}, 10, "a"},
      {"not yet started", {{"a", list(ten, noon)}}, 9, nullptr},
      {"start is inclusive", {{"a", list(ten, noon)}}, 10, "a"},
      {"stop is exclusive", {{"a", list(nine, noon)}}, 12, nullptr},
      {"ended", {{"a", list(nine, ten)}}, 11, nullptr},
      {"overlap: the latest start wins",
       {{"a", list(ten, noon)}, {"b", list(nine, noon)}},
       11,
       "a"},
      {"overlap: the earlier one again when the later ends",
       {{"late", list(ten, eleven)}, {"early", list(nine, noon)}},
       11,
       "early"},
      {"equal starts: the first by name",
       {{"b", list(nine, noon)}, {"a", list(nine, eleven)}},
       10,
       "a"},
      {"no list", {{"a", std::nullopt}}, 10, nullptr},
      {"computer not named", {{"a", list(nine, noon, {"lobby"})}}, 10, nullptr},
      {"empty computer list", {{"a", list(nine, noon, {})}}, 10, nullptr},
      {"named in another letter case with a domain",
       {{"a", list(nine, noon, {"lobby", "WALL-1.example.org"})}},
       10,
       "a"},
      {"no start: open since always", {{"a", list(none, ten)}}, 3, "a"},
      {"no stop: open for ever", {{"a", list(ten, none)}}, 23, "a"},
      {"any start beats no start", {{"a", list(none, none)}, {"b", list(nine, none)}}, 10, "b"},
      {"a file not listed does not hide another",
       {{"a", list(ten, noon, {"lobby"})}, {"b", list(nine, noon)}},
       11,
       "b"},
  };
  for (const auto& c : cases) {
    const ScheduledFile* chosen = ChooseShow(c.files, "Wall-1", Utc(2026, 12, 24, c.hour), "UTC");
    EXPECT_EQ(chosen ? chosen->file : "(none)", c.chosen ? c.chosen : "(none)") << c.name;
  }
}

TEST(DistributionScheduleTest, WindowsAreReadInTheGivenZone) {
  const struct {
    const char* name;
    const char* zone;
    LocalDateTime local;
    SystemTime utc;
  } cases[] = {
      {"winter, an hour ahead", "Europe/Oslo", Local(2026, 1, 15, 12), Utc(2026, 1, 15, 11)},
      {"summer, two hours ahead", "Europe/Oslo", Local(2026, 7, 15, 12), Utc(2026, 7, 15, 10)},
      // Clocks jump from 02:00 to 03:00 on 29 March 2026.
      {"skipped time: the offset before the change", "Europe/Oslo", Local(2026, 3, 29, 2, 30),
       Utc(2026, 3, 29, 1, 30)},
      {"first hour after the jump", "Europe/Oslo", Local(2026, 3, 29, 3, 30),
       Utc(2026, 3, 29, 1, 30)},
      // Clocks fall back from 03:00 to 02:00 on 25 October 2026: 02:30 comes twice.
      {"time shown twice: the first", "Europe/Oslo", Local(2026, 10, 25, 2, 30),
       Utc(2026, 10, 25, 0, 30)},
      {"west of UTC, summer", "America/New_York", Local(2026, 7, 15, 12), Utc(2026, 7, 15, 16)},
      // New York: forward at 02:00 on 8 March 2026, back at 02:00 on 1 November 2026.
      {"west of UTC, skipped time", "America/New_York", Local(2026, 3, 8, 2, 30),
       Utc(2026, 3, 8, 7, 30)},
      {"west of UTC, time shown twice", "America/New_York", Local(2026, 11, 1, 1, 30),
       Utc(2026, 11, 1, 5, 30)},
      // Sydney keeps summer time in December; back at 03:00 on 5 April 2026.
      {"southern summer", "Australia/Sydney", Local(2026, 12, 24, 12), Utc(2026, 12, 24, 1)},
      {"southern time shown twice", "Australia/Sydney", Local(2026, 4, 5, 2, 30),
       Utc(2026, 4, 4, 15, 30)},
  };
  for (const auto& c : cases) {
    const std::optional<SystemTime> utc = ZonedTime(c.local, c.zone);
    ASSERT_TRUE(utc) << c.name;
    EXPECT_EQ(*utc, c.utc) << c.name;
  }
  EXPECT_FALSE(ZonedTime(Local(2026, 7, 15, 12), "Europe/Atlantis"));
  // No zone named: this machine's, which TZ names when it is set.
  const char* before = std::getenv("TZ");
  const std::string saved = before ? before : "";
  setenv("TZ", ":Asia/Kolkata", 1);
  EXPECT_EQ(ZonedTime(Local(2026, 7, 15, 12), ""), Utc(2026, 7, 15, 6, 30));
  before ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");

  // The same list starts an hour apart in two zones.
  const std::vector<ScheduledFile> files = {
      {"a", DistributionList{Local(2026, 1, 15, 12), std::nullopt, {"x"}}}};
  EXPECT_EQ(ChooseShow(files, "x", Utc(2026, 1, 15, 11, 30), "Europe/Oslo"), &files[0]);
  EXPECT_EQ(ChooseShow(files, "x", Utc(2026, 1, 15, 11, 30), "UTC"), nullptr);

  EXPECT_TRUE(KnownTimeZone("Europe/Oslo"));
  EXPECT_TRUE(KnownTimeZone(""));
  EXPECT_FALSE(KnownTimeZone("Europe/Atlantis"));
  EXPECT_FALSE(KnownTimeZone("../../etc/passwd"));
}

TEST(DistributionScheduleTest, ComputerNamesAsPeopleCompareThem) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"WALL-1", "wall-1", true},
      {" wall-1 ", "wall-1", true},
      {"wall-1", "wall-1.example.org", true},
      {"wall-1.a.org", "wall-1.b.org", false},
      {"wall-1", "wall-10", false},
      {"", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SameComputer(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(DistributionScheduleTest, ListFromTags) {
  host::memory::MemoryTags tags;
  EXPECT_FALSE(ReadDistributionList(tags));
  tags.Put("QUENDRA VERSION", "1");
  EXPECT_FALSE(ReadDistributionList(tags));

  tags.Put("QUENDRA DISTRIBUTION START", "12/24/2026 6:00:00 PM");
  tags.Put("QUENDRA DISTRIBUTION STOP", "");
  tags.Put("QUENDRA DISTRIBUTION COMPUTER", "wall-1\tlobby\t");
  const std::optional<DistributionList> list = ReadDistributionList(tags);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->start, Local(2026, 12, 24, 18));
  EXPECT_FALSE(list->stop);
  EXPECT_EQ(list->computers, (std::vector<std::string>{"wall-1", "lobby"}));

  tags.Put("QUENDRA DISTRIBUTION STOP", "tomorrow");
  EXPECT_THROW(ReadDistributionList(tags), Error);
}

}  // namespace
}  // namespace vintrel

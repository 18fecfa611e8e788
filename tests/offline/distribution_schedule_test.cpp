// Which presentation of a distribution folder a computer shows at a given moment, and the
// pieces that decision rests on: reading the list from tags, comparing computer names, reading
// the window's local times in a zone.
#include "offline/distribution_schedule.h"

#include <gtest/gtest.h>

#include "host/error.h"
#include "host/memory/memory_tags.h"
#include "testing/temp_dir.h"

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
    int hour;            // now, UTC (the zone is UTC), 24 December 2026
    const char* chosen;  // null: nothing shown
    std::vector<ScheduledFile> files;
  } cases[] = {
      {"not yet started", 9, nullptr, {{"a", list(ten, noon)}}},
      {"start is inclusive", 10, "a", {{"a", list(ten, noon)}}},
      {"stop is exclusive", 12, nullptr, {{"a", list(nine, noon)}}},
      {"overlap: the latest start", 11, "a", {{"a", list(ten, noon)}, {"b", list(nine, noon)}}},
      {"later ended: the earlier", 11, "a", {{"b", list(ten, eleven)}, {"a", list(nine, noon)}}},
      {"equal starts: by name", 10, "a", {{"b", list(nine, noon)}, {"a", list(nine, eleven)}}},
      {"no list", 10, nullptr, {{"a", std::nullopt}}},
      {"no start: open since always", 3, "a", {{"a", list(none, ten)}}},
      {"no stop: open for ever", 23, "a", {{"a", list(ten, none)}}},
      {"any start beats no start", 10, "b", {{"a", list(none, none)}, {"b", list(nine, none)}}},
      // A file that does not list the computer hides no other.
      {"not listed", 11, "b", {{"a", list(ten, noon, {"lobby"})}, {"b", list(nine, noon)}}},
  };
  for (const auto& c : cases) {
    const ScheduledFile* chosen = ChooseShow(c.files, "Wall-1", Utc(2026, 12, 24, c.hour), "UTC");
    EXPECT_EQ(chosen ? chosen->file : "(none)", c.chosen ? c.chosen : "(none)") << c.name;
  }
}

TEST(DistributionScheduleTest, WindowsAreReadInTheGivenZone) {
  // One zone stands for all: whatever its side of UTC, a reading is taken with the first of the
  // offsets the zone gives it.
  const struct {
    const char* name;
    LocalDateTime local;
    SystemTime utc;
  } cases[] = {
      // Clocks jump from 02:00 to 03:00 on 29 March 2026.
      {"skipped time: the offset before", Local(2026, 3, 29, 2, 30), Utc(2026, 3, 29, 1, 30)},
      {"first hour after the jump", Local(2026, 3, 29, 3, 30), Utc(2026, 3, 29, 1, 30)},
      // Clocks fall back from 03:00 to 02:00 on 25 October 2026: 02:30 comes twice.
      {"time shown twice: the first", Local(2026, 10, 25, 2, 30), Utc(2026, 10, 25, 0, 30)},
  };
  for (const auto& c : cases) {
    const std::optional<SystemTime> utc = ZonedTime(c.local, "Europe/Oslo");
    ASSERT_TRUE(utc) << c.name;
    EXPECT_EQ(*utc, c.utc) << c.name;
  }
  EXPECT_FALSE(ZonedTime(Local(2026, 7, 15, 12), "Europe/Atlantis"));
  // No zone named: this machine's, which TZ names when it is set.
  {
    testing::ScopedEnv zone("TZ", ":Asia/Kolkata");
    EXPECT_EQ(ZonedTime(Local(2026, 7, 15, 12), ""), Utc(2026, 7, 15, 6, 30));
  }

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

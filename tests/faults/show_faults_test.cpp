// Faults met by a running show, made for real while `vintrel show --json` runs on a copy of the
// bundled example: a PostgreSQL server stopped and started again, an SQLite file replaced or
// gone for a while, a TAB file rewritten in place while it is read, a linked picture deleted and
// put back. Every time: the failures are logged, the values come back, the show never stops and
// its clock misses no second.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "faults/fault_support.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Trimmed(const std::string& out) {
  return out.substr(0, out.find_last_not_of(" \t\r\n") + 1);
}

std::string Sqlite(const std::string& db, const std::string& sql) {
  const ProgramResult result = RunProgram("/usr/bin/sqlite3", {db, sql});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return Trimmed(result.out);
}

// A PostgreSQL server of the test's own, in a temporary folder, on a free loopback port; runs
// as the postgres user (so needs root). Stopping it cuts every connection, as a server that goes
// away does.
class PrivatePostgres {
 public:
  static constexpr const char* kBin = "/usr/lib/postgresql/15/bin";
  // Empty when the server can be made; else why not (the test skips with it).
  static std::string Unavailable() {
    if (::geteuid() != 0)
      return "a private PostgreSQL server runs as the postgres user: needs root";
    if (!fs::exists(std::string(kBin) + "/pg_ctl")) return std::string(kBin) + " is not installed";
    if (::getpwnam("postgres") == nullptr) return "there is no postgres user";
    return "";
  }
  PrivatePostgres() {
    char pattern[] = "/tmp/vintrel-pg-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    const passwd* user = ::getpwnam("postgres");
    [[maybe_unused]] int ignored = ::chown(folder_.c_str(), user->pw_uid, user->pw_gid);
    const ProgramResult init =
        AsPostgres({std::string(kBin) + "/initdb", "-D", folder_ + "/data", "-U", "vintrel",
                    "--auth=trust", "-E", "UTF8", "--no-sync"});
    EXPECT_EQ(init.exit_code, 0) << init.out << init.err;
  }
  ~PrivatePostgres() {
    Stop();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  bool Start() {
    const ProgramResult result = AsPostgres(
        {std::string(kBin) + "/pg_ctl", "-D", folder_ + "/data", "-l", folder_ + "/log", "-w", "-o",
         "-p " + std::to_string(port_) + " -k " + folder_ + " -c listen_addresses=127.0.0.1",
         "start"});
    EXPECT_EQ(result.exit_code, 0) << result.out << result.err << ReadFile(folder_ + "/log");
    return result.exit_code == 0;
  }
  bool Stop() {
    return !fs::exists(folder_ + "/data/postmaster.pid") ||
           AsPostgres(
               {std::string(kBin) + "/pg_ctl", "-D", folder_ + "/data", "-m", "fast", "-w", "stop"})
                   .exit_code == 0;
  }
  // Runs SQL as the superuser "vintrel"; false when psql fails.
  bool Sql(const std::string& sql) const {
    const ProgramResult result =
        RunProgram("/usr/bin/psql",
                   {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p",
                    std::to_string(port_), "-U", "vintrel", "-d", "postgres", "-c", sql},
                   {{"PGOPTIONS", "-c client_min_messages=warning"}});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return result.exit_code == 0;
  }
  // The ODBC connection string of its database "postgres".
  std::string ConnectionString() const {
    return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
           ";Database=postgres;Uid=vintrel;Pwd=unused;";
  }

 private:
  static ProgramResult AsPostgres(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-u", "postgres", "--"});
    return RunProgram("/usr/sbin/runuser", arguments);
  }
  std::string folder_;
  int port_ = FreePort();
};

// What every show here must do whatever happened to its data: run to its end, and show the
// clock at least `at_least_seconds` times, each clock text ("16:00:05") one second after the one
// before it. Gives the show's events.
std::vector<ShowEvent> ExpectTheShowWentOn(const ProgramResult& result, int at_least_seconds) {
  EXPECT_EQ(result.exit_code, 0) << result.err;
  const std::vector<ShowEvent> events = ParseEvents(result.out);
  EXPECT_FALSE(EventsOf(events, "show-end").empty()) << result.out;
  const std::regex time(R"((\d{1,2}):(\d{2}):(\d{2})\s*([AP]M)?)", std::regex::icase);
  int missed = 0;
  int shown = 0;
  int last = -1;
  for (const std::string& text : TextsOf(events, "Clock")) {
    std::smatch m;
    if (!std::regex_match(text, m, time)) continue;
    int hours = std::stoi(m[1]);
    if (m[4].matched) hours = hours % 12 + (std::toupper(m[4].str()[0]) == 'P' ? 12 : 0);
    const int second = hours * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]);
    if (last >= 0) missed += std::max(0, (second - last + 86400) % 86400 - 1);
    last = second;
    ++shown;
  }
  EXPECT_EQ(missed, 0) << "clock seconds missed\n" << result.out;
  EXPECT_GE(shown, at_least_seconds) << result.out;
  return events;
}

// The database is stopped for real (the server process ends, every connection is cut) and
// started again. The test's own server, not the shared one of VINTREL_TEST_PG, so the other
// database tests running at the same time are not disturbed.
TEST(ShowFaults, PostgresStoppedAndStartedAgain) {
  const char* shared = std::getenv("VINTREL_TEST_PG");
  if (shared == nullptr || *shared == '\0') {
    GTEST_SKIP() << "VINTREL_TEST_PG is not set (scripts/test.sh sets it when PostgreSQL runs)";
  }
  if (const std::string why = PrivatePostgres::Unavailable(); !why.empty()) GTEST_SKIP() << why;
  PrivatePostgres server;
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(
      server.Sql("CREATE TABLE live (id integer, amount integer); "
                 "INSERT INTO live VALUES (1, 100), (2, 200);"));
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const ProgramResult added = example.Vintrel(
      {"connections", "add", deck, "--database", server.ConnectionString(), "--sql",
       "SELECT id, amount FROM live ORDER BY id", "--refresh-rate", "500", "--name", "Live"});
  ASSERT_EQ(added.exit_code, 0) << added.err;
  const std::string live = Trimmed(added.out);
  ASSERT_EQ(example
                .Vintrel({"link", deck, "--slide", "1", "--shape", "North orders", "--text", live,
                          "amount", "1"})
                .exit_code,
            0);

  std::chrono::system_clock::time_point started_again;
  const auto start = Clock::now();
  const ProgramResult result =
      ShowWhile(example, {"show", deck, "--for", "14s", "--json", "--advance", "manual"}, [&] {
        SleepUntil(start, 3);
        EXPECT_TRUE(server.Stop());
        SleepUntil(start, 7);
        started_again = std::chrono::system_clock::now();
        EXPECT_TRUE(server.Start());
        EXPECT_TRUE(server.Sql("UPDATE live SET amount = 4242 WHERE id = 1"));
      });
  const auto events = ExpectTheShowWentOn(result, 12);
  const auto failed = EventsOf(events, "connection-failed");
  const auto restored = EventsOf(events, "connection-restored");
  // Failing and answering again are told once per outage, the latter once the server is back.
  ASSERT_EQ(failed.size(), 1u) << result.out;
  ASSERT_EQ(restored.size(), 1u) << result.out;
  EXPECT_EQ(failed.front().json.value("description", ""), "Live");
  EXPECT_GE(restored.front().time + std::chrono::milliseconds(5), started_again) << result.out;
  // The shape is blank while its database is away (KeepLastGoodValues is off), and ends on the
  // value changed once it is back. A requery may reach the server between its start and the
  // change: the old value may then show for one tick in between, and nothing else.
  const auto values = TextsOf(events, "North orders");
  ASSERT_GE(values.size(), 2u) << result.out;
  ASSERT_LE(values.size(), 3u) << result.out;
  EXPECT_EQ(values.front(), " ");
  if (values.size() == 3) {
    EXPECT_EQ(values[1], "100") << result.out;
  }
  EXPECT_EQ(values.back(), "4242") << result.out;
  EXPECT_THAT(example.ErrorLog(), HasSubstr("Live"));
}

// A program that publishes a new database writes it aside and renames it over the old one;
// another deletes it and copies the new one in a moment later.
TEST(ShowFaults, SqliteFileReplacedAndGoneForAWhile) {
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string db = example.Example("data/board.db");
  const std::string east = Sqlite(db, "SELECT total FROM totals WHERE region = 'East'");
  // East's orders grow by 1000 in `file`; returns its new total.
  const auto grow = [](const std::string& file) {
    return Sqlite(file,
                  "UPDATE orders SET amount = amount + 1000 WHERE region = 'East'; "
                  "SELECT total FROM totals WHERE region = 'East'");
  };
  const auto start = Clock::now();
  std::string replaced;
  std::string back;
  const ProgramResult result =
      ShowWhile(example, {"show", deck, "--for", "12s", "--json", "--advance", "manual"}, [&] {
        SleepUntil(start, 2.5);
        fs::copy_file(db, db + ".next");
        replaced = grow(db + ".next");
        fs::rename(db + ".next", db);
        SleepUntil(start, 5.5);
        fs::rename(db, db + ".away");
        SleepUntil(start, 8);
        back = grow(db + ".away");
        fs::rename(db + ".away", db);
      });
  const auto events = ExpectTheShowWentOn(result, 10);
  // The replaced file's value, a blank while the file is away, then the value of the file that
  // came back (the first value, `east`, is filled before the show begins).
  const auto totals = TextsOf(events, "East total");
  ASSERT_EQ(totals.size(), 3u) << result.out;
  EXPECT_NE(east, replaced);
  EXPECT_EQ(totals[0], replaced);
  EXPECT_EQ(totals[1], " ");
  EXPECT_EQ(totals[2], back);
  EXPECT_EQ(EventsOf(events, "connection-failed").size(), 2u) << "Totals and its chart's twin";
  EXPECT_FALSE(EventsOf(events, "connection-restored").empty()) << result.out;
  EXPECT_THAT(example.ErrorLog(), HasSubstr("Totals"));
}

// The TAB file is rewritten in place (truncated, then written in three pieces a few
// milliseconds apart) over and over while the show reads it every second: no value shown may
// come from a half-written file.
TEST(ShowFaults, TabFileRewrittenInPlaceNeverShowsATornRow) {
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string tsv = example.Example("data/sales.tsv");
  auto version = [](int n) {
    const std::string v = std::to_string(n);
    return "Region\tSales\tTarget\tPicture\r\nNorth\t" + v + "111.5\t1200\tnorth.png\r\nSouth\t" +
           v + "222.25\t1100\tsouth.png\r\nEast\t1432.25\t1400\teast.png\r\nWest\t760\t900\t" +
           "west.png\r\n";
  };
  std::set<std::string> whole = {"1250.5", "980"};
  for (int n = 1; n <= 9; ++n) {
    whole.insert(std::to_string(n) + "111.5");
    whole.insert(std::to_string(n) + "222.25");
  }
  const auto start = Clock::now();
  int rewrites = 0;
  const ProgramResult result =
      ShowWhile(example, {"show", deck, "--for", "10s", "--json", "--advance", "manual"}, [&] {
        SleepUntil(start, 1);
        while (Clock::now() - start < std::chrono::seconds(9)) {
          const std::string text = version(rewrites % 9 + 1);
          const int fd = ::open(tsv.c_str(), O_WRONLY | O_TRUNC);
          ASSERT_GE(fd, 0);
          const size_t third = text.size() / 3;
          for (size_t from = 0; from < text.size(); from += third) {
            const size_t n = std::min(third, text.size() - from);
            ASSERT_EQ(::write(fd, text.data() + from, n), static_cast<ssize_t>(n));
            std::this_thread::sleep_for(std::chrono::milliseconds(7));
          }
          ::close(fd);
          ++rewrites;
          std::this_thread::sleep_for(std::chrono::milliseconds(120 + 37 * (rewrites % 7)));
        }
      });
  const auto events = ExpectTheShowWentOn(result, 9);
  int changes = 0;
  for (const std::string name : {"North sales", "South sales"}) {
    for (const std::string& text : TextsOf(events, name)) {
      EXPECT_TRUE(whole.count(text)) << name << " showed a torn value \"" << text << "\"";
      ++changes;
    }
  }
  EXPECT_GE(changes, 6) << "the show did not follow the file\n" << result.out;
  EXPECT_GT(rewrites, 20);
}

// A linked picture's file deleted during the show, and put back as a new version. The picture
// is a plain linked picture (no data link) on a slide marked "refresh linked objects", whose
// files the show watches: while the file is away the picture keeps the image it has (as the
// presentation program keeps a linked picture's last image), and the new version is shown
// within the watch interval (2.5 s) of its coming back.
TEST(ShowFaults, LinkedPictureDeletedAndPutBack) {
  ExampleCopy example;
  const std::string deck = example.Example("plain-picture.pptx");
  {
    // The example's region picture without its data link: its tags removed.
    auto package = ooxml::ZipArchive::Open(example.Example("sales-board.pptx"));
    const std::string tags = package->Read("ppt/tags/tag10.xml");
    const std::regex tag("<p:tag [^>]*/>");
    ASSERT_TRUE(std::regex_search(tags, tag));
    package->Write("ppt/tags/tag10.xml", std::regex_replace(tags, tag, ""));
    package->SaveAs(deck);
  }
  ASSERT_EQ(
      example.Vintrel({"slide", deck, "--slide", "3", "--refresh-linked-objects", "on"}).exit_code,
      0);
  const std::string picture = example.Example("data/pictures/north.png");
  const auto start = Clock::now();
  std::chrono::system_clock::time_point back;
  const ProgramResult result = ShowWhile(
      example, {"show", deck, "--for", "11s", "--json", "--advance", "manual", "--from", "3"}, [&] {
        SleepUntil(start, 2);
        fs::remove(picture);
        SleepUntil(start, 6);
        back = std::chrono::system_clock::now();
        fs::copy_file(example.Example("data/pictures/south.png"), picture);
      });
  const auto events = ExpectTheShowWentOn(result, 9);
  std::vector<ShowEvent> reloads = EventsOf(events, "picture");
  std::erase_if(reloads,
                [](const ShowEvent& e) { return e.json.value("name", "") != "Region picture"; });
  ASSERT_EQ(reloads.size(), 1u) << result.out;
  EXPECT_EQ(reloads[0].json.value("file", ""), picture);
  EXPECT_GE(reloads[0].time + std::chrono::milliseconds(5), back);
  EXPECT_LE(reloads[0].time, back + std::chrono::milliseconds(2600 + 500));
  EXPECT_TRUE(EventsOf(events, "visible").empty()) << result.out;
}

}  // namespace
}  // namespace vintrel::testing

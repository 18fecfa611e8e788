// A TAB file rewritten while it is read: the reader must give the old rows or the new ones,
// never a mix and never a torn last row, whatever way the writer rewrites it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "connections/text_file_reader.h"
#include "host/error.h"
#include "testing/temp_dir.h"

namespace vintrel::connections {
namespace {

using vintrel::testing::TempDir;

// Version n: 200 rows "row<i><TAB><n><n><n>..." (the same length for every n < 10), so a torn
// file shows up as a short row count or a row whose value is not n's.
std::string Version(int n) {
  std::string text = "Name\tValue\r\n";
  for (int i = 0; i < 200; ++i) {
    text += "row" + std::to_string(i) + "\t" + std::string(30, static_cast<char>('0' + n)) + "\r\n";
  }
  return text;
}

// Which version a recordset holds, or -1 for a mix or a torn file.
int VersionOf(host::ClientRecordset& rows) {
  if (rows.RecordCount() != 200) return -1;
  int seen = -2;
  for (rows.MoveFirst(); !rows.IsEOF(); rows.MoveNext()) {
    const host::FieldValue field = rows.Fields().Item("Value").Value();
    if (!field) return -1;
    const std::string& value = *field;
    if (value.size() != 30 || value.find_first_not_of(value[0]) != std::string::npos) return -1;
    const int n = value[0] - '0';
    if (seen != -2 && seen != n) return -1;
    seen = n;
  }
  return seen;
}

// How a writer rewrites the file in place: in pieces a few milliseconds apart, after truncating
// it or over the same bytes, or aside and renamed over it.
struct Writer {
  const char* name;
  int flags;  // of the open
  size_t pieces;
  bool aside;
};

void Rewrite(const Writer& writer, const std::string& path, const std::string& text) {
  const std::string target = writer.aside ? path + ".new" : path;
  const int fd = ::open(target.c_str(), O_WRONLY | writer.flags, 0644);
  const size_t piece = (text.size() + writer.pieces - 1) / writer.pieces;
  for (size_t from = 0; from < text.size(); from += piece) {
    const size_t n = std::min(piece, text.size() - from);
    ASSERT_EQ(::pwrite(fd, text.data() + from, n, static_cast<off_t>(from)),
              static_cast<ssize_t>(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  ::close(fd);
  if (writer.aside) ::rename(target.c_str(), path.c_str());
}

class TornRead : public ::testing::TestWithParam<Writer> {};

TEST_P(TornRead, GivesTheOldOrTheNewRowsNeverAMix) {
  TempDir dir;
  const std::string path = dir.Write("data.txt", Version(0));
  std::atomic<bool> stop{false};
  std::atomic<int> written{0};
  std::thread writer([&] {
    for (int n = 1; !stop; n = n % 9 + 1) {
      Rewrite(GetParam(), path, Version(n));
      ++written;
      // Pauses of a writer that rewrites now and then; a few are shorter than a read.
      std::this_thread::sleep_for(std::chrono::milliseconds(written % 3 == 0 ? 2 : 70));
    }
  });
  int reads = 0;
  int torn = 0;
  int kept = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < until) {
    TextFile file(path);
    try {
      auto rows = file.ReadRecordset(true);
      ++reads;
      if (rows == nullptr) {
        ++kept;  // an empty moment: the caller keeps its rows
      } else if (VersionOf(*rows) < 0) {
        ++torn;
      }
    } catch (const Error&) {
      // "Kept changing": the caller keeps its rows and reads again later.
    }
  }
  stop = true;
  writer.join();
  EXPECT_EQ(torn, 0) << GetParam().name << ": " << torn << " of " << reads << " reads torn";
  EXPECT_GT(reads - kept, 10) << GetParam().name;
  EXPECT_GT(written.load(), 10);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, TornRead,
    ::testing::Values(Writer{"TruncateThenPieces", O_TRUNC, 3, false},
                      // The same size, so nothing shows that the file is being rewritten.
                      Writer{"OverwriteSameSize", 0, 5, false},
                      Writer{"TruncateThenOneWrite", O_TRUNC, 1, false},
                      Writer{"RenameOver", O_CREAT | O_TRUNC, 3, true}),
    [](const ::testing::TestParamInfo<Writer>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vintrel::connections

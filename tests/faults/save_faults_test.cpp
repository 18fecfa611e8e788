// A save of a real presentation that fails on the way: the disk fills up, a write fails, the
// flush to disk reports a write-back error, the rename over the old file is refused. Each time
// the old file must stay byte for byte what it was, no temporary file may be left beside it, and
// the error must name the file and what failed.
//
// How each fault is made:
// - disk full: a real ENOSPC from a 'tmpfs' just big enough for the original, mounted in a
//   private mount namespace (unshare -m) that vanishes with the test; needs root (CI runs as
//   root), skipped otherwise;
// - a failing write: a real EFBIG from the kernel, `vintrel save` run under RLIMIT_FSIZE (with
//   SIGXFSZ ignored, as a program that checks its writes sees it); needs nothing special;
// - a failing flush and a refused rename: the ooxml host's seam for the calls a save makes
//   after the archive is written (ooxml::ScopedSaveCalls), in process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "faults/fault_support.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct SeamFault {
  const char* name;
  bool at_flush;     // else at the rename
  int error;         // errno the call gives
  const char* what;  // the part of the message that says what failed
};

ooxml::SaveCalls CallsOf(const SeamFault& fault) {
  const int error = fault.error;
  ooxml::SaveCalls calls;
  if (fault.at_flush) {
    calls.fsync = [error](int) { return errno = error, -1; };
  } else {
    calls.rename = [error](const char*, const char*) { return errno = error, -1; };
  }
  return calls;
}

class SaveThroughTheSeam : public ::testing::TestWithParam<SeamFault> {};

TEST_P(SaveThroughTheSeam, LeavesTheOriginalAsItWasAndSaysWhatFailed) {
  const SeamFault& fault = GetParam();
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string before = ReadFile(deck);
  const std::set<std::string> files = Listing(example.Example(""));
  auto presentation = ooxml::PackagePresentation::Open(deck);
  presentation->Tags().Add("FAULT TEST", "changed");
  std::string message;
  {
    ooxml::ScopedSaveCalls broken(CallsOf(fault));
    try {
      presentation->Save();
      ADD_FAILURE() << fault.name << ": the save did not fail";
    } catch (const Error& error) {
      message = error.description();
    }
  }
  EXPECT_EQ(ReadFile(deck), before) << fault.name << ": the original changed";
  EXPECT_EQ(Listing(example.Example("")), files) << fault.name << ": a file was left behind";
  EXPECT_THAT(message, HasSubstr(deck));
  EXPECT_THAT(message, HasSubstr(fault.what));
  EXPECT_THAT(message, HasSubstr(std::strerror(fault.error)));
  EXPECT_THAT(message, HasSubstr("the file was not changed"));

  // Once the fault is gone the same presentation saves, and the change is in the file.
  presentation->Save();
  EXPECT_NE(ReadFile(deck), before);
  EXPECT_EQ(Listing(example.Example("")), files);
  EXPECT_EQ(ooxml::PackagePresentation::Open(deck)->Tags().Item("FAULT TEST"), "changed");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveThroughTheSeam,
    ::testing::Values(SeamFault{"FlushEio", true, EIO, "writing the new file to disk failed"},
                      SeamFault{"RenameEbusy", false, EBUSY,
                                "cannot replace the file with the new one"}),
    [](const ::testing::TestParamInfo<SeamFault>& info) { return std::string(info.param.name); });

// `vintrel save` under a file-size limit: writing past it fails with EFBIG.
TEST(SaveWithRealFaults, AFailingWriteLeavesTheOriginal) {
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string before = ReadFile(deck);
  const std::set<std::string> files = Listing(example.Example(""));
  // 16 KiB: the logs fit, the new package (about 100 KiB) does not.
  const ProgramResult save = RunProgram("/bin/sh",
                                        {"-c", "trap '' XFSZ; exec prlimit --fsize=16384 -- \"$@\"",
                                         "sh", VINTREL_PROGRAM, "save", deck},
                                        {{"VINTREL_HOME", example.File("addin")},
                                         {"VINTREL_SETTINGS", example.File("settings.ini")}});
  EXPECT_EQ(save.exit_code, 1) << save.out << save.err;
  EXPECT_THAT(save.err, HasSubstr(std::strerror(EFBIG)));
  EXPECT_THAT(save.err, HasSubstr("writing the new file failed"));
  EXPECT_THAT(save.err, HasSubstr("sales-board.pptx"));
  EXPECT_EQ(ReadFile(deck), before);
  EXPECT_EQ(Listing(example.Example("")), files);
}

// A real full disk: a tmpfs with room for the original and a little more, in a mount namespace
// of the test's own.
TEST(SaveWithRealFaults, AFullDiskLeavesTheOriginal) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  if (RunProgram("/usr/bin/unshare", {"-m", "true"}).exit_code != 0) {
    GTEST_SKIP() << "unshare -m is not allowed here (no private mount namespace)";
  }
  ExampleCopy example;
  const std::string deck = example.Example("sales-board.pptx");
  const std::string before = ReadFile(deck);
  const std::string mount_point = example.File("small-disk");
  fs::create_directories(mount_point);
  // Room for the original and 8 KiB more, in whole pages: not for a second copy.
  const uintmax_t size = (fs::file_size(deck) + 4095) / 4096 * 4096 + 8192;
  const std::string script =
      "set -e; mount -t tmpfs -o size=" + std::to_string(size) +
      " tmpfs \"$1\"; "
      "cp \"$2\" \"$1/deck.pptx\"; ln -s \"${2%/*}/data\" \"$1/data\"; set +e; "
      "\"$3\" save \"$1/deck.pptx\"; echo \"exit=$?\"; "
      "cmp -s \"$2\" \"$1/deck.pptx\" && echo same=yes || echo same=no; "
      "ls -A \"$1\" | sed 's/^/file=/'";
  const ProgramResult result = RunProgram(
      "/usr/bin/unshare",
      {"-m", "--propagation", "private", "/bin/sh", "-c", script, "sh", mount_point, deck,
       VINTREL_PROGRAM},
      {{"VINTREL_HOME", example.File("addin")}, {"VINTREL_SETTINGS", example.File("none.ini")}});
  EXPECT_THAT(result.out, HasSubstr("exit=1")) << result.err;
  EXPECT_THAT(result.out, HasSubstr("same=yes"));
  EXPECT_THAT(result.out, HasSubstr("file=deck.pptx\n"));
  EXPECT_THAT(result.out, Not(HasSubstr("file=.deck"))) << "a temporary file was left";
  EXPECT_THAT(result.err, HasSubstr(std::strerror(ENOSPC)));
  EXPECT_THAT(result.err, HasSubstr("deck.pptx"));
  EXPECT_EQ(ReadFile(deck), before);
}

}  // namespace
}  // namespace vintrel::testing

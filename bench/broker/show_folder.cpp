#include "show_folder.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "linked_deck.h"
#include "processes.h"

namespace vintrel::bench {

ShowFolder::ShowFolder(const std::string& name)
    : path_(MakeBenchFolder("vintrel-bench-broker-" + name)) {
  if (path_.empty()) throw std::runtime_error("cannot make a folder under $TMPDIR");
  std::ofstream(path_ / "settings.ini") << "[Info]\nWatchFiles=1\n";
}

ShowFolder::~ShowFolder() {
  EndShow();
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void ShowFolder::EndShow() {
  if (show_ > 0 && waitpid(show_, nullptr, WNOHANG) != 0) {
    std::ifstream out(path_ / "show.out");
    std::fprintf(stderr, "vintrel show ended early:\n%s\n",
                 std::string(std::istreambuf_iterator<char>(out), {}).c_str());
    show_ = -1;
  }
  Stop(show_);
  show_ = -1;
}

pid_t ShowFolder::StartShow(const fs::path& deck, const std::vector<std::string>& arguments,
                            int seconds) {
  std::vector<std::string> command = {VINTREL_PROGRAM, "show", deck.string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  command.insert(command.end(), {"--advance", "manual", "--for", std::to_string(seconds) + "s"});
  show_ = Spawn(
      command,
      {"VINTREL_SETTINGS=" + (path_ / "settings.ini").string(), "VINTREL_HOME=" + path_.string()},
      path_ / "show.out");
  return show_;
}

fs::path CopyExample(const ShowFolder& folder) {
  fs::copy(VINTREL_SOURCE_DIR "/examples", folder.path() / "examples", fs::copy_options::recursive);
  WriteSales(folder, kBase);
  return folder.path() / "examples" / "sales-board.pptx";
}

void WriteSales(const ShowFolder& folder, long north) {
  std::ofstream out(folder.path() / "examples" / "data" / "sales.tsv",
                    std::ios::binary | std::ios::trunc);
  out << "Region\tSales\tTarget\tPicture\r\nNorth\t" << north
      << ".5\t1200\tnorth.png\r\nSouth\t980\t1100\tsouth.png\r\nEast\t1432.25\t1400\teast.png\r\n"
         "West\t760\t900\twest.png\r\n";
}

}  // namespace vintrel::bench

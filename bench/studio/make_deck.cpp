// Writes FOLDER/deck.pptx, N slides of 10 text boxes each linked to a cell of FOLDER/data.tsv,
// for the studio's speed benchmark.
//   vintrel_bench_studio_deck FOLDER [--slides N]      (default 1000 slides)
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "host/error.h"
#include "linked_deck.h"

using namespace vintrel;

int main(int argc, char** argv) {
  bench::Sizes sizes;
  sizes.rows = 1000;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--slides" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
      sizes.slides = std::atoi(argv[++i]);
    } else if (folder.empty() && !argument.starts_with("-")) {
      folder = argument;
    } else {
      folder.clear();
      break;
    }
  }
  if (folder.empty() || !std::filesystem::is_directory(folder)) {
    std::cerr << "usage: vintrel_bench_studio_deck FOLDER [--slides N] (FOLDER must exist)\n";
    return 2;
  }
  try {
    // Written under other names first, so a failure leaves no half-made deck behind.
    const std::string deck = folder + "/deck.pptx";
    const std::string data = folder + "/data.tsv";
    bench::WriteData(data + ".new", sizes, 1);
    bench::WriteDeck(deck + ".new.pptx", sizes);
    std::filesystem::rename(data + ".new", data);
    bench::LinkDeck(deck + ".new.pptx", "data.tsv", sizes);
    std::filesystem::rename(deck + ".new.pptx", deck);
    return 0;
  } catch (const Error& failure) {
    std::cerr << "vintrel_bench_studio_deck: " << failure.description() << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "vintrel_bench_studio_deck: " << failure.what() << "\n";
  }
  return 1;
}

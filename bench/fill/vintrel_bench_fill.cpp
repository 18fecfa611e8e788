// Fill times of a large linked deck, through the same host and add-in the program uses.
//
//   vintrel_bench_fill [--slides N] [--boxes K] [--rows R] [--keep]
//
// Builds, in a fresh folder under $TMPDIR, an R-row TAB-separated file and a deck of N slides
// with K text boxes each, every box linked to one cell of that file through one text-file
// connection (the links are written by the add-in's own tag writers). Then it loads the add-in
// into the package host, opens the deck (the add-in loads the connection and fills every shape),
// and times: the open with its first fill, a second fill with nothing changed, a fill that reads
// the file again, and a fill after the file changed. It prints the figures and the number of
// writes each fill made: an unchanged fill must write nothing. Nothing is asserted about time.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "connections/connection_source.h"
#include "document/connection_tags.h"
#include "document/presentation_object.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "host_session.h"
#include "linked_deck.h"
#include "support/context.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace vintrel;
using bench::LinkDeck;
using bench::Sizes;
using bench::WriteData;
using bench::WriteDeck;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void PrintFill(const char* what, double ms, long writes, long shapes) {
  std::printf("%-34s %10.1f ms %9.2f us/shape %8ld writes\n", what, ms, 1000.0 * ms / shapes,
              writes);
}

int Run(const Sizes& sizes) {
  const std::string folder = bench::MakeBenchFolder("vintrel-bench-fill");
  if (folder.empty()) {
    std::perror("vintrel_bench_fill: mkdtemp");
    return 1;
  }
  const std::string deck = folder + "/deck.pptx";
  const std::string data = folder + "/data.tsv";
  const long shapes = static_cast<long>(sizes.slides) * sizes.boxes;

  auto start = Clock::now();
  WriteData(data, sizes, 1);
  WriteDeck(deck, sizes);
  const double generated = Ms(start);
  start = Clock::now();
  LinkDeck(deck, "data.tsv", sizes);
  const double linked = Ms(start);
  start = Clock::now();
  ooxml::PackagePresentation::Open(deck);
  const double package_open = Ms(start);

  std::printf("deck: %d slides x %d linked text boxes = %ld shapes, data: %d rows x %d columns\n",
              sizes.slides, sizes.boxes, shapes, sizes.rows, sizes.boxes);
  std::printf("folder: %s%s\n", folder.c_str(), sizes.keep ? " (kept)" : "");
  std::printf("%-34s %10.1f ms\n", "generate deck and data", generated);
  // Not part of a fill, but every author pays it once per shape; printed per shape too because
  // it grows faster than the deck does.
  std::printf("%-34s %10.1f ms %9.2f us/shape\n", "link with the tag writers + save", linked,
              1000.0 * linked / shapes);
  std::printf("%-34s %10.1f ms   (package only, no add-in)\n", "open", package_open);
  {
    // The program's own session; settings from a file that does not exist, so a user's
    // settings do not change the figures.
    app::SessionOptions options;
    options.settings_path = folder + "/no-settings.ini";
    options.addin_folder = folder;
    app::HostSession session(options);
    start = Clock::now();
    host::Presentation& presentation = session.host().Presentations().Open(deck);
    const double opened = Ms(start);
    clsPresentation* entry =
        session.addin() != nullptr ? session.addin()->FindEntry(presentation) : nullptr;
    if (entry == nullptr) {
      std::cerr << "vintrel_bench_fill: the add-in did not take the presentation\n";
      return 1;
    }
    long writes = entry->fill_writes();
    PrintFill("open + load + first fill", opened, writes, shapes);
    PrintFill("  of which load and fill (approx.)", opened - package_open, writes, shapes);

    auto timed_fill = [&](const char* what, bool requery) {
      const long before = entry->fill_writes();
      const auto begin = Clock::now();
      entry->FillValues(requery);
      PrintFill(what, Ms(begin), entry->fill_writes() - before, shapes);
      return entry->fill_writes() - before;
    };
    const long unchanged = timed_fill("second fill, nothing changed", false);
    const long requeried = timed_fill("fill with requery, same data", true);
    WriteData(data, sizes, 2);
    timed_fill("fill with requery, new data", true);
    if (unchanged != 0 || requeried != 0) {
      std::printf("note: a fill over unchanged data wrote %ld and %ld times (expected 0)\n",
                  unchanged, requeried);
    }
  }
  if (!sizes.keep) std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Sizes sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto number = [&](int& target) {
      if (i + 1 >= argc || std::atoi(argv[i + 1]) <= 0) {
        std::cerr << "vintrel_bench_fill: " << argument << " needs a number above 0\n";
        std::exit(2);
      }
      target = std::atoi(argv[++i]);
    };
    if (argument == "--slides") {
      number(sizes.slides);
    } else if (argument == "--boxes") {
      number(sizes.boxes);
    } else if (argument == "--rows") {
      number(sizes.rows);
    } else if (argument == "--keep") {
      sizes.keep = true;
    } else {
      std::cerr << "usage: vintrel_bench_fill [--slides N] [--boxes K] [--rows R] [--keep]\n";
      return 2;
    }
  }
  try {
    return Run(sizes);
  } catch (const vintrel::Error& failure) {
    std::cerr << "vintrel_bench_fill: " << failure.description() << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "vintrel_bench_fill: " << failure.what() << "\n";
  }
  return 1;
}

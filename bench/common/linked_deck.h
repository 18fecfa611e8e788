// A linked deck for benchmarks: N slides of K text boxes, each box linked through one text-file
// connection to one cell of an R-row TAB-separated file, written as real files (the links by the
// add-in's own tag writers).
#ifndef VINTREL_BENCH_COMMON_LINKED_DECK_H_
#define VINTREL_BENCH_COMMON_LINKED_DECK_H_

#include <functional>
#include <string>

namespace vintrel::bench {

struct Sizes {
  int slides = 1000;
  int boxes = 10;
  int rows = 10000;
  bool keep = false;
};

// Column k holds "g<generation> r<row> c<k>", so a new generation changes every value.
void WriteData(const std::string& path, const Sizes& sizes, int generation);
// The shape "Box k" of slide s (from 0) shows row (s * K + k) mod R + 1 of column k.
int RowOf(const Sizes& sizes, int slide, int box);
// A plain deck of N slides of K text boxes "Box 0".."Box K-1" stacked down the slide, box k of
// slide s (both from 0) showing text(s, k), or "-".
void WriteDeck(const std::string& path, const Sizes& sizes,
               const std::function<std::string(int, int)>& text = {});
// Links every box: one text-file connection "01" over `data` (a name relative to the deck's
// folder), and a text-field link per box.
void LinkDeck(const std::string& path, const std::string& data, const Sizes& sizes);
// A fresh folder under $TMPDIR whose name begins with `prefix`; empty text on failure.
std::string MakeBenchFolder(const std::string& prefix);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_COMMON_LINKED_DECK_H_

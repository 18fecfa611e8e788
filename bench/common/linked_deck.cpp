#include "linked_deck.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "connections/connection.h"
#include "decks/deck_builder.h"
#include "document/connection_tags.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/ooxml/package_presentation.h"
#include "support/context.h"

namespace vintrel::bench {

// Column k holds "g<generation> r<row> c<k>", so a new generation changes every value.
void WriteData(const std::string& path, const Sizes& sizes, int generation) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int column = 0; column < sizes.boxes; ++column) {
    out << (column ? "\t" : "") << "Value" << column;
  }
  out << "\r\n";
  for (int row = 1; row <= sizes.rows; ++row) {
    for (int column = 0; column < sizes.boxes; ++column) {
      out << (column ? "\t" : "") << "g" << generation << " r" << row << " c" << column;
    }
    out << "\r\n";
  }
}

// The shape "Box k" of slide s (from 0) shows row (s * K + k) mod R + 1 of column k.
int RowOf(const Sizes& sizes, int slide, int box) {
  return (slide * sizes.boxes + box) % sizes.rows + 1;
}

void WriteDeck(const std::string& path, const Sizes& sizes,
               const std::function<std::string(int, int)>& text) {
  ooxml::testing::DeckLayout deck;
  for (int slide = 0; slide < sizes.slides; ++slide) {
    std::string& shapes = deck.slides.emplace_back().shapes;
    for (int box = 0; box < sizes.boxes; ++box) {
      shapes += ooxml::testing::TextBox(box + 2, "Box " + std::to_string(box),
                                        text ? text(slide, box) : "-", 457200,
                                        228600 + box * 600000L, 5000000, 500000);
    }
  }
  std::ofstream(path, std::ios::binary) << ooxml::testing::BuildDeck(deck);
}

// Links every box with the add-in's tag writers: one text-file connection "01" over `data`
// (a name relative to the deck's folder), and a text-field link per box.
void LinkDeck(const std::string& path, const std::string& data, const Sizes& sizes) {
  auto deck = ooxml::PackagePresentation::Open(path);
  // The connection only writes its tag: it opens nothing, so it needs no service.
  Context ctx;
  std::vector<std::unique_ptr<clsConnection>> connections;
  connections.push_back(std::make_unique<clsConnection>(ctx));
  connections.back()->SetConnectionTagNumber(NextConnectionTagNumber({}));
  connections.back()->SetTagString("0\tBench data\t" + data + "\tTrue\t");
  WriteConnectionTags(*deck, connections);
  for (int slide = 0; slide < sizes.slides; ++slide) {
    host::Shapes& shapes = deck->Slides().Item(slide + 1).Shapes();
    for (int box = 0; box < sizes.boxes; ++box) {
      clsshape shape;
      shape.SetShapeItem(shapes.Item(box + 1));
      shape.SetSourceType(source_type::kTextField);
      shape.SetNewConnectionTagNumber("01");
      shape.SetNewColumnName("Value" + std::to_string(box));
      shape.SetNewRow(RowOf(sizes, slide, box));
      shape.SetShapeTags();
    }
  }
  deck->Save();
}

std::string MakeBenchFolder(const std::string& prefix) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace vintrel::bench

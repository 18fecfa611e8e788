// The slide show's picture of a presentation, built once when the show begins: per slide what it
// holds and how it behaves, per linked shape where its data comes from and where it has
// scrolled to, per clock its format. The timers read nothing else during the show. Shapes are
// known by their position on the slide (1 = backmost), so the model holds only while nobody
// edits the slides.
#ifndef VINTREL_RUNTIME_RUNTIME_RECORDS_H_
#define VINTREL_RUNTIME_RUNTIME_RECORDS_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vintrel {

struct clsRTSlideInfo {
  double SlideNumber = 0;
  bool HasClocks = false;
  bool HideWhenNoData = false;
  bool RefreshLinkedObjects = false;
  // No linked text shape or linked object of the slide found its row at the last refresh.
  bool AllDataEOF = false;
  bool HasDataDefinitions = false;
};

struct clsRTShapeInfo {
  double ShapeNumber = 0;
  int16_t SourceType = 0;  // 2 text field, 3 linked object, 4 chart
  std::string ConnectionTagNumber;
  std::string ColumnName;
  double Row = 0;
  bool HasTextFrame = false;
  std::string ObjectFolder;
  std::string ObjectExtension;
  bool IsScrolling = false;
  double ScrollStep = 0;
  double ScrollTime = 0;
  double ScrollTotalWaited = 0;
  // The row shown now; -1 marks a restart (the next step goes back to Row).
  double ScrollRow = 0;
  // Linked objects: the last reference set, in upper case, and whether it named a usable file.
  std::string CurrentValue;
  bool ValidLinkedObject = false;
  // Charts: the data block last handed to the chart, so unchanged data is not written again.
  std::string LastChartBlock;
};

struct clsRTClockInfo {
  double ShapeNumber = 0;
  int16_t SourceType = 1;
  std::string DateFormat;
};

// Connection tag numbers "01" to "99" index the per-connection tables by their value.
inline constexpr int kConnectionSlots = 100;

using ShapeInfoList = std::vector<clsRTShapeInfo>;
using ClockInfoList = std::vector<clsRTClockInfo>;
using ConnectionFlags = std::array<bool, kConnectionSlots>;

// Everything the build finds, indexed by slide from 1 (entry 0 of each slide table is unused).
struct RuntimeModel {
  std::vector<clsRTSlideInfo> slides;
  // Shared: the off-line copy and the timers work on the same collections.
  std::vector<std::shared_ptr<ShapeInfoList>> shapes;
  std::vector<ClockInfoList> clocks;
  ConnectionFlags used_connections{};
  // [slide][connection]
  std::vector<ConnectionFlags> slide_connections;
  // Entry 0 stays empty; then the files of linked pictures and objects to watch.
  std::vector<std::string> linked_objects{std::string()};
  std::array<long, kConnectionSlots> highest_row{};

  int SlideCount() const { return slides.empty() ? 0 : static_cast<int>(slides.size()) - 1; }
};

}  // namespace vintrel

#endif  // VINTREL_RUNTIME_RUNTIME_RECORDS_H_

// clsRuntime: the slide show of one presentation. When the show begins it reads the tags once
// into the runtime model, opens the connections some slide uses, works out how often data is
// refreshed and scrolled, and starts the timer form; when the show ends it is released, which
// stops the timers and closes the connections.
#ifndef VINTREL_RUNTIME_RUNTIME_H_
#define VINTREL_RUNTIME_RUNTIME_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "host/presentation.h"
#include "runtime/runtime_records.h"
#include "support/context.h"

namespace vintrel {

class FrmRuntimeTimer;
class ProgressWindow;
class clsSlide;
class clsshape;

// The show's open connections by tag number text ("01").
using RuntimeConnections = std::map<std::string, std::unique_ptr<clsConnection>>;

// The data interval before any connection gave a rate.
inline constexpr double kNoDataInterval = 999999999;

// Held by a shared pointer while a show runs: its timers keep it alive through their ticks.
class clsRuntime : public std::enable_shared_from_this<clsRuntime> {
 public:
  explicit clsRuntime(Context& ctx);
  // Teardown: the timers stop and the connections close; failures are passed over.
  ~clsRuntime();
  clsRuntime(const clsRuntime&) = delete;
  clsRuntime& operator=(const clsRuntime&) = delete;

  // Show the "Opening presentation" progress window while the model is built.
  bool ShowProgressMeter = false;
  // When a source fails during the show, its shapes keep the values they show (the failure is
  // still logged) instead of following what the failed source holds.
  bool KeepLastGoodValues = false;
  // Files behind the connections wake the data tick as soon as they are written.
  bool WatchFiles = false;

  // Keeps the presentation and builds the model; a failure ends the build with error 14 and
  // leaves the model partly built and not ready.
  void SetActivePresentation(host::Presentation& presentation);
  host::Presentation* ActivePresentation() const { return presentation_; }
  // Every linked picture and linked object of the presentation back to manual updating.
  void UnSetLinkedObjects();
  // Creates the timer form and starts its timers; a failure raises error 25.
  void StartTimers();
  // The host moved to another slide: the timers hear of it (nothing happens before the build
  // has finished).
  void SlideShowNextSlide(host::SlideShowWindow& window);
  // The show ended (maybe while this runtime waits for a query inside one of its own handlers):
  // its timers stop at once, and whatever still runs stops at its next step without touching
  // the presentation again. Teardown waits for the destructor.
  void EndShow();
  bool ended() const { return ended_; }
  // How many slides the off-line copy of the presentation will have: every page of a scrolling
  // slide counts when `include_scroll_steps`; a slide without data that hides itself counts none.
  int SlideCount(bool include_scroll_steps);
  // Turns the presentation of this model (an opened copy, never the user's own) into the off-line
  // presentation: scrolling slides unrolled into pages, values burnt in, slides without data
  // dropped, linked pictures embedded and every add-in tag removed. `source_name` is the full name
  // of the presentation the copy was made from: relative file names in the data are found beside
  // it. `progress` advances one step per page. (The off-line operations are defined with the
  // off-line copy, offline/offline_copy.cpp.)
  void CreateOfflinePPT(ProgressWindow& progress, const std::string& source_name);
  // The per-slide shape collections (shared with the timers).
  std::vector<std::shared_ptr<ShapeInfoList>> ShapesInfo() const { return model_.shapes; }

  bool ready() const { return ready_; }
  double data_interval() const { return data_interval_; }
  double scroll_interval() const { return scroll_interval_; }
  bool any_clocks() const { return any_clocks_; }
  bool any_link_refresh() const { return any_link_refresh_; }
  const RuntimeModel& model() const { return model_; }
  RuntimeConnections& connections() { return connections_; }
  FrmRuntimeTimer* timer_form() const { return timer_form_.get(); }

 private:
  void Build(host::Presentation& presentation);
  void BuildSlide(host::Slide& slide, int index);
  // The slide's own settings (hiding, linked-object refresh) into its record.
  void ReadSlideSettings(host::Slide& slide, clsRTSlideInfo& info);
  // A clock, text field, linked object or chart of slide `index` into the model; a link that
  // lacks what it needs is left out.
  void AddLinkedShape(int index, host::Shape& shape, const clsshape& link);
  void OpenUsedConnections(host::Presentation& presentation, bool& file_source);
  void ApplyScrollSettings();
  // Reads one slide's scroll tags into the scratch tables.
  void LoadScrollInfo(host::Slide& slide);
  void Teardown() noexcept;
  // The off-line copy: how many pages slide `index` of the model gives (0 when it is dropped).
  int OfflineCopies(int index);
  void FillOfflinePage(host::Slide& page, int index, int page_number,
                       const std::string& source_name);
  void SetPageTiming(host::Slide& slide, int index);
  void ReplaceLinkedPicture(host::Slide& slide, host::Shape& shape);

  host::Presentation* presentation_ = nullptr;
  RuntimeModel model_;
  RuntimeConnections connections_;
  Context& ctx_;
  std::unique_ptr<FrmRuntimeTimer> timer_form_;
  std::unique_ptr<ProgressWindow> progress_;
  // One slide's scroll settings per connection, refilled by LoadScrollInfo.
  std::array<bool, kConnectionSlots> scroll_enabled_{};
  std::array<long, kConnectionSlots> scroll_step_{};
  std::array<long, kConnectionSlots> scroll_time_{};
  double data_interval_ = kNoDataInterval;
  double scroll_interval_ = -1;
  bool any_clocks_ = false;
  bool any_link_refresh_ = false;
  bool ready_ = false;
  bool ended_ = false;
  int connection_tag_count_ = 0;
  // Off-line copy: per model slide whether it is dropped, and how many pages it gives.
  std::vector<bool> offline_delete_;
  std::vector<int> offline_copies_;
  int offline_added_ = 0;
};

// The connection table index of a tag number ("07" gives 7); -1 for a number outside 1..99.
int ConnectionSlot(const std::string& tag_number);

}  // namespace vintrel

#endif  // VINTREL_RUNTIME_RUNTIME_H_

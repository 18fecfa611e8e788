// FrmRuntimeTimer: the hidden form whose timers keep a running show current. The data timer
// rewrites the shown slide (stepping its scrolling rows), the next visible slide and every hidden
// slide; the connections timer requeries the data when the show scrolls; the clock timer
// rewrites clock shapes when the shown second changes; the linked-object timer reloads linked
// pictures whose files changed. Everything runs on the loop's thread, inside timer ticks.
#ifndef VINTREL_RUNTIME_RUNTIME_TIMER_H_
#define VINTREL_RUNTIME_RUNTIME_TIMER_H_

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "host/event_loop.h"
#include "host/loop_timer.h"
#include "host/presentation.h"
#include "runtime/runtime.h"
#include "runtime/runtime_records.h"
#include "support/context.h"

namespace vintrel {

class FrmRuntimeTimer {
 public:
  using WallTime = std::chrono::system_clock::time_point;

  explicit FrmRuntimeTimer(Context& ctx);
  // The form's end: stops watching files, releases the show window and every connection.
  ~FrmRuntimeTimer();
  FrmRuntimeTimer(const FrmRuntimeTimer&) = delete;
  FrmRuntimeTimer& operator=(const FrmRuntimeTimer&) = delete;

  // Before the form is shown: the model and connections of the runtime (not owned).
  void SetModel(RuntimeModel* model) { model_ = model; }
  void SetConnections(RuntimeConnections* connections) { connections_ = connections; }
  // What the model and connections belong to: each tick holds it until it returns, so an event
  // the tick lets run (a query wait) can end the show without pulling them from under the tick.
  void SetOwner(std::weak_ptr<void> owner) { owner_ = std::move(owner); }
  // The show window: takes the slide count, the lowest and highest scrolling rows per
  // connection, and puts data-linked pictures and objects on automatic link updating.
  void SetActivePresentation(host::SlideShowWindow& window);
  void SetScrolling(bool scrolling) { scrolling_ = scrolling; }
  bool Scrolling() const { return scrolling_; }
  bool KeepLastGoodValues = false;

  // What the host's next-slide event says: the timers treat the slide after `slide` as the
  // one to prepare; the data and connections timers start their intervals afresh.
  void SetCurrentSlide(double slide);
  double CurrentSlide() const { return current_slide_; }

  // Form_Load: starts the data timer and the saved-state stamp.
  void Load();
  // The show ended: every timer stops and file watching ends at once; a tick still running
  // (it let events run, and one of them ended the show) stops at its next step, quietly.
  void End();
  bool Ended() const { return ended_; }
  // Files behind the connections wake the data tick as soon as they change.
  void WatchConnectionFiles();

  void EnableTimer();
  void DisableTimer();
  void RefreshData();
  void RefreshSlide(int slide_index);
  void RefreshRange(int first, int last);
  void HideUnhideSlides(int slide_index);
  void RefreshClocks(host::Slide& slide, int slide_number, WallTime time);
  void RequeryConnections();
  void CalcIndexes();
  void ResetScrolling(int slide_index);
  void KeepPresentationSaved();

  // The index of the slide in view; past the end of the show, one more than the slide count.
  int ShownSlideIndex();

  void tmrData_Timer();
  void tmrConnections_Timer();
  void tmrClock_Timer();
  void tmrRefreshLinkedObjects_Timer();

  host::LoopTimer tmrData;
  host::LoopTimer tmrConnections;
  host::LoopTimer tmrClock;
  host::LoopTimer tmrRefreshLinkedObjects;

  const std::array<long, kConnectionSlots>& lowest_scroll_row() const { return lowest_row_; }
  const std::array<long, kConnectionSlots>& highest_scroll_row() const { return highest_row_; }
  const std::vector<std::string>& linked_objects() const { return model_->linked_objects; }

 private:
  // Per connection: how its last requeries went.
  struct Health {
    bool failed = false;
    WallTime failed_since{};
    WallTime last_good{};
  };

  clsConnection* Connection(const std::string& tag_number) const;
  host::Presentation& ShowPresentation() const;
  void RefreshShape(host::Slide& slide, int slide_index, clsRTShapeInfo& info, bool& all_eof,
                    bool& object_changed);
  void RefreshLinkedObject(host::Shape& shape, int slide_index, clsRTShapeInfo& info,
                           clsConnection& connection, double row, bool& all_eof,
                           bool& object_changed);
  void RefreshChart(host::Shape& shape, clsRTShapeInfo& info, clsConnection& connection);
  // Requeries one connection, reporting a failure (error 15) and telling the screen when the
  // connection fails or answers again.
  void Requery(int slot, clsConnection& connection, bool forced);
  // A failing statement of the data or connections tick: reported, and the tick goes on; once
  // the show has ended, nothing more runs.
  template <typename Step>
  void TickStep(Step&& step);
  // How every timer ticks: with the owner held, and not at all after the end.
  void RunTick(void (FrmRuntimeTimer::*tick)());
  void Unwatch() noexcept;
  WallTime Now() const;

  Context& ctx_;
  host::EventLoop& loop_;
  std::weak_ptr<void> owner_;
  bool ended_ = false;
  RuntimeModel* model_ = nullptr;
  RuntimeConnections* connections_ = nullptr;
  host::SlideShowWindow* window_ = nullptr;
  double slide_count_ = 0;
  bool scrolling_ = false;
  double current_slide_ = 0;
  std::array<long, kConnectionSlots> lowest_row_{};
  std::array<long, kConnectionSlots> highest_row_{};
  std::array<Health, kConnectionSlots> health_{};
  // Connections whose files changed since the last data tick (file watching).
  std::array<bool, kConnectionSlots> changed_{};
  std::vector<int> watches_;
  WallTime last_clock_time_{};
  WallTime saved_stamp_{};
};

}  // namespace vintrel

#endif  // VINTREL_RUNTIME_RUNTIME_TIMER_H_

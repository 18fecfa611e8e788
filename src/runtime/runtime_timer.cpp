#include "runtime/runtime_timer.h"

#include <cmath>
#include <cstdio>

#include "host/application.h"
#include "host/platform.h"
#include "host/show_display.h"
#include "rendering/date_format.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "frmRuntimeTimer";
constexpr long kNoLowestRow = 9999999;

void Trace(Context& ctx, DebugLevel level, const std::string& message) {
  WriteDebugLog(ctx, level, kSource, message);
}

// The collection key of a connection table index: 7 gives "07".
std::string SlotKey(int n) {
  char key[16];
  std::snprintf(key, sizeof key, "%02d", n);
  return key;
}

std::string RowText(double row) {
  return std::to_string(std::llround(row));
}

}  // namespace

FrmRuntimeTimer::FrmRuntimeTimer(Context& ctx)
    : tmrData(*ctx.services.loop, 100, false, [this] { RunTick(&FrmRuntimeTimer::tmrData_Timer); }),
      tmrConnections(*ctx.services.loop, 100, false,
                     [this] { RunTick(&FrmRuntimeTimer::tmrConnections_Timer); }),
      tmrClock(*ctx.services.loop, 50, false,
               [this] { RunTick(&FrmRuntimeTimer::tmrClock_Timer); }),
      tmrRefreshLinkedObjects(*ctx.services.loop, 2500, false,
                              [this] { RunTick(&FrmRuntimeTimer::tmrRefreshLinkedObjects_Timer); }),
      ctx_(ctx),
      loop_(*ctx.services.loop) {
  lowest_row_.fill(kNoLowestRow);
}

FrmRuntimeTimer::~FrmRuntimeTimer() {
  Unwatch();
  window_ = nullptr;
  SkipFailure([&] {
    if (connections_ != nullptr) connections_->clear();
  });
}

FrmRuntimeTimer::WallTime FrmRuntimeTimer::Now() const {
  return loop_.clock().Now();
}

void FrmRuntimeTimer::Unwatch() noexcept {
  // The watcher is the show's own: after the end another show's may be installed.
  SkipFailure([&] {
    if (host::FileWatcher* watcher = ctx_.services.file_watcher) {
      for (int id : watches_) watcher->Unwatch(id);
    }
  });
  watches_.clear();
}

void FrmRuntimeTimer::End() {
  ended_ = true;
  SkipFailure([&] {
    tmrConnections.SetEnabled(false);
    tmrData.SetEnabled(false);
    tmrClock.SetEnabled(false);
    tmrRefreshLinkedObjects.SetEnabled(false);
  });
  Unwatch();
}

void FrmRuntimeTimer::RunTick(void (FrmRuntimeTimer::*tick)()) {
  const std::shared_ptr<void> keep = owner_.lock();
  if (!ended_) (this->*tick)();
  // `keep` may be the last hold on the show ended meanwhile: nothing of this form is used after.
}

template <typename Step>
void FrmRuntimeTimer::TickStep(Step&& step) {
  if (ended_) return;
  try {
    std::forward<Step>(step)();
  } catch (...) {
    // A step the end of the show cut short has nothing to report.
    if (ended_) return;
    SkipFailure([&] { ReportFailure(ctx_, CurrentFailure(), ErrorCode::kRequeryingData); });
  }
}

void FrmRuntimeTimer::SetActivePresentation(host::SlideShowWindow& window) {
  window_ = &window;
  slide_count_ = window.Presentation().Slides().Count();
  lowest_row_.fill(kNoLowestRow);
  highest_row_.fill(0);
  if (model_ == nullptr) return;
  host::Slides& slides = window.Presentation().Slides();
  for (int s = 1; s <= model_->SlideCount(); ++s) {
    for (clsRTShapeInfo& info : *model_->shapes[s]) {
      const int n = ConnectionSlot(info.ConnectionTagNumber);
      if (info.IsScrolling && n > 0) {
        const long row = std::lround(info.Row);
        if (row < lowest_row_[n]) lowest_row_[n] = row;
        if (row > highest_row_[n]) highest_row_[n] = row;
      }
      SkipFailure([&] {
        host::Shape& shape = slides.Item(s).Shapes().Item(static_cast<int>(info.ShapeNumber));
        const int type = shape.Type();
        if (info.SourceType == 3 || type == host::shape_type::kLinkedPicture ||
            type == host::shape_type::kLinkedOleObject) {
          shape.LinkFormat().SetAutoUpdate(host::link_update::kAutomatic);
        }
      });
    }
  }
}

void FrmRuntimeTimer::Load() {
  saved_stamp_ = Now() + std::chrono::minutes(60);
  // The connections were read when the show began.
  for (Health& health : health_) health.last_good = Now();
  tmrData.SetEnabled(true);
}

host::Presentation& FrmRuntimeTimer::ShowPresentation() const {
  if (window_ == nullptr) throw Error(kErrObjectNotSet, kSource, "No slide show window");
  return window_->Presentation();
}

int FrmRuntimeTimer::ShownSlideIndex() {
  if (window_ == nullptr) throw Error(kErrObjectNotSet, kSource, "No slide show window");
  try {
    return window_->View().Slide().SlideIndex();
  } catch (...) {
    // Past the last slide nothing is in view: the position says where the show stands.
    return window_->View().CurrentShowPosition();
  }
}

clsConnection* FrmRuntimeTimer::Connection(const std::string& tag_number) const {
  if (connections_ == nullptr) return nullptr;
  auto found = connections_->find(tag_number);
  if (found == connections_->end()) {
    throw Error(kErrSubscriptOutOfRange, kSource,
                "No connection " + tag_number + " in the slide show");
  }
  return found->second.get();
}

void FrmRuntimeTimer::SetCurrentSlide(double slide) {
  const bool connections_enabled = tmrConnections.Enabled();
  const bool data_enabled = tmrData.Enabled();
  SkipFailure([&] {
    tmrConnections.SetEnabled(false);
    tmrData.SetEnabled(false);
    current_slide_ = slide + 1;
    if (current_slide_ > ShowPresentation().Slides().Count()) current_slide_ = ShownSlideIndex();
    const int index = static_cast<int>(current_slide_);
    if (model_ != nullptr && index >= 1 && index <= model_->SlideCount()) {
      for (clsRTShapeInfo& info : *model_->shapes[index]) info.ScrollTotalWaited = 0;
    }
  });
  SkipFailure([&] {
    tmrConnections.SetEnabled(connections_enabled);
    tmrData.SetEnabled(data_enabled);
  });
}

void FrmRuntimeTimer::EnableTimer() {
  SkipFailure([&] {
    tmrConnections.SetEnabled(true);
    tmrData.SetEnabled(true);
  });
}

void FrmRuntimeTimer::DisableTimer() {
  SkipFailure([&] {
    tmrConnections.SetEnabled(false);
    tmrData.SetEnabled(false);
  });
}

void FrmRuntimeTimer::RefreshData() {
  SkipFailure([&] { tmrData_Timer(); });
}

void FrmRuntimeTimer::RefreshRange(int first, int last) {
  for (int s = first; s <= last && !ended_; ++s) RefreshSlide(s);
}

// ---- Ticks

void FrmRuntimeTimer::tmrData_Timer() {
  bool beyond = false;
  TickStep([&] {
    current_slide_ = ShownSlideIndex();
    beyond = current_slide_ > slide_count_;
  });
  if (beyond) return;
  const int current = static_cast<int>(current_slide_);
  // Files that changed wake this tick early. Without scrolling every data tick requeries
  // anyway; with scrolling the connections whose files changed are read here.
  if (scrolling_) {
    for (int n = 1; n < kConnectionSlots; ++n) {
      if (!changed_[n]) continue;
      changed_[n] = false;
      clsConnection* connection = nullptr;
      TickStep([&] { connection = Connection(SlotKey(n)); });
      if (connection != nullptr) Requery(n, *connection, true);
      if (ended_) return;
    }
  }
  if (!scrolling_) TickStep([&] { tmrConnections_Timer(); });
  TickStep([&] { RefreshSlide(current); });
  if (slide_count_ > 1) {
    TickStep([&] {
      const int next = NextVisibleSlide(ctx_, current);
      if (next != current) {
        ResetScrolling(next);
        RefreshSlide(next);
      }
    });
    TickStep([&] {
      host::Slides& slides = ShowPresentation().Slides();
      for (int i = 1; i <= slides.Count(); ++i) {
        if (slides.Item(i).SlideShowTransition().Hidden()) RefreshSlide(i);
      }
    });
  }
  TickStep([&] {
    if (ctx_.module.show_saved_state) {
      ShowPresentation().SetSaved(true);
      KeepPresentationSaved();
    }
  });
  TickStep([&] { loop_.DoEvents(); });
}

void FrmRuntimeTimer::tmrConnections_Timer() {
  Trace(ctx_, DebugLevel::kVariable, "Refresh connections");
  RequeryConnections();
}

void FrmRuntimeTimer::RequeryConnections() {
  if (model_ == nullptr || connections_ == nullptr) return;
  for (int n = 1; n < kConnectionSlots; ++n) {
    if (!model_->used_connections[n]) continue;
    clsConnection* connection = nullptr;
    TickStep([&] { connection = Connection(SlotKey(n)); });
    if (connection != nullptr) Requery(n, *connection, changed_[n]);
    // The query let events run: the show may have ended meanwhile.
    if (ended_) return;
    changed_[n] = false;
  }
}

void FrmRuntimeTimer::Requery(int slot, clsConnection& connection, bool forced) {
  Health& health = health_[slot];
  const bool was_failed = health.failed;
  try {
    connection.Requery(forced);
  } catch (...) {
    if (ended_) return;
    const Error failure = CurrentFailure();
    const WallTime now = Now();
    if (!health.failed) health.failed_since = now;
    health.failed = true;
    SkipFailure([&] { ReportFailure(ctx_, failure, ErrorCode::kRequeryingData); });
    SkipFailure([&] {
      host::DataStatusDisplay* status = ctx_.services.show_status;
      if (status == nullptr) return;
      const std::string message = FailureMessage(failure, ErrorCode::kRequeryingData);
      if (!was_failed) {
        status->ConnectionFailed(connection.ConnectionTagNumber(),
                                 connection.ConnectionDescription(), message);
      }
      if (KeepLastGoodValues) {
        const std::chrono::duration<double> age = now - health.last_good;
        status->ValuesStale(connection.ConnectionTagNumber(), age.count());
      }
    });
    return;
  }
  if (ended_) return;
  const WallTime now = Now();
  // A database is asked again only when its refresh time has come: until then a quiet requery
  // says nothing about whether it answers again. The source itself tells whether it asked (a
  // guess from the times here was off by the time a failing open took, and reported a database
  // still away as answering again).
  const bool asked = forced || connection.LastRequeryAsked();
  if (was_failed && !asked) return;
  health.failed = false;
  health.last_good = now;
  if (was_failed) {
    SkipFailure([&] {
      if (host::DataStatusDisplay* status = ctx_.services.show_status) {
        status->ConnectionRestored(connection.ConnectionTagNumber(),
                                   connection.ConnectionDescription());
      }
    });
  }
}

void FrmRuntimeTimer::tmrClock_Timer() {
  const WallTime now = std::chrono::floor<std::chrono::seconds>(Now());
  if (now == last_clock_time_) return;
  SkipFailure([&] {
    const int current = ShownSlideIndex();
    current_slide_ = current;
    host::Slides& slides = ShowPresentation().Slides();
    if (current <= slide_count_) RefreshClocks(slides.Item(current), current, now);
    if (slide_count_ > 1) {
      const int next = NextVisibleSlide(ctx_, current);
      if (next != current) RefreshClocks(slides.Item(next), next, now);
    }
  });
  last_clock_time_ = now;
}

void FrmRuntimeTimer::RefreshClocks(host::Slide& slide, int slide_number, WallTime time) {
  if (model_ == nullptr || slide_number < 1 || slide_number > model_->SlideCount()) return;
  SkipFailure([&] {
    for (const clsRTClockInfo& clock : model_->clocks[slide_number]) {
      host::Shape& shape = slide.Shapes().Item(static_cast<int>(clock.ShapeNumber));
      const std::string text = rendering::FormatDate(time, clock.DateFormat);
      host::TextRange& range = shape.TextFrame().TextRange();
      if (text != range.Text()) {
        Trace(ctx_, DebugLevel::kVariable, "RefreshClocks:" + text);
        range.SetText(text);
      }
    }
  });
}

void FrmRuntimeTimer::KeepPresentationSaved() {
  if (!ctx_.module.show_saved_state || !(saved_stamp_ > Now())) return;
  ctx_.module.resetting_saved_state = true;
  SkipFailure([&] { ctx_.module.host->ActivePresentation().SetSaved(true); });
  ctx_.module.resetting_saved_state = false;
  saved_stamp_ = Now() + std::chrono::minutes(60);
}

// ---- One slide

void FrmRuntimeTimer::RefreshSlide(int slide_index) {
  Trace(ctx_, DebugLevel::kInformation, "RefreshSlide:" + std::to_string(slide_index));
  if (ended_ || model_ == nullptr || slide_index < 1 || slide_index > model_->SlideCount()) return;
  bool all_eof = true;
  bool object_changed = false;
  host::Slide* slide = nullptr;
  if (!SkipFailure([&] { slide = &ShowPresentation().Slides().Item(slide_index); })) return;

  if (current_slide_ == slide_index) {
    Trace(ctx_, DebugLevel::kInformation, "start calc indexes");
    SkipFailure([&] { CalcIndexes(); });
    Trace(ctx_, DebugLevel::kInformation, "end calc indexes");
  }
  ShapeInfoList& infos = *model_->shapes[slide_index];
  for (clsRTShapeInfo& info : infos) {
    SkipFailure([&] { RefreshShape(*slide, slide_index, info, all_eof, object_changed); });
    // Reading a value may wait for a query and let events run: the show may be over.
    if (ended_) return;
    if (current_slide_ == slide_index && info.IsScrolling) {
      info.ScrollTotalWaited += static_cast<double>(tmrData.Interval());
    }
  }
  if (object_changed) {
    for (const clsRTShapeInfo& info : infos) {
      if (info.SourceType != 3) continue;
      SkipFailure([&] {
        slide->Shapes().Item(static_cast<int>(info.ShapeNumber)).SetVisible(info.ValidLinkedObject);
      });
    }
  }
  clsRTSlideInfo& slide_info = model_->slides[slide_index];
  if (slide_info.HasDataDefinitions && slide_info.AllDataEOF != all_eof) {
    slide_info.AllDataEOF = all_eof;
    HideUnhideSlides(slide_index);
  }
}

void FrmRuntimeTimer::RefreshShape(host::Slide& slide, int slide_index, clsRTShapeInfo& info,
                                   bool& all_eof, bool& object_changed) {
  clsConnection* connection = Connection(info.ConnectionTagNumber);
  const double row = info.IsScrolling ? info.ScrollRow : info.Row;
  host::Shape& shape = slide.Shapes().Item(static_cast<int>(info.ShapeNumber));
  // A source that failed keeps what its shapes show, when the user asked for that.
  const int slot = ConnectionSlot(info.ConnectionTagNumber);
  const bool frozen = KeepLastGoodValues && slot > 0 && health_[slot].failed;

  if (shape.HasTextFrame()) {
    host::TextRange& text = shape.TextFrame().TextRange();
    if (row != 0) {
      if (frozen) {
        all_eof = false;
        return;
      }
      const std::string current = text.Text();
      bool eof = true;
      std::string value = connection->GetValueDatabase(row, info.ColumnName, 1, false, &eof);
      if (ended_) return;
      // An empty frame would lose its formatting: empty values show one blank.
      if (value.empty()) value = " ";
      if (value != current) {
        Trace(ctx_, DebugLevel::kVariable,
              "Column:" + info.ColumnName + ":Rownbr:" + RowText(row) + ":Value:" + value);
        text.SetText(value);
      }
      if (!eof) all_eof = false;
    } else if (!text.Text().empty()) {
      text.SetText("");
    }
    return;
  }
  const int type = shape.Type();
  if (type != host::shape_type::kLinkedOleObject && type != host::shape_type::kLinkedPicture &&
      type != host::shape_type::kMedia) {
    if (info.SourceType == 4 && !frozen) RefreshChart(shape, info, *connection);
    return;
  }
  if (frozen) {
    all_eof = false;
    return;
  }
  RefreshLinkedObject(shape, slide_index, info, *connection, row, all_eof, object_changed);
}

void FrmRuntimeTimer::HideUnhideSlides(int slide_index) {
  if (model_ == nullptr || slide_index < 1 || slide_index > model_->SlideCount()) return;
  const clsRTSlideInfo& info = model_->slides[slide_index];
  if (!info.HideWhenNoData) return;
  SkipFailure([&] {
    Trace(ctx_, DebugLevel::kVariable,
          "Set Hide of slide:" + std::to_string(slide_index) + ":" +
              (info.AllDataEOF ? "True" : "False"));
  });
  host::Slide* slide = nullptr;
  if (!SkipFailure([&] { slide = &ShowPresentation().Slides().Item(slide_index); })) return;
  if (!info.AllDataEOF) {
    SkipFailure([&] { slide->SlideShowTransition().SetHidden(false); });
    return;
  }
  SkipFailure([&] { slide->SlideShowTransition().SetHidden(true); });
  // The slide on screen has no data any more: the show moves on.
  SkipFailure([&] {
    host::SlideShowWindow* window = ShowPresentation().SlideShowWindow();
    if (window != nullptr && window->View().Slide().SlideIndex() == slide_index) {
      window->View().Next();
    }
  });
}

}  // namespace vintrel

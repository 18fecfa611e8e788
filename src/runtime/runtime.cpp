#include "runtime/runtime.h"

#include <cmath>
#include <string>
#include <vector>

#include "document/presentation_object.h"
#include "document/shape.h"
#include "document/slide.h"
#include "document/tag_schema.h"
#include "runtime/runtime_timer.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/progress_window.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsRuntime";

bool IsLinkedFileShape(int type) {
  return type == host::shape_type::kLinkedPicture || type == host::shape_type::kLinkedOleObject;
}

}  // namespace

int ConnectionSlot(const std::string& tag_number) {
  const std::optional<long> number = ScrollNumber(tag_number);
  if (!number || *number < 1 || *number >= kConnectionSlots) return -1;
  return static_cast<int>(*number);
}

clsRuntime::clsRuntime(Context& ctx) : ctx_(ctx) {}

clsRuntime::~clsRuntime() {
  Teardown();
}

void clsRuntime::Teardown() noexcept {
  SkipFailure([&] {
    if (progress_) progress_->Close();
    progress_.reset();
  });
  SkipFailure([&] {
    if (timer_form_) {
      timer_form_->tmrConnections.SetEnabled(false);
      timer_form_->tmrData.SetEnabled(false);
      timer_form_->tmrClock.SetEnabled(false);
      timer_form_->tmrRefreshLinkedObjects.SetEnabled(false);
    }
    timer_form_.reset();
  });
  SkipFailure([&] {
    presentation_ = nullptr;
    connections_.clear();
  });
}

void clsRuntime::SetActivePresentation(host::Presentation& presentation) {
  try {
    Build(presentation);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx_, failure);
    SkipFailure([&] {
      if (progress_) progress_->Close();
      progress_.reset();
    });
    RaiseError(ErrorCode::kOpeningPresentation, kSource, {failure.description()});
  }
}

void clsRuntime::Build(host::Presentation& presentation) {
  presentation_ = &presentation;
  scroll_interval_ = -1;
  if (!IsVintrelPresentation(presentation)) return;

  if (ShowProgressMeter) {
    progress_ = std::make_unique<ProgressWindow>(ctx_);
    progress_->SetTitle("Opening presentation");
    host::Tags& tags = presentation.Tags();
    connection_tag_count_ = 0;
    for (int i = 1; i <= tags.Count(); ++i) {
      if (HasTagPrefix(tags.Name(i), tag::kConnection)) ++connection_tag_count_;
    }
    // One connection opens too quickly to be worth a window.
    if (connection_tag_count_ > 1) {
      progress_->SetSteps(connection_tag_count_);
      progress_->NewStepValue(0);
      // The progress window let events run: the show may have ended, its presentation closed.
      if (ended_) return;
      progress_->Start();
    }
  }

  host::Slides& slides = presentation.Slides();
  const int count = slides.Count();
  model_ = RuntimeModel{};
  model_.slides.resize(count + 1);
  model_.shapes.resize(count + 1);
  model_.clocks.resize(count + 1);
  model_.slide_connections.resize(count + 1);
  for (int i = 1; i <= count; ++i) BuildSlide(slides.Item(i), i);

  bool file_source = false;
  OpenUsedConnections(presentation, file_source);
  if (ended_) return;
  if (!connections_.empty()) ApplyScrollSettings();

  if (file_source) {
    data_interval_ = 1000;
  } else {
    data_interval_ = std::fabs(data_interval_);
  }
  if (data_interval_ == kNoDataInterval) data_interval_ = 1000;

  ready_ = true;
  if (progress_) {
    progress_->Close();
    SkipFailure([&] {
      if (host::EventLoop* loop = ctx_.services.loop) loop->DoEvents();
    });
    progress_.reset();
  }
}

void clsRuntime::BuildSlide(host::Slide& slide, int index) {
  clsRTSlideInfo& info = model_.slides[index];
  info.SlideNumber = slide.SlideIndex();
  info.HideWhenNoData = false;
  model_.shapes[index] = std::make_shared<ShapeInfoList>();
  ReadSlideSettings(slide, info);
  LoadScrollInfo(slide);

  host::Shapes& slide_shapes = slide.Shapes();
  clsshape link;
  for (int position = 1; position <= slide_shapes.Count(); ++position) {
    host::Shape& shape = slide_shapes.Item(position);
    int type = 0;
    SkipFailure([&] { type = shape.Type(); });
    if (IsLinkedFileShape(type)) {
      SkipFailure([&] { shape.LinkFormat().SetAutoUpdate(host::link_update::kAutomatic); });
    }
    link.SetShapeItem(shape);
    if (link.VintrelEnabled()) {
      AddLinkedShape(index, shape, link);
    } else if (info.RefreshLinkedObjects && IsLinkedFileShape(type)) {
      // Linked files without a data link are watched and reloaded when they change.
      SkipFailure([&] {
        std::string source = shape.LinkFormat().SourceFullName();
        if (source.empty()) return;
        source = source.substr(0, source.find('!'));
        model_.linked_objects.push_back(source);
        shape.LinkFormat().SetAutoUpdate(type == host::shape_type::kLinkedPicture
                                             ? host::link_update::kManual
                                             : host::link_update::kAutomatic);
      });
    }
  }
}

void clsRuntime::ReadSlideSettings(host::Slide& slide, clsRTSlideInfo& info) {
  host::Tags& tags = slide.Tags();
  for (int t = 1; t <= tags.Count(); ++t) {
    if (!HasTagPrefix(tags.Name(t), tag::kSlideProperties)) continue;
    clsSlide settings;
    settings.SetTagString(tags.Value(t));
    info.HideWhenNoData = settings.HideWhenNoData() != 0;
    info.RefreshLinkedObjects = settings.RefreshLinkedObjects() != 0;
    info.AllDataEOF = false;
    info.HasDataDefinitions = false;
    if (info.RefreshLinkedObjects) any_link_refresh_ = true;
  }
}

void clsRuntime::AddLinkedShape(int index, host::Shape& shape, const clsshape& link) {
  clsRTSlideInfo& info = model_.slides[index];
  const int source = link.SourceType();
  if (source == source_type::kClock) {
    if (link.DateFormat().empty()) return;
    clsRTClockInfo clock;
    clock.ShapeNumber = shape.ZOrderPosition();
    clock.DateFormat = link.DateFormat();
    model_.clocks[index].push_back(clock);
    info.HasClocks = true;
    any_clocks_ = true;
    return;
  }
  clsRTShapeInfo shape_info;
  shape_info.SourceType = static_cast<int16_t>(source);
  shape_info.ShapeNumber = shape.ZOrderPosition();
  shape_info.ConnectionTagNumber = link.ConnectionTagNumber();
  if (source == source_type::kTextField || source == source_type::kLinkedObject) {
    if (link.ConnectionTagNumber().empty() || link.ColumnName().empty() || link.Row() <= 0) return;
    shape_info.ColumnName = link.ColumnName();
    shape_info.Row = link.Row();
    shape_info.ScrollRow = link.Row();
    shape_info.HasTextFrame = shape.HasTextFrame();
    if (source == source_type::kLinkedObject) {
      shape_info.ObjectFolder = link.ObjectFolder();
      shape_info.ObjectExtension = link.ObjectExtension();
    }
  } else if (source == source_type::kGraph) {
    if (link.ConnectionTagNumber().empty()) return;
    // A chart always starts with the first row, whatever its tags hold.
    shape_info.Row = 1;
    shape_info.ScrollRow = 1;
  } else {
    return;
  }
  const int slot = ConnectionSlot(shape_info.ConnectionTagNumber);
  if (slot < 0) {
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                  "Connection number out of range: " + shape_info.ConnectionTagNumber);
    return;
  }
  model_.shapes[index]->push_back(std::move(shape_info));
  model_.used_connections[slot] = true;
  model_.slide_connections[index][slot] = true;
  info.HasDataDefinitions = true;
}

void clsRuntime::OpenUsedConnections(host::Presentation& presentation, bool& file_source) {
  connections_.clear();
  host::Tags& tags = presentation.Tags();
  for (int t = 1; t <= tags.Count(); ++t) {
    const std::string name = tags.Name(t);
    if (!HasTagPrefix(name, tag::kConnection)) continue;
    const std::string number = TagNumber(name, tag::kConnection);
    const int slot = ConnectionSlot(number);
    if (slot < 0 || !model_.used_connections[slot]) continue;
    auto connection = std::make_unique<clsConnection>(ctx_);
    connection->SetActivePresentationName(presentation.FullName());
    connection->SetConnectionTagNumber(number);
    connection->SetTagString(tags.Value(t));
    if (progress_) {
      progress_->SetStatusText("Opening connection " + connection->ConnectionDescription());
    }
    connection->OpenConnection();
    connection->OpenRecordset();
    connection->CloseConnection();
    if (ended_) return;
    const int type = connection->ConnectionType();
    if (type == connection_type::kTextFile || type == connection_type::kExcel) file_source = true;
    if (connection->RecordsetRefreshRate() < data_interval_) {
      data_interval_ = connection->RecordsetRefreshRate();
    }
    connections_[number] = std::move(connection);
    if (progress_) progress_->Step();
    // Opening waited for the database and the progress window let events run.
    if (ended_) return;
  }
}

void clsRuntime::ApplyScrollSettings() {
  host::Slides& slides = presentation_->Slides();
  for (int s = 1; s <= model_.SlideCount(); ++s) {
    LoadScrollInfo(slides.Item(s));
    for (clsRTShapeInfo& info : *model_.shapes[s]) {
      const int n = ConnectionSlot(info.ConnectionTagNumber);
      info.IsScrolling = scroll_enabled_[n];
      info.ScrollStep = static_cast<double>(scroll_step_[n]);
      info.ScrollTime = static_cast<double>(scroll_time_[n]);
      if (info.IsScrolling && info.ScrollTime > 0 &&
          (scroll_interval_ == -1 || scroll_interval_ > info.ScrollTime)) {
        scroll_interval_ = info.ScrollTime;
      }
      if (info.ScrollRow > static_cast<double>(model_.highest_row[n])) {
        model_.highest_row[n] = std::lround(info.ScrollRow);
      }
    }
  }
}

void clsRuntime::LoadScrollInfo(host::Slide& slide) {
  scroll_enabled_.fill(false);
  scroll_step_.fill(0);
  scroll_time_.fill(0);
  clsSlide settings;
  std::vector<std::string> numbers;
  host::Tags& tags = slide.Tags();
  for (int t = 1; t <= tags.Count(); ++t) {
    const std::string name = tags.Name(t);
    if (HasTagPrefix(name, tag::kScrollStep)) {
      numbers.push_back(TagNumber(name, tag::kScrollStep));
      settings.AddScrollInfo(numbers.back(), tags.Value(t));
    }
  }
  // Only the connections the slide's tags name can scroll; the others stay off. (Asking the
  // settings about all hundred slots read each number back from text, three times per slide.)
  for (const std::string& number : numbers) {
    const int n = ConnectionSlot(number);
    if (n <= 0) continue;
    scroll_enabled_[n] = settings.ScrollEnabled(number);
    scroll_step_[n] = settings.ScrollStep(number);
    scroll_time_[n] = settings.ScrollTime(number);
  }
}

void clsRuntime::UnSetLinkedObjects() {
  if (presentation_ == nullptr) return;
  SkipFailure([&] {
    host::Slides& slides = presentation_->Slides();
    for (int s = 1; s <= slides.Count(); ++s) {
      SkipFailure([&] {
        host::Shapes& shapes = slides.Item(s).Shapes();
        for (int i = 1; i <= shapes.Count(); ++i) {
          SkipFailure([&] {
            host::Shape& shape = shapes.Item(i);
            if (IsLinkedFileShape(shape.Type())) {
              shape.LinkFormat().SetAutoUpdate(host::link_update::kManual);
            }
          });
        }
      });
    }
  });
}

void clsRuntime::StartTimers() {
  try {
    if (presentation_ == nullptr) throw Error(kErrObjectNotSet, kSource, "No presentation");
    host::SlideShowWindow* window = presentation_->SlideShowWindow();
    if (window == nullptr) throw Error(kErrObjectNotSet, kSource, "No slide show window");

    if (ended_) return;
    timer_form_ = std::make_unique<FrmRuntimeTimer>(ctx_);
    FrmRuntimeTimer& form = *timer_form_;
    form.SetOwner(weak_from_this());
    form.SetConnections(&connections_);
    form.SetModel(&model_);
    form.KeepLastGoodValues = KeepLastGoodValues;
    form.SetActivePresentation(*window);

    const auto whole = [](double ms) { return static_cast<long>(std::nearbyint(ms)); };
    if (scroll_interval_ != -1) {
      form.SetScrolling(true);
      form.tmrConnections.SetInterval(whole(data_interval_));
      form.tmrConnections.SetEnabled(true);
      form.tmrData.SetInterval(
          whole(scroll_interval_ < data_interval_ ? scroll_interval_ : data_interval_));
    } else {
      form.SetScrolling(false);
      form.tmrData.SetInterval(whole(data_interval_));
      form.tmrConnections.SetEnabled(false);
    }
    if (form.tmrData.Interval() == 0) form.tmrData.SetInterval(1000);
    if (any_clocks_) {
      form.tmrClock.SetInterval(50);
      form.tmrClock.SetEnabled(true);
    }
    if (any_link_refresh_) form.tmrRefreshLinkedObjects.SetEnabled(true);

    form.Load();
    if (WatchFiles) form.WatchConnectionFiles();
    form.SetCurrentSlide(form.ShownSlideIndex());
    const auto now = ctx_.services.clock->Now();
    SkipFailure([&] { form.RefreshClocks(presentation_->Slides().Item(1), 1, now); });
    form.RefreshSlide(form.ShownSlideIndex());
    // Reading the values may have waited for a query, and the show may have ended meanwhile.
    if (ended_) return;
    form.RefreshRange(1, model_.SlideCount());
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx_, failure);
    RaiseError(ErrorCode::kStartingTimers, kSource, {failure.description()});
  }
}

void clsRuntime::EndShow() {
  ended_ = true;
  if (timer_form_) timer_form_->End();
}

void clsRuntime::SlideShowNextSlide(host::SlideShowWindow& window) {
  if (!ready_ || ended_ || timer_form_ == nullptr) return;
  SkipFailure([&] {
    WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                  "Next slide: " + std::to_string(window.View().CurrentShowPosition()));
    timer_form_->SetCurrentSlide(window.View().Slide().SlideIndex());
  });
}

}  // namespace vintrel

// The design-time fill: every linked shape of the presentation brought up to date, touching a
// shape only when what it shows must change.
#include <cctype>

#include "document/presentation_object.h"
#include "document/shape.h"
#include "document/slide.h"
#include "document/tag_schema.h"
#include "host/common/ascii.h"
#include "host/platform.h"
#include "rendering/clock_text.h"
#include "rendering/graph_fill.h"
#include "rendering/linked_object.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/progress_window.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsPresentation";

void SetBusy(const Context& ctx, bool busy) {
  SkipFailure([&] { ctx.services.front_end->SetBusy(busy); });
}

}  // namespace

void clsPresentation::FillValues(bool requery) {
  SetBusy(ctx_, true);
  // After the user chose Cancel once, this fill shows no more failures.
  bool show_errors = true;
  auto report = [this, &show_errors] {
    const Error failure = CurrentFailure();
    if (!show_errors) {
      RememberFailure(ctx_, failure);
      return;
    }
    const int answer =
        ReportFailure(ctx_, failure, ErrorCode::kFillingValues, host::msg_box::kOkCancel);
    if (answer == host::msg_box::kCancel) show_errors = false;
  };

  if (requery) {
    for (auto& connection : connections_) {
      try {
        connection->Requery(true);
      } catch (...) {
        report();
      }
    }
  }

  try {
    host::Slides& slides = presentation_->Slides();
    for (int i = 1; i <= slides.Count(); ++i) {
      host::Slide& slide = slides.Item(i);
      WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                    "FillingValues:New slide:" + std::to_string(slide.SlideIndex()));
      if (opening_progress_) {
        opening_progress_->SetStatusText("\r\nPopulating slide " +
                                         std::to_string(slide.SlideIndex()));
      }
      host::Shapes& shapes = slide.Shapes();
      for (int s = 1; s <= shapes.Count(); ++s) {
        try {
          host::Shape& shape = shapes.Item(s);
          WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                        "FillingValues:New shape:" + shape.Name());
          FillShape(slide, shape, show_errors);
        } catch (...) {
          report();
        }
      }
      if (opening_progress_) opening_progress_->Step();
    }
  } catch (...) {
    report();
  }
  if (opening_progress_) opening_progress_->NewStepValue(opening_progress_->Steps());
  SetBusy(ctx_, false);
}

void clsPresentation::FillShape(host::Slide& slide, host::Shape& shape, bool& /*show_errors*/) {
  clsshape link;
  link.SetShapeItem(shape);
  if (!link.VintrelEnabled()) return;
  const int type = link.SourceType();
  const int display_type = ctx_.module.current_display_type;
  const bool in_show = ctx_.module.in_slide_show;

  switch (type) {
    case source_type::kClock: {
      host::TextRange& text = shape.TextFrame().TextRange();
      const std::string shown = rendering::ClockText(ctx_, link.DateFormat(), display_type);
      if (shown != text.Text()) {
        text.SetText(shown);
        ++fill_writes_;
      }
      return;
    }
    case source_type::kTextField: {
      clsConnection* connection = FindConnection(link.ConnectionTagNumber());
      if (connection == nullptr || !connection->ConnectionReady()) return;
      host::TextRange& text = shape.TextFrame().TextRange();
      std::string shown =
          connection->GetValueDatabase(link.Row(), link.ColumnName(), display_type, false);
      // A text frame is never emptied by the fill: its formatting lives in its text.
      if (shown.empty()) shown = " ";
      if (shown != text.Text()) {
        text.SetText(shown);
        ++fill_writes_;
      }
      return;
    }
    case source_type::kLinkedObject: {
      clsConnection* connection = FindConnection(link.ConnectionTagNumber());
      if (connection == nullptr || !connection->ConnectionReady()) return;
      const bool visible = shape.Visible();
      // A hidden shape counts as showing nothing, so showing it again also reloads its file.
      const std::string old_reference =
          visible ? UpperAscii(shape.LinkFormat().SourceFullName()) : std::string();
      const std::string reference = connection->GetValueObject(
          link.Row(), link.ColumnName(), link.ObjectFolder(), link.ObjectExtension(), 1, false);
      if (reference.empty()) {
        if (visible) {
          shape.SetVisible(false);
          ++fill_writes_;
        }
      } else if (!visible) {
        shape.SetVisible(true);
        ++fill_writes_;
      }
      // Compared without case as the host's file names are; handed on as written, since file
      // names here are case-sensitive.
      if (UpperAscii(reference) != old_reference) {
        bool defer_update = false;
        rendering::SetLinkedObjectSource(ctx_, presentation_->FullName(), slide.SlideIndex(),
                                         shape.ZOrderPosition(), reference, in_show, defer_update);
        ++fill_writes_;
      }
      return;
    }
    case source_type::kGraph: {
      clsConnection* connection = FindConnection(link.ConnectionTagNumber());
      if (connection == nullptr || !connection->ConnectionReady()) return;
      if (!SlideScrollEnabled(slide, link.ConnectionTagNumber())) {
        rendering::FillGraph(shape, *connection, in_show);
      } else {
        rendering::FillGraphRow(shape, *connection, 1, in_show);
      }
      if (!shape.Visible()) shape.SetVisible(true);
      return;
    }
    default:
      return;
  }
}

}  // namespace vintrel

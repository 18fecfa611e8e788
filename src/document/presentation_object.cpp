#include "document/presentation_object.h"

#include <algorithm>

#include "document/connection_tags.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/application.h"
#include "host/event_loop.h"
#include "rendering/graph_fill.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/progress_window.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsPresentation";
// The host's failure for a second item under one key of a collection.
constexpr int32_t kErrDuplicateKey = 457;

// Runs one step of an operation whose failures are reported and passed over.
template <typename Step>
void Reported(Context& ctx, ErrorCode operation, Step&& step) {
  try {
    step();
  } catch (...) {
    ReportFailure(ctx, CurrentFailure(), operation);
  }
}

// Failures of the tag writers that only ever go to the error log.
void LogOnly(Context& ctx, const Error& failure, ErrorCode operation) {
  RememberFailure(ctx, failure);
  const std::string message = FailureMessage(failure, operation);
  const int32_t number = IsOwnError(failure.number()) ? failure.number() : ErrorNumber(operation);
  WriteErrorLog(ctx, message + " (" + std::to_string(number) + "-" + failure.source() + ")");
}

void LetHostRun(const Context& ctx) {
  SkipFailure([&] { ctx.services.loop->DoEvents(); });
}

template <typename Visit>
void ForEachShape(host::Presentation& presentation, Visit&& visit) {
  host::Slides& slides = presentation.Slides();
  for (int i = 1; i <= slides.Count(); ++i) {
    host::Shapes& shapes = slides.Item(i).Shapes();
    for (int s = 1; s <= shapes.Count(); ++s) visit(slides.Item(i), shapes.Item(s));
  }
}

}  // namespace

bool IsVintrelPresentation(host::Presentation& presentation) {
  host::Tags& tags = presentation.Tags();
  for (int i = tags.Count(); i >= 1; --i) {
    if (HasTagPrefix(tags.Name(i), tag::kVersion)) return true;
  }
  return false;
}

clsPresentation::clsPresentation(Context& ctx) : ctx_(ctx) {}
clsPresentation::~clsPresentation() = default;

void clsPresentation::SetActivePresentation(host::Presentation& presentation) {
  presentation_ = &presentation;
  Load();
}

void clsPresentation::Load() {
  if (ctx_.module.offline_generation_running) return;
  host::Presentation& presentation = *presentation_;

  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] {
    if (!opened_from_file_ || !IsVintrelPresentation(presentation)) return;
    opening_progress_ = std::make_unique<ProgressWindow>(ctx_);
    opening_progress_->SetTitle("Opening presentation");
    host::Tags& tags = presentation.Tags();
    int connection_tags = 0;
    for (int i = 1; i <= tags.Count(); ++i) {
      if (HasTagPrefix(tags.Name(i), tag::kConnection)) ++connection_tags;
    }
    const int slides = presentation.Slides().Count();
    if (slides >= 2 || connection_tags >= 2) {
      opening_progress_->SetSteps(slides + connection_tags);
      opening_progress_->NewStepValue(0);
      opening_progress_->Start();
    }
  });

  int count = 0;
  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] { count = presentation.Tags().Count(); });
  for (int i = 1; i <= count; ++i) {
    if (ctx_.module.first_yield_pending) {
      ctx_.module.first_yield_pending = false;
      LetHostRun(ctx_);
    }
    std::string name;
    std::string value;
    try {
      name = presentation.Tags().Name(i);
      value = presentation.Tags().Value(i);
    } catch (...) {
      ReportFailure(ctx_, CurrentFailure(), ErrorCode::kOpeningPresentation);
      continue;
    }
    if (HasTagPrefix(name, tag::kDisplayType)) {
      Reported(ctx_, ErrorCode::kOpeningPresentation, [&] {
        const std::optional<long> type = ParseWholeNumber(value);
        if (!type) throw Error(kErrTypeMismatch, kSource, "Type mismatch");
        display_type_ = static_cast<int>(*type);
      });
    } else if (HasTagPrefix(name, tag::kConnection)) {
      LoadConnection(name, value);
    } else if (HasTagPrefix(name, tag::kDistributionStart) ||
               HasTagPrefix(name, tag::kDistributionStop)) {
      Reported(ctx_, ErrorCode::kOpeningPresentation, [&] {
        const std::optional<LocalDateTime> date = ParseDateTime(value);
        if (!date) throw Error(kErrTypeMismatch, kSource, "Type mismatch");
        (HasTagPrefix(name, tag::kDistributionStart) ? distribution_start_ : distribution_stop_) =
            date;
      });
    } else if (HasTagPrefix(name, tag::kDistributionComputer)) {
      for (std::string& computer : vintrel::DistributionComputers(value)) {
        distribution_computers_.push_back(std::move(computer));
      }
    }
  }

  WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "Start fill values");
  FillValues(false);
  WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "End fill values");
  if (opening_progress_) {
    opening_progress_->Close();
    opening_progress_.reset();
  }
}

void clsPresentation::LoadConnection(const std::string& name, const std::string& value) {
  auto connection = std::make_unique<clsConnection>(ctx_);
  connection->SetActivePresentationName(presentation_->FullName());
  connection->SetConnectionTagNumber(TagNumber(name, tag::kConnection));
  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] { connection->SetTagString(value); });
  connection->SetDesignMode(true);
  if (opening_progress_) {
    opening_progress_->SetStatusText("Opening connection " + connection->ConnectionDescription());
  }
  // Each step on its own: a connection whose source is away still joins the presentation, so a
  // later refresh can bring its values.
  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] { connection->OpenConnection(); });
  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] { connection->OpenRecordset(); });
  connection->CloseConnection();
  Reported(ctx_, ErrorCode::kOpeningPresentation, [&] {
    if (ConnectionExists(connection->ConnectionTagNumber())) {
      throw Error(kErrDuplicateKey, kSource,
                  "This key is already associated with an element of this collection");
    }
    connections_.push_back(std::move(connection));
  });
  if (opening_progress_) opening_progress_->Step();
}

void clsPresentation::SetDisplayType(int display_type) {
  display_type_ = display_type;
  PressDisplayControls(display_type);
  ctx_.module.current_display_type = display_type;
  FillValues(false);
}

void clsPresentation::PressDisplayControls(int display_type) {
  host::Application* app = ctx_.module.host;
  if (app == nullptr) return;
  // The controls exist only while the add-in shows its menus; without them there is nothing to
  // press.
  SkipFailure([&] {
    host::CommandBarControl& popup =
        app->CommandBars().Item("Menu Bar").Controls().Item("V&intrel");
    host::CommandBarControls& items = popup.Controls().Item("&Display").Controls();
    for (int i = 1; i <= items.Count(); ++i) {
      items.Item(i).SetState(items.Item(i).Index() == display_type ? host::button_state::kDown
                                                                   : host::button_state::kUp);
    }
  });
  SkipFailure([&] {
    app->CommandBars()
        .Item("Quendra Vintrel 2002")
        .Controls()
        .Item("&Display")
        .SetListIndex(display_type);
  });
}

std::string clsPresentation::NewConnectionTagNumber() const {
  return NextConnectionTagNumber(ConnectionTagNumbers(connections_));
}

clsConnection* clsPresentation::FindConnection(std::string_view tag_number) const {
  return vintrel::FindConnection(connections_, tag_number);
}

bool clsPresentation::ConnectionExists(std::string_view tag_number) const {
  return FindConnection(tag_number) != nullptr;
}

std::string clsPresentation::VintrelVersion() const {
  host::Tags& tags = presentation_->Tags();
  for (int i = tags.Count(); i >= 1; --i) {
    if (HasTagPrefix(tags.Name(i), tag::kVersion)) return tags.Value(i);
  }
  return "";
}

void clsPresentation::DeleteVersionTag() {
  DeleteTagsWithPrefix(presentation_->Tags(), tag::kVersion);
}

void clsPresentation::DeleteDisplayTypeTag() {
  DeleteTagsWithPrefix(presentation_->Tags(), tag::kDisplayType);
}

void clsPresentation::DeleteSlideTags(int slide_index) {
  SkipFailure([&] {
    host::Tags& tags = presentation_->Slides().Item(slide_index).Tags();
    DeleteTagsWithPrefix(tags, tag::kSlideProperties);
    DeleteTagsWithPrefix(tags, tag::kScrollStep);
  });
}

void clsPresentation::DeleteConnectionTags() {
  DeleteTagsWithPrefix(presentation_->Tags(), tag::kConnection);
  while (!connections_.empty()) connections_.pop_back();
}

void clsPresentation::DeleteDistributionListTags() {
  host::Tags& tags = presentation_->Tags();
  DeleteTagsWithPrefix(tags, tag::kDistributionStart);
  DeleteTagsWithPrefix(tags, tag::kDistributionStop);
  DeleteTagsWithPrefix(tags, tag::kDistributionComputer);
}

void clsPresentation::SetVersionTag() {
  DeleteVersionTag();
  presentation_->Tags().Add(tag::kVersion, tag::kVersionValue);
}

void clsPresentation::SetDisplayType() {
  DeleteDisplayTypeTag();
  presentation_->Tags().Add(tag::kDisplayType, FormatWholeNumber(display_type_));
}

void clsPresentation::SetConnectionTags(ConnectionList connections) {
  try {
    if (!IsVintrelPresentation(*presentation_)) SetVersionTag();
    DeleteConnectionTags();
    // Every definition is written before any source is opened: a source that cannot be reached
    // now must not cost the definitions after it.
    for (auto& connection : connections) {
      presentation_->Tags().Add(ConnectionTagName(connection->ConnectionTagNumber()),
                                connection->TagString());
    }
    connections_ = std::move(connections);
    for (auto& connection : connections_) {
      Reported(ctx_, ErrorCode::kSavingConnectionTags, [&] {
        connection->SetActivePresentationName(presentation_->FullName());
        connection->OpenConnection();
        connection->OpenRecordset();
      });
      connection->CloseConnection();
    }
    ForEachShape(*presentation_, [&](host::Slide&, host::Shape& shape) {
      clsshape link;
      link.SetShapeItem(shape);
      if (link.ConnectionTagNumber().empty() || ConnectionExists(link.ConnectionTagNumber())) {
        return;
      }
      link.RemoveVintrel();
      if (shape.HasTextFrame()) shape.TextFrame().TextRange().SetText("");
    });
  } catch (...) {
    ReportFailure(ctx_, CurrentFailure(), ErrorCode::kSavingConnectionTags);
  }
}

void clsPresentation::SetSlideTags(const clsSlide& settings, int slide_index) {
  try {
    if (!IsVintrelPresentation(*presentation_)) SetVersionTag();
    DeleteSlideTags(slide_index);
    WriteSlideTags(presentation_->Slides().Item(slide_index).Tags(), settings);
  } catch (...) {
    LogOnly(ctx_, CurrentFailure(), ErrorCode::kSavingScrollStep);
  }
}

void clsPresentation::SetDistributionListTags(std::optional<LocalDateTime> start,
                                              std::optional<LocalDateTime> stop,
                                              const std::vector<std::string>& computers) {
  try {
    if (!IsVintrelPresentation(*presentation_)) SetVersionTag();
    DeleteDistributionListTags();
    host::Tags& tags = presentation_->Tags();
    tags.Add(tag::kDistributionStart, start ? FormatDateTime(*start) : "");
    tags.Add(tag::kDistributionStop, stop ? FormatDateTime(*stop) : "");
    const std::string names = DistributionComputerValue(computers);
    if (!names.empty()) tags.Add(tag::kDistributionComputer, names);
    distribution_start_ = start;
    distribution_stop_ = stop;
  } catch (...) {
    LogOnly(ctx_, CurrentFailure(), ErrorCode::kSavingDistributionTags);
  }
}

void clsPresentation::RemoveVintrel() {
  SkipFailure([&] { DeleteVersionTag(); });
  SkipFailure([&] { DeleteConnectionTags(); });
  SkipFailure([&] { DeleteDistributionListTags(); });
  SkipFailure([&] { DeleteDisplayTypeTag(); });
  SkipFailure([&] {
    ForEachShape(*presentation_, [](host::Slide&, host::Shape& shape) {
      SkipFailure([&] {
        clsshape link;
        link.SetShapeItem(shape);
        link.RemoveVintrel();
      });
    });
  });
}

void clsPresentation::PrepareSave() {
  if (!IsVintrelPresentation(*presentation_)) return;
  ForEachShape(*presentation_, [](host::Slide&, host::Shape& shape) {
    SkipFailure([&] {
      clsshape link;
      link.SetShapeItem(shape);
      // A cleared link leaves its type tag behind; such a shape is unlinked and saved as it is.
      if (!link.VintrelEnabled() || link.SourceType() == source_type::kNone) return;
      // A saved file never holds a linked value: texts keep one blank (an empty text would lose
      // its formatting), pictures and charts are hidden until the next fill.
      if (shape.HasTextFrame() && !shape.TextFrame().TextRange().Text().empty()) {
        shape.TextFrame().TextRange().SetText(" ");
      }
      const int type = shape.Type();
      if ((type == host::shape_type::kLinkedPicture ||
           type == host::shape_type::kLinkedOleObject) &&
          !shape.LinkFormat().SourceFullName().empty()) {
        shape.SetVisible(false);
      }
      if (rendering::IsGraphShape(shape)) shape.SetVisible(false);
    });
  });
}

bool clsPresentation::SlideHasConnections(int slide_index) {
  host::Shapes& shapes = presentation_->Slides().Item(slide_index).Shapes();
  for (int s = shapes.Count(); s >= 1; --s) {
    clsshape link;
    link.SetShapeItem(shapes.Item(s));
    if (link.VintrelEnabled() && link.Row() > 0 && !link.ConnectionTagNumber().empty() &&
        !link.ColumnName().empty()) {
      return true;
    }
  }
  return false;
}

}  // namespace vintrel

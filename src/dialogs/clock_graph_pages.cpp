#include "dialogs/clock_graph_pages.h"

#include <iterator>

#include "dialogs/page_support.h"
#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/application.h"
#include "host/platform.h"
#include "rendering/clock_text.h"
#include "rendering/graph_fill.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::dialogs {
namespace {

using host::ControlKind;
using host::FormEvent;

constexpr int kClockFormatCount = static_cast<int>(std::size(rendering::kClockFormats));

std::vector<clsshape> LinkObjects(clsPresentation& presentation,
                                  const std::vector<host::Shape*>& shapes, int source_type) {
  std::vector<clsshape> links;
  for (host::Shape* shape : shapes) {
    SkipFailure([&] {
      clsshape link;
      link.SetActivePresentation(&presentation);
      link.SetShapeItem(*shape);
      if (source_type != source_type::kNone) link.SetSourceType(source_type);
      links.push_back(std::move(link));
    });
  }
  return links;
}

}  // namespace

frmClockPropertyPage::frmClockPropertyPage(clsPresentation& presentation,
                                           std::vector<host::Shape*> shapes)
    : host::Form("frmClockPropertyPage", kCaption), presentation_(presentation) {
  // The stored source type is read first: only shapes that already carry add-in data take part
  // in finding the shared format.
  shapes_ = LinkObjects(presentation, shapes, source_type::kNone);
  Add(ControlKind::kFrame, "frmClock", "Date and Time");
  Add(ControlKind::kLabel, "lblDateTimeFormats", "Available formats:", "frmClock");
  Add(ControlKind::kListBox, "lstDatetimeFormats", "", "frmClock");
  Add(ControlKind::kFrame, "frmPreview", "Preview");
  Add(ControlKind::kTextBox, "txtPreview", "", "frmPreview").locked = true;
  Add(ControlKind::kCheckBox, "chkNoPreview", "No preview");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  Add(ControlKind::kCommandButton, "cmdClear", "Clear");
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");
  On("lstDatetimeFormats", FormEvent::kClick, [this] {
    const int index = ListIndex("lstDatetimeFormats");
    if (index < 0 || index >= kClockFormatCount) return;
    for (clsshape& shape : shapes_) {
      shape.SetNewDateFormat(rendering::kClockFormats[index]);
    }
    SetEnabled("cmdClose", true);
    GetPreview();
  });
  On("chkNoPreview", FormEvent::kClick, [this] {
    const bool off = Checked("chkNoPreview");
    SetEnabled("frmPreview", !off);
    if (off) {
      SetText("txtPreview", "");
    } else {
      GetPreview();
    }
  });
  On("cmdClear", FormEvent::kClick, [this] { cmdClear_Click(); });
  On("cmdClose", FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", FormEvent::kClick, [this] { Hide(); });
  SetEnabled("cmdClose", false);
}

void frmClockPropertyPage::Activate() {
  if (loaded_) return;
  loaded_ = true;
  std::vector<std::string> entries;
  for (const char* format : rendering::kClockFormats) {
    std::string text;
    SkipFailure([&] {
      text = rendering::ClockText(presentation_.context(), format, display_type::kValue);
    });
    entries.push_back(text);
  }
  SetItems("lstDatetimeFormats", std::move(entries));
  SetValue("chkNoPreview", presentation_.context().module.no_preview ? 1 : 0);
  std::optional<std::string> shared;
  bool differ = false;
  for (const clsshape& shape : shapes_) {
    if (!shape.VintrelEnabled()) continue;
    if (shared && *shared != shape.DateFormat()) differ = true;
    shared = shape.DateFormat();
  }
  if (shared && !differ) {
    for (int index = 0; index < kClockFormatCount; ++index) {
      if (*shared == rendering::kClockFormats[index]) SetListIndex("lstDatetimeFormats", index);
    }
  }
  GetPreview();
}

void frmClockPropertyPage::GetPreview() {
  const int index = ListIndex("lstDatetimeFormats");
  std::string text;
  if (!Checked("chkNoPreview") && index >= 0 && index < kClockFormatCount) {
    SkipFailure([&] {
      text = rendering::ClockText(presentation_.context(), rendering::kClockFormats[index],
                                  display_type::kValue);
    });
  }
  SetText("txtPreview", text);
}

void frmClockPropertyPage::cmdClear_Click() {
  SetListIndex("lstDatetimeFormats", -1);
  for (clsshape& shape : shapes_) shape.SetNewDateFormat("");
  SetEnabled("cmdClose", true);
  GetPreview();
}

void frmClockPropertyPage::cmdClose_Click() {
  presentation_.context().module.no_preview = Checked("chkNoPreview");
  bool any = false;
  for (clsshape& shape : shapes_) {
    SkipFailure([&] {
      shape.SetSourceType(source_type::kClock);
      shape.SetShapeTags();
      any = true;
      host::Shape& host_shape = *shape.ShapeItem();
      if (!shape.VintrelEnabled() || !host_shape.HasTextFrame()) return;
      const std::string& format = shape.DateFormat();
      host_shape.TextFrame().TextRange().SetText(
          format.empty()
              ? ""
              : rendering::ClockText(presentation_.context(), format,
                                     presentation_.context().module.current_display_type));
    });
  }
  if (any) SkipFailure([&] { presentation_.SetVersionTag(); });
  written_ = true;
  Hide();
}

frmGraphPropertyPage::frmGraphPropertyPage(clsPresentation& presentation,
                                           std::vector<host::Shape*> shapes)
    : host::Form("frmGraphPropertyPage", kCaption), presentation_(presentation) {
  shapes_ = LinkObjects(presentation, shapes, source_type::kGraph);
  Add(ControlKind::kLabel, "lblConnectionList", "Available connections:");
  Add(ControlKind::kListBox, "lstConnectionList");
  // Shown as the page always showed it; a chart refreshes with its connection.
  Add(ControlKind::kLabel, "lblRefreshRate", "Refresh rate:");
  Add(ControlKind::kTextBox, "txtRefreshRate");
  AddUpDown("UpDown2", "txtRefreshRate", {.min = 0, .max = 3600000, .increment = 100});
  Add(ControlKind::kLabel, "lblRefreshRateUnits", "milliseconds");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  Add(ControlKind::kCommandButton, "cmdClear", "Clear");
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");
  On("lstConnectionList", FormEvent::kClick, [this] {
    const int index = ListIndex("lstConnectionList");
    const ConnectionList& connections = presentation_.Connections();
    if (index < 0 || index >= static_cast<int>(connections.size())) return;
    for (clsshape& shape : shapes_) {
      shape.SetSourceType(source_type::kGraph);
      shape.SetNewConnectionTagNumber(
          connections[static_cast<size_t>(index)]->ConnectionTagNumber());
    }
  });
  On("cmdClear", FormEvent::kClick, [this] {
    SetListIndex("lstConnectionList", -1);
    // Unlinked altogether, so that a save no longer hides the chart.
    for (clsshape& shape : shapes_) {
      shape.SetNewConnectionTagNumber("");
      shape.SetSourceType(source_type::kNone);
    }
  });
  On("cmdClose", FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", FormEvent::kClick, [this] { Hide(); });
}

void frmGraphPropertyPage::Activate() {
  if (loaded_) return;
  loaded_ = true;
  std::vector<std::string> descriptions;
  for (const auto& connection : presentation_.Connections()) {
    descriptions.push_back(connection->ConnectionDescription());
  }
  SetItems("lstConnectionList", std::move(descriptions));
  if (shapes_.empty() || shapes_.front().ConnectionTagNumber().empty()) return;
  const ConnectionList& connections = presentation_.Connections();
  for (size_t index = 0; index < connections.size(); ++index) {
    if (connections[index]->ConnectionTagNumber() == shapes_.front().ConnectionTagNumber()) {
      SetListIndex("lstConnectionList", static_cast<int>(index));
      break;
    }
  }
}

void frmGraphPropertyPage::cmdClose_Click() {
  int slide_index = 0;
  SkipFailure([&] {
    if (host::Application* app = presentation_.context().module.host) {
      slide_index = app->ActiveWindow().View().Slide().SlideIndex();
    }
  });
  for (clsshape& shape : shapes_) {
    SkipFailure([&] {
      shape.SetShapeTags();
      host::Shape& host_shape = *shape.ShapeItem();
      shape.SetShapeItem(host_shape);
      if (!shape.VintrelEnabled() || !rendering::IsGraphShape(host_shape)) return;
      clsConnection* connection = presentation_.FindConnection(shape.ConnectionTagNumber());
      if (shape.ConnectionTagNumber().empty() || connection == nullptr) {
        rendering::ClearGraph(host_shape);
        return;
      }
      bool scrolls = false;
      SkipFailure([&] {
        host::Slide& slide = presentation_.ActivePresentation()->Slides().Item(slide_index);
        scrolls = SlideScrollEnabled(slide, shape.ConnectionTagNumber());
      });
      if (scrolls) {
        rendering::FillGraphRow(host_shape, *connection, 1, false);
      } else {
        rendering::FillGraph(host_shape, *connection, false);
      }
    });
  }
  written_ = true;
  Hide();
}

void ShowClockProperties(clsPresentation& presentation) {
  frmClockPropertyPage page(presentation, SelectedShapes(presentation.context()));
  host::ShowModal(page, presentation.context().services.front_end);
}

void ShowGraphProperties(clsPresentation& presentation) {
  frmGraphPropertyPage page(presentation, SelectedShapes(presentation.context()));
  host::ShowModal(page, presentation.context().services.front_end);
}

}  // namespace vintrel::dialogs

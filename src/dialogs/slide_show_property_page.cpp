#include "dialogs/slide_show_property_page.h"

#include <algorithm>

#include "connections/excel_status.h"
#include "dialogs/connection_dialogs.h"
#include "document/connection_tags.h"
#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel {
namespace {

using host::ControlKind;
using host::FormEvent;

constexpr const char* kTabCaptions[] = {"Text files", "Databases", "Excel"};

std::string Indexed(const char* name, int tab) {
  return name + std::to_string(tab);
}

int TypeOfTab(int tab) {
  return tab - 1;
}

std::string FullName(clsPresentation& presentation) {
  std::string name;
  SkipFailure([&] {
    if (host::Presentation* host_presentation = presentation.ActivePresentation()) {
      name = host_presentation->FullName();
    }
  });
  return name;
}

}  // namespace

frmSlideShowPropertyPage::frmSlideShowPropertyPage(clsPresentation& presentation)
    : host::Form("frmSlideShowPropertyPage", "Slide show properties"), presentation_(presentation) {
  host::Control& tabs = Add(ControlKind::kTabStrip, "TabStrip1");
  tabs.items.assign(std::begin(kTabCaptions), std::end(kTabCaptions));
  tabs.list_index = 0;
  for (int tab = kTextFileTab; tab <= kExcelTab; ++tab) {
    const std::string frame = Indexed("Frame", tab);
    Add(ControlKind::kFrame, frame, "", "TabStrip1");
    Add(ControlKind::kListBox, Indexed("ConnectionList", tab), "", frame);
    Add(ControlKind::kListBox, Indexed("TagList", tab), "", frame).visible = false;
    Add(ControlKind::kCommandButton, Indexed("cmdNew", tab), "Add", frame);
    Add(ControlKind::kCommandButton, Indexed("cmdEdit", tab), "Edit", frame);
    Add(ControlKind::kCommandButton, Indexed("cmdDelete", tab), "Delete", frame);
    On(Indexed("ConnectionList", tab), FormEvent::kClick, [this, tab] { ApplyButtonRule(tab); });
    On(Indexed("ConnectionList", tab), FormEvent::kDblClick, [this, tab] {
      if (Enabled(Indexed("cmdEdit", tab))) cmdEdit_Click(tab);
    });
    On(Indexed("cmdNew", tab), FormEvent::kClick, [this, tab] { cmdNew_Click(tab); });
    On(Indexed("cmdEdit", tab), FormEvent::kClick, [this, tab] { cmdEdit_Click(tab); });
    On(Indexed("cmdDelete", tab), FormEvent::kClick, [this, tab] { cmdDelete_Click(tab); });
  }
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");
  On("TabStrip1", FormEvent::kClick, [this] { SelectTab(ListIndex("TabStrip1") + 1); });
  On("cmdClose", FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", FormEvent::kClick, [this] { cmdCancel_Click(); });
  SelectTab(kTextFileTab);

  // Workbooks are read through the spreadsheet service; asked without starting it.
  const int status = connections::ExcelStatus(presentation_.context(), false, false);
  excel_available_ = status == connections::excel_status::kNotRunning ||
                     status == connections::excel_status::kStarted;
  if (!excel_available_) {
    for (const char* button : {"cmdNew", "cmdEdit", "cmdDelete"}) {
      SetToolTip(Indexed(button, kExcelTab), "Workbooks cannot be read on this computer.");
    }
  }
  Load();
}

void frmSlideShowPropertyPage::Load() {
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation_.ActivePresentation();
    if (host_presentation == nullptr) return;
    for (auto& connection : ReadConnectionTags(presentation_.context(), *host_presentation)) {
      const int tab = connection->ConnectionType() + 1;
      if (tab < kTextFileTab || tab > kExcelTab) continue;
      AddItem(Indexed("ConnectionList", tab), connection->ConnectionDescription());
      AddItem(Indexed("TagList", tab), connection->ConnectionTagNumber());
      connections_.push_back(std::move(connection));
    }
  });
  for (int tab = kTextFileTab; tab <= kExcelTab; ++tab) {
    if (!Items(Indexed("ConnectionList", tab)).empty()) {
      SetListIndex(Indexed("ConnectionList", tab), 0);
    }
    ApplyButtonRule(tab);
  }
}

void frmSlideShowPropertyPage::SelectTab(int tab) {
  if (ListIndex("TabStrip1") != tab - 1) SetListIndex("TabStrip1", tab - 1);
  for (int other = kTextFileTab; other <= kExcelTab; ++other) {
    SetVisible(Indexed("Frame", other), other == tab);
  }
  ApplyButtonRule(tab);
}

void frmSlideShowPropertyPage::ApplyButtonRule(int tab) {
  const bool usable = tab != kExcelTab || excel_available_;
  const bool selected = ListIndex(Indexed("ConnectionList", tab)) >= 0;
  SetEnabled(Indexed("cmdNew", tab),
             usable && static_cast<int>(connections_.size()) < kMostConnections);
  SetEnabled(Indexed("cmdEdit", tab), usable && selected);
  SetEnabled(Indexed("cmdDelete", tab), usable && selected);
}

std::string frmSlideShowPropertyPage::NewConnectionTagNumber() const {
  return NextConnectionTagNumber(ConnectionTagNumbers(connections_));
}

std::string frmSlideShowPropertyPage::DefaultConnectionName(int tab) const {
  return vintrel::DefaultConnectionName(
      TypeOfTab(tab), static_cast<int>(Items(Indexed("ConnectionList", tab)).size()));
}

clsConnection* frmSlideShowPropertyPage::Selected(int tab) const {
  const int position = ListIndex(Indexed("ConnectionList", tab));
  const std::vector<std::string>& numbers = Items(Indexed("TagList", tab));
  if (position < 0 || position >= static_cast<int>(numbers.size())) return nullptr;
  return FindConnection(connections_, numbers[static_cast<size_t>(position)]);
}

bool frmSlideShowPropertyPage::AskForConnection(int tab, clsConnection& connection, bool is_new) {
  auto& ctx = presentation_.context();
  // A new connection starts from its default name only; the dialogs' own defaults fill the rest.
  const std::string name = is_new ? DefaultConnectionName(tab) : connection.ConnectionDescription();
  if (tab == kTextFileTab) {
    frmTextFileConnection dialog(ctx);
    dialog.SetConnectionName(name);
    if (!is_new) {
      dialog.SetTextFileString(connection.ConnectionFileString());
      dialog.SetFirstRowFieldNames(connection.ConnectionFirstRowFieldNames());
    }
    host::ShowModal(dialog, ctx.services.front_end);
    if (dialog.Cancelled()) return false;
    connection.SetConnectionDescription(dialog.ConnectionName());
    connection.SetConnectionFileString(dialog.TextFileString());
    connection.SetConnectionFirstRowFieldNames(dialog.FirstRowFieldNames());
  } else if (tab == kDatabaseTab) {
    frmDatabaseConnection dialog(ctx);
    dialog.SetActivePresentationName(FullName(presentation_));
    dialog.SetConnectionName(name);
    if (!is_new) {
      dialog.SetConnectionString(connection.ConnectionString());
      dialog.SetRefreshRate(connection.RecordsetRefreshRate());
      dialog.SetSQL(connection.RecordsetSQL());
    }
    host::ShowModal(dialog, ctx.services.front_end);
    if (dialog.Cancelled()) return false;
    connection.SetConnectionDescription(dialog.ConnectionName());
    connection.SetConnectionString(dialog.ConnectionString());
    connection.SetRecordsetRefreshRate(dialog.RefreshRate());
    connection.SetRecordsetSQL(dialog.SQL());
  } else {
    frmExcelConnection dialog(ctx);
    dialog.SetActivePresentationName(FullName(presentation_));
    dialog.SetConnectionName(name);
    if (!is_new) {
      dialog.SetExcelFileString(connection.ConnectionFileString());
      dialog.SetExcelSheet(connection.ConnectionSheet());
      dialog.SetExcelRange(connection.ConnectionRange());
      dialog.SetFirstRowFieldNames(connection.ConnectionFirstRowFieldNames());
    }
    host::ShowModal(dialog, ctx.services.front_end);
    if (dialog.Cancelled()) return false;
    connection.SetConnectionDescription(dialog.ConnectionName());
    connection.SetConnectionFileString(dialog.ExcelFileString());
    connection.SetConnectionFirstRowFieldNames(dialog.FirstRowFieldNames());
    connection.SetConnectionSheet(dialog.ExcelSheet());
    connection.SetConnectionRange(dialog.ExcelRange());
  }
  return true;
}

void frmSlideShowPropertyPage::cmdNew_Click(int tab) {
  const std::string list = Indexed("ConnectionList", tab);
  SkipFailure([&] {
    auto connection = std::make_unique<clsConnection>(presentation_.context());
    connection->SetActivePresentationName(FullName(presentation_));
    connection->SetConnectionTagNumber(NewConnectionTagNumber());
    connection->SetConnectionType(TypeOfTab(tab));
    if (!AskForConnection(tab, *connection, true)) return;
    if (tab == kDatabaseTab) connection->SetRecordsetColumns("*");
    AddItem(list, connection->ConnectionDescription());
    AddItem(Indexed("TagList", tab), connection->ConnectionTagNumber());
    connections_.push_back(std::move(connection));
  });
  const int count = static_cast<int>(Items(list).size());
  if (count > 0) SetListIndex(list, count - 1);
  // The limit counts every tab's connections.
  for (int each = kTextFileTab; each <= kExcelTab; ++each) ApplyButtonRule(each);
}

void frmSlideShowPropertyPage::cmdEdit_Click(int tab) {
  const std::string list = Indexed("ConnectionList", tab);
  SkipFailure([&] {
    clsConnection* connection = Selected(tab);
    if (connection == nullptr) return;
    if (!AskForConnection(tab, *connection, false)) return;
    const int position = ListIndex(list);
    host::Control& entries = Edit(list);
    entries.items[static_cast<size_t>(position)] = connection->ConnectionDescription();
    entries.text = connection->ConnectionDescription();
    if (tab == kDatabaseTab) {
      SkipFailure([&] {
        connection->OpenConnection();
        connection->OpenRecordset();
      });
    }
  });
  ApplyButtonRule(tab);
}

void frmSlideShowPropertyPage::cmdDelete_Click(int tab) {
  const std::string list = Indexed("ConnectionList", tab);
  const int position = ListIndex(list);
  if (position < 0) return;
  const std::string number = Items(Indexed("TagList", tab))[static_cast<size_t>(position)];
  std::erase_if(connections_, [&](const auto& connection) {
    return connection->ConnectionTagNumber() == number;
  });
  RemoveItem(list, position);
  RemoveItem(Indexed("TagList", tab), position);
  const int left = static_cast<int>(Items(list).size());
  if (left > 0) SetListIndex(list, std::min(position, left - 1));
  for (int each = kTextFileTab; each <= kExcelTab; ++each) ApplyButtonRule(each);
}

void frmSlideShowPropertyPage::cmdClose_Click() {
  // Closed first: what opening the connections reports is said after the dialog, not in it.
  Hide();
  presentation_.SetConnectionTags(std::move(connections_));
  connections_.clear();
}

void frmSlideShowPropertyPage::cmdCancel_Click() {
  connections_.clear();
  Hide();
}

void ShowSlideShowProperties(clsPresentation& presentation) {
  frmSlideShowPropertyPage form(presentation);
  host::ShowModal(form, presentation.context().services.front_end);
}

}  // namespace vintrel

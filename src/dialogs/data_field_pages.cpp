#include "dialogs/data_field_pages.h"

#include <algorithm>

#include "dialogs/page_support.h"
#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/application.h"
#include "host/platform.h"
#include "rendering/linked_object.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/shell_helpers.h"

namespace vintrel::dialogs {
namespace {

using host::ControlKind;
using host::FormEvent;

// The value every shape shares, or nothing when they differ (or there are none).
template <typename Value, typename Read>
std::optional<Value> Shared(const std::vector<clsshape>& shapes, Read read) {
  std::optional<Value> shared;
  for (const clsshape& shape : shapes) {
    const Value value = read(shape);
    if (shared && *shared != value) return std::nullopt;
    shared = value;
  }
  return shared;
}

std::string RowText(double row) {
  std::string text = std::to_string(row);
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

DataFieldPage::DataFieldPage(std::string name, std::string caption, clsPresentation& presentation,
                             std::vector<host::Shape*> shapes, int source_type)
    : host::Form(std::move(name), std::move(caption)),
      presentation_(presentation),
      source_type_(source_type) {
  for (host::Shape* shape : shapes) {
    SkipFailure([&] {
      clsshape link;
      link.SetActivePresentation(&presentation);
      link.SetShapeItem(*shape);
      link.SetSourceType(source_type);
      shapes_.push_back(std::move(link));
    });
  }
  Add(ControlKind::kFrame, "frmDataConnection", "Data connection");
  Add(ControlKind::kLabel, "lblActiveConnection", "Connection:", "frmDataConnection");
  Add(ControlKind::kComboBox, "cmbActiveConnection", "", "frmDataConnection").editable = false;
  Add(ControlKind::kLabel, "lblColumn", "Column:", "frmDataConnection");
  // A column may be typed while its connection's data cannot be read.
  Add(ControlKind::kComboBox, "cmbColumns", "", "frmDataConnection");
  Add(ControlKind::kLabel, "lblRow", "Row:", "frmDataConnection");
  Add(ControlKind::kTextBox, "txtRowIndex", "", "frmDataConnection");
  AddUpDown("udRow", "txtRowIndex", {.min = 1, .max = 2147483647, .increment = 1, .value = 1},
            "frmDataConnection");
  Add(ControlKind::kFrame, "frmPreview", "Preview");
  Add(ControlKind::kTextBox, "txtPreview", "", "frmPreview").locked = true;
  Add(ControlKind::kCheckBox, "chkNoPreview", "No preview");
  Add(ControlKind::kCommandButton, "cmdClear", "Clear");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");

  On("cmbActiveConnection", FormEvent::kClick, [this] { ChooseConnection(); });
  On("cmbColumns", FormEvent::kClick, [this] { ChooseColumn(); });
  On("cmbColumns", FormEvent::kChange, [this] { ChooseColumn(); });
  On("txtRowIndex", FormEvent::kChange, [this] { RowChanged(false); });
  On("txtRowIndex", FormEvent::kLostFocus, [this] { RowChanged(true); });
  On("chkNoPreview", FormEvent::kClick, [this] { NoPreviewClicked(); });
  On("cmdClear", FormEvent::kClick, [this] { cmdClear_Click(); });
  On("cmdClose", FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", FormEvent::kClick, [this] { Hide(); });
  SetEnabled("cmdClose", false);
}

void DataFieldPage::Activate() {
  if (loaded_) return;
  loaded_ = true;
  Load();
}

void DataFieldPage::Load() {
  // One preview once the page shows what the shapes share.
  loading_ = true;
  SkipFailure([&] {
    if (host::Application* app = presentation_.context().module.host) {
      slide_index_ = app->ActiveWindow().View().Slide().SlideIndex();
    }
  });
  SetValue("chkNoPreview", presentation_.context().module.no_preview ? 1 : 0);
  NoPreviewClicked();
  std::vector<std::string> descriptions;
  for (const auto& connection : presentation_.Connections()) {
    descriptions.push_back(connection->ConnectionDescription());
  }
  SetItems("cmbActiveConnection", std::move(descriptions));
  const auto number =
      Shared<std::string>(shapes_, [](const clsshape& s) { return s.ConnectionTagNumber(); });
  const auto column =
      Shared<std::string>(shapes_, [](const clsshape& s) { return s.ColumnName(); });
  const auto row = Shared<double>(shapes_, [](const clsshape& s) { return s.Row(); });
  if (number && !number->empty()) {
    const ConnectionList& connections = presentation_.Connections();
    for (size_t index = 0; index < connections.size(); ++index) {
      if (connections[index]->ConnectionTagNumber() != *number) continue;
      SetListIndex("cmbActiveConnection", static_cast<int>(index));
      if (column && !column->empty()) {
        const std::vector<std::string>& columns = Items("cmbColumns");
        const auto found = std::find(columns.begin(), columns.end(), *column);
        if (found != columns.end()) {
          SetListIndex("cmbColumns", static_cast<int>(found - columns.begin()));
        } else {
          SetText("cmbColumns", *column);
        }
      }
      break;
    }
  }
  if (row && *row > 0) SetText("txtRowIndex", RowText(*row));
  loading_ = false;
  UpdateOk();
  Preview();
}

clsConnection* DataFieldPage::ChosenConnection() const {
  const int index = ListIndex("cmbActiveConnection");
  const ConnectionList& connections = presentation_.Connections();
  if (index < 0 || index >= static_cast<int>(connections.size())) return nullptr;
  return connections[static_cast<size_t>(index)].get();
}

std::optional<double> DataFieldPage::ChosenRow() const {
  const std::optional<double> row = Number(Text("txtRowIndex"));
  if (!row || !(*row > 0)) return std::nullopt;
  return row;
}

void DataFieldPage::ChooseConnection() {
  clsConnection* connection = ChosenConnection();
  if (connection == nullptr) return;
  cleared_ = false;
  const std::string previous = Text("cmbColumns");
  std::vector<std::string> columns;
  SkipFailure([&] {
    columns = connection->Columns();
    if (!columns.empty()) columns.erase(columns.begin());
  });
  SetItems("cmbColumns", columns);
  for (clsshape& shape : shapes_) {
    shape.SetSourceType(source_type_);
    shape.SetNewConnectionTagNumber(connection->ConnectionTagNumber());
  }
  const auto found = std::find(columns.begin(), columns.end(), previous);
  if (!previous.empty() && found != columns.end()) {
    SetListIndex("cmbColumns", static_cast<int>(found - columns.begin()));
  } else if (!columns.empty()) {
    // A column the new connection lacks is no choice; a typed one stays while the data cannot
    // be read.
    SetText("cmbColumns", "");
  }
  UpdateOk();
  Preview();
}

void DataFieldPage::ChooseColumn() {
  const std::string& column = Text("cmbColumns");
  if (column.empty()) return;
  for (clsshape& shape : shapes_) shape.SetNewColumnName(column);
  UpdateOk();
  Preview();
}

void DataFieldPage::RowChanged(bool leaving) {
  // Only a row from 1 on is taken; anything else leaves the pending row as it was.
  if (const std::optional<double> row = ChosenRow()) {
    for (clsshape& shape : shapes_) shape.SetNewRow(*row);
    host::Control& spinner = Edit("udRow");
    spinner.value = static_cast<int>(std::clamp<double>(*row, spinner.min, spinner.max));
  }
  if (leaving) return;
  UpdateOk();
  Preview();
}

void DataFieldPage::NoPreviewClicked() {
  const bool off = Checked("chkNoPreview");
  SetEnabled("frmPreview", !off);
  if (off) {
    SetText("txtPreview", "");
  } else {
    Preview();
  }
}

void DataFieldPage::Preview() {
  if (loading_ || Checked("chkNoPreview")) return;
  SetText("txtPreview", kRetrievingPreview);
  std::string value;
  clsConnection* connection = ChosenConnection();
  const std::optional<double> row = ChosenRow();
  const std::string column = Text("cmbColumns");
  if (connection != nullptr && row && !column.empty()) {
    SkipFailure(
        [&] { value = connection->GetValueDatabase(*row, column, display_type::kValue, false); });
  }
  SetText("txtPreview", value);
}

void DataFieldPage::UpdateOk() {
  const bool complete =
      ChosenConnection() != nullptr && !Text("cmbColumns").empty() && ChosenRow().has_value();
  SetEnabled("cmdClose", complete || cleared_);
}

void DataFieldPage::cmdClear_Click() {
  SetListIndex("cmbActiveConnection", -1);
  SetItems("cmbColumns", {});
  SetText("cmbColumns", "");
  SetText("txtRowIndex", "");
  for (clsshape& shape : shapes_) {
    shape.SetNewConnectionTagNumber("");
    shape.SetNewColumnName("");
    shape.SetNewRow(0);
    shape.SetSourceType(source_type::kNone);
  }
  cleared_ = true;
  UpdateOk();
  Preview();
}

void DataFieldPage::cmdClose_Click() {
  BeforeWrite();
  for (clsshape& shape : shapes_) {
    SkipFailure([&] {
      shape.SetShapeTags();
      // Read back: what the shape carries now decides what it shows.
      host::Shape* host_shape = shape.ShapeItem();
      shape.SetShapeItem(*host_shape);
      if (!shape.VintrelEnabled()) return;
      WriteShape(shape, presentation_.FindConnection(shape.ConnectionTagNumber()));
    });
  }
  presentation_.context().module.no_preview = Checked("chkNoPreview");
  written_ = true;
  SkipFailure([&] { presentation_.FillValues(); });
  Hide();
}

frmTextFieldPropertyPage::frmTextFieldPropertyPage(clsPresentation& presentation,
                                                   std::vector<host::Shape*> shapes)
    : DataFieldPage("frmTextFieldPropertyPage", kCaption, presentation, std::move(shapes),
                    source_type::kTextField) {}

void frmTextFieldPropertyPage::WriteShape(clsshape& shape, clsConnection* connection) {
  host::Shape& host_shape = *shape.ShapeItem();
  if (!host_shape.HasTextFrame()) return;
  host::TextRange& text = host_shape.TextFrame().TextRange();
  if (shape.ConnectionTagNumber().empty() && shape.ColumnName().empty() && !(shape.Row() > 0)) {
    text.SetText("");
    return;
  }
  if (connection == nullptr || shape.ColumnName().empty() || !(shape.Row() > 0)) return;
  const std::string value = connection->GetValueDatabase(
      shape.Row(), shape.ColumnName(), presentation_.context().module.current_display_type, false);
  // An empty value keeps one blank, so the shape keeps its height.
  text.SetText(value.empty() ? " " : value);
}

frmObjectFieldPropertyPage::frmObjectFieldPropertyPage(clsPresentation& presentation,
                                                       std::vector<host::Shape*> shapes)
    : DataFieldPage("frmObjectFieldPropertyPage", kCaption, presentation, std::move(shapes),
                    source_type::kLinkedObject) {
  Add(ControlKind::kFrame, "frmLinkedObject", "Linked object reference");
  Add(ControlKind::kLabel, "lblDataContains",
      "The data of the selected column contains:", "frmLinkedObject");
  Add(ControlKind::kOptionButton, "optFilename", "Filename only", "frmLinkedObject");
  Add(ControlKind::kOptionButton, "optFilenameExtension", "Filename and extension",
      "frmLinkedObject");
  Add(ControlKind::kOptionButton, "optFolderFilename", "Folder and filename", "frmLinkedObject");
  Add(ControlKind::kOptionButton, "optFolderFilenameExtension", "Folder, filename and extension",
      "frmLinkedObject");
  Add(ControlKind::kLabel, "lblFolder", "Folder:", "frmLinkedObject");
  Add(ControlKind::kTextBox, "txtFolder", "", "frmLinkedObject");
  Add(ControlKind::kCommandButton, "cmdBrowseFolder", "...", "frmLinkedObject");
  Add(ControlKind::kLabel, "lblExtension", "Extension:", "frmLinkedObject");
  Add(ControlKind::kTextBox, "txtExtension", "", "frmLinkedObject");
  for (const char* option :
       {"optFilename", "optFilenameExtension", "optFolderFilename", "optFolderFilenameExtension"}) {
    On(option, FormEvent::kClick, [this] { ApplyOption(); });
  }
  On("txtFolder", FormEvent::kChange, [this] { ApplyOption(); });
  On("txtExtension", FormEvent::kChange, [this] { ApplyOption(); });
  On("cmdBrowseFolder", FormEvent::kClick, [this] {
    const std::string folder = BrowseForFolderPath(presentation_.context(), kFolderPrompt);
    if (!folder.empty()) SetText("txtFolder", folder);
  });
}

void frmObjectFieldPropertyPage::Activate() {
  DataFieldPage::Activate();
  if (options_loaded_) return;
  options_loaded_ = true;
  // The option follows from which of the two texts the shapes keep.
  const auto folder =
      Shared<std::string>(shapes_, [](const clsshape& s) { return s.ObjectFolder(); });
  const auto extension =
      Shared<std::string>(shapes_, [](const clsshape& s) { return s.ObjectExtension(); });
  const std::string folder_text = folder.value_or("");
  const std::string extension_text = extension.value_or("");
  const char* option =
      folder_text.empty()
          ? (extension_text.empty() ? "optFolderFilenameExtension" : "optFolderFilename")
          : (extension_text.empty() ? "optFilenameExtension" : "optFilename");
  Edit("txtFolder").text = folder_text;
  Edit("txtExtension").text = extension_text;
  Edit(option).value = 1;
  const bool folder_used = !folder_text.empty();
  const bool extension_used = !extension_text.empty();
  SetEnabled("txtFolder", folder_used);
  SetEnabled("cmdBrowseFolder", folder_used);
  SetEnabled("txtExtension", extension_used);
}

std::string frmObjectFieldPropertyPage::Folder() const {
  if (!Checked("optFilename") && !Checked("optFilenameExtension")) return "";
  std::string folder = Text("txtFolder");
  // Stored without its trailing backslash; the reference puts one between.
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string frmObjectFieldPropertyPage::Extension() const {
  if (!Checked("optFilename") && !Checked("optFolderFilename")) return "";
  return Text("txtExtension");
}

void frmObjectFieldPropertyPage::ApplyOption() {
  const bool folder = Checked("optFilename") || Checked("optFilenameExtension");
  const bool extension = Checked("optFilename") || Checked("optFolderFilename");
  SetEnabled("txtFolder", folder);
  SetEnabled("cmdBrowseFolder", folder);
  SetEnabled("txtExtension", extension);
  for (clsshape& shape : shapes_) {
    shape.SetNewObjectFolder(Folder());
    shape.SetNewObjectExtension(Extension());
  }
}

void frmObjectFieldPropertyPage::BeforeWrite() {
  ApplyOption();
}

void frmObjectFieldPropertyPage::WriteShape(clsshape& shape, clsConnection* connection) {
  host::Shape& host_shape = *shape.ShapeItem();
  if (shape.ConnectionTagNumber().empty() && shape.ColumnName().empty() && !(shape.Row() > 0)) {
    // Once unlinked nothing fills it again; a save may have hidden it.
    host_shape.SetVisible(true);
    return;
  }
  if (connection == nullptr || shape.ColumnName().empty() || !(shape.Row() > 0)) return;
  const std::string reference =
      connection->GetValueObject(shape.Row(), shape.ColumnName(), shape.ObjectFolder(),
                                 shape.ObjectExtension(), display_type::kValue);
  bool defer_update = false;
  rendering::SetLinkedObjectSource(presentation_.context(),
                                   presentation_.ActivePresentation()->FullName(), slide_index_,
                                   host_shape.ZOrderPosition(), reference,
                                   /*hide_on_error=*/false, defer_update);
}

void ShowDataFieldProperties(clsPresentation& presentation) {
  frmTextFieldPropertyPage page(presentation, SelectedShapes(presentation.context()));
  host::ShowModal(page, presentation.context().services.front_end);
}

void ShowDataObjectProperties(clsPresentation& presentation) {
  frmObjectFieldPropertyPage page(presentation, SelectedShapes(presentation.context()));
  host::ShowModal(page, presentation.context().services.front_end);
}

}  // namespace vintrel::dialogs

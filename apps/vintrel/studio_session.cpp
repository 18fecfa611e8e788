#include "studio_session.h"

#include <algorithm>
#include <system_error>

#include "command.h"
#include "host/ooxml/package_application.h"
#include "host/ooxml/package_presentation.h"
#include "menus_json.h"
#include "open_presentation.h"
#include "presentation_outline.h"
#include "shell/presentation_report.h"
#include "shell/selection_kind.h"

namespace vintrel::app {
namespace {

namespace fs = std::filesystem;

constexpr size_t kDrawingsKept = 200;

fs::file_time_type Stamp(const std::string& file) {
  std::error_code error;
  return fs::last_write_time(file, error);
}

bool Within(const fs::path& path, const fs::path& root) {
  const auto [end, at] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return end == root.end();
}

// Folders named by a connection's stored description: a part that names an existing file gives
// its folder, one that names a folder gives itself (relative parts from the presentation's folder).
void AddDataFolders(const std::string& tag_string, const fs::path& base,
                    std::vector<fs::path>& roots) {
  size_t start = 0;
  while (start <= tag_string.size()) {
    const size_t end = tag_string.find_first_of("|\t;=", start);
    std::string part = tag_string.substr(start, end - start);
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    std::error_code error;
    const fs::path named = fs::weakly_canonical(base / part, error);
    if (!part.empty() && !error) {
      if (fs::is_regular_file(named, error)) roots.push_back(named.parent_path());
      if (fs::is_directory(named, error)) roots.push_back(named);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

}  // namespace

StudioSession::StudioSession(HostSession& session, host::Presentation& presentation,
                             StudioFrontEnd& front_end)
    : session_(session),
      presentation_(presentation),
      front_end_(front_end),
      file_(presentation.FullName()),
      stamp_(Stamp(file_)) {}

Json StudioSession::State() {
  Json menus;
  try {
    menus = CommandBarsJson(session_.controls(), true);
  } catch (const BadInput&) {
    menus = nullptr;  // the add-in shows no commands (inactive, or its interface hidden)
  }
  return {{"file", file_},
          {"name", fs::path(file_).filename().string()},
          {"unsaved", !presentation_.Saved()},
          {"slideCount", presentation_.Slides().Count()},
          {"selection", SelectionJson()},
          {"menus", menus},
          {"modal", front_end_.StateJson()}};
}

Json StudioSession::SelectionJson() {
  host::DocumentWindow& window = session_.host().ActiveWindow();
  host::Selection& selection = window.Selection();
  const int slide = window.View().Slide().SlideIndex();
  host::Shapes& shapes = presentation_.Slides().Item(slide).Shapes();
  Json positions = Json::array();
  host::ShapeRange* range = nullptr;
  const int type = selection.Type();
  if (type == host::selection_type::kShapes || type == host::selection_type::kText) {
    range = &selection.ShapeRange();
  }
  for (int i = 1; range != nullptr && i <= range->Count(); ++i) {
    const host::Shape* chosen = &range->Item(i);
    for (int s = 1; s <= shapes.Count(); ++s) {
      if (&shapes.Item(s) == chosen) positions.push_back(s);
    }
  }
  const int kind = shell::ClassifySelection(selection);
  // Asked at every state: the connections are read again only after a change.
  const uint64_t changes = Parts().change_count();
  if (!connected_ || connected_->first != changes) {
    connected_.emplace(
        changes,
        !ConnectionsOutlineJson(session_.context(), presentation_, session_.addin()).empty());
  }
  const bool connected = connected_->second;
  return {{"slide", slide},
          {"shapes", positions},
          {"kind", kind},
          {"kindWord", shell::SelectionKindWord(kind, connected)}};
}

Json StudioSession::Slide(int number, ooxml::SvgAssets& assets, const std::string& has) {
  host::Slide& slide = FindSlide(presentation_, number);
  auto& package_presentation = dynamic_cast<ooxml::PackagePresentation&>(presentation_);
  const std::string version = ooxml::SlideDrawingVersion(package_presentation, number);
  if (version == has) return {{"slide", number}, {"version", version}, {"same", true}};
  const auto kept = drawings_.find(number);
  if (kept != drawings_.end() && kept->second.first == version) return kept->second.second;
  const ooxml::SlideDrawing drawing = ooxml::DrawSlide(package_presentation, number, assets);
  Json outline = SlideOutlineJson(slide);
  for (int s = 1; s <= slide.Shapes().Count(); ++s) {
    outline["shapes"][s - 1]["linkKind"] =
        shell::DescribeLink(slide.Shapes().Item(s)).source_type_name;
  }
  Json drawn = {
      {"slide", number},          {"version", version},           {"width", drawing.width},
      {"height", drawing.height}, {"backdrop", drawing.backdrop}, {"shapes", drawing.shapes},
      {"outline", outline}};
  // A big deck's drawings would fill the memory: those far from the one asked for go first.
  while (drawings_.size() >= kDrawingsKept) {
    const auto first = drawings_.begin();
    const auto last = std::prev(drawings_.end());
    drawings_.erase(number - first->first > last->first - number ? first : last);
  }
  drawings_[number] = {version, drawn};
  return drawn;
}

ooxml::Package& StudioSession::Parts() {
  return dynamic_cast<ooxml::PackagePresentation&>(presentation_).package();
}

void StudioSession::Select(int slide, const std::vector<int>& shapes) {
  if (front_end_.modal()) throw BadInput("a dialog is open: answer it first");
  host::Slide& chosen = FindSlide(presentation_, slide);
  for (int shape : shapes) {
    if (shape < 1 || shape > chosen.Shapes().Count()) {
      throw BadInput("slide " + std::to_string(slide) + " has no shape " + std::to_string(shape));
    }
  }
  auto& window = dynamic_cast<ooxml::PackageWindow&>(session_.host().ActiveWindow());
  if (window.View().Slide().SlideIndex() != slide) window.GoToSlide(slide);
  window.Select(slide, shapes);
}

host::CommandBarControl& StudioSession::Reachable(const std::string& id) {
  if (front_end_.modal()) throw BadInput("a dialog is open: answer it first");
  std::vector<host::CommandBarControl*> path;
  host::CommandBarControl* control = FindControl(session_.controls(), id, &path);
  if (control == nullptr) throw BadInput("the add-in shows no control " + id);
  path.push_back(control);
  for (host::CommandBarControl* step : path) {
    std::string caption = step->Caption();
    std::erase(caption, '&');
    if (!step->Visible()) throw BadInput("\"" + caption + "\" is hidden");
    if (!step->Enabled()) {
      throw BadInput("\"" + caption + "\" is disabled for this presentation and selection");
    }
  }
  return *control;
}

void StudioSession::Click(const std::string& id) {
  host::CommandBarControl& control = Reachable(id);
  if (control.Type() == host::control_type::kPopup) throw BadInput(id + " is a menu");
  session_.Click(&control, "");
}

void StudioSession::Choose(const std::string& id, int index) {
  host::CommandBarControl& control = Reachable(id);
  if (control.Type() != host::control_type::kComboBox || index < 1 || index > control.ListCount()) {
    throw BadInput(id + " has no entry " + std::to_string(index));
  }
  control.SetListIndex(index);
  control.Execute();
}

void StudioSession::OpenDistributionList() {
  shell::Application* addin = session_.addin();
  if (addin == nullptr || addin->FindEntry(presentation_) == nullptr) {
    throw BadInput("the add-in is not running for this presentation");
  }
  addin->DistributionSetClick();
}

bool StudioSession::Save(bool overwrite) {
  if (!overwrite && Stamp(file_) != stamp_) return false;
  presentation_.Save();
  stamp_ = Stamp(file_);
  return true;
}

std::vector<fs::path> StudioSession::PickerRoots() {
  const fs::path base = fs::weakly_canonical(fs::absolute(file_)).parent_path();
  std::vector<fs::path> roots = {base};
  for (const Json& connection :
       ConnectionsOutlineJson(session_.context(), presentation_, session_.addin())) {
    AddDataFolders(connection.value("tagString", ""), base, roots);
  }
  // The presentation's folder stays first: answers below it are given relative to it.
  std::sort(roots.begin() + 1, roots.end());
  roots.erase(std::unique(roots.begin() + 1, roots.end()), roots.end());
  return roots;
}

fs::path StudioSession::Inside(const std::string& path) {
  std::error_code error;
  const fs::path base = fs::path(file_).parent_path();
  const fs::path resolved = fs::weakly_canonical(fs::absolute(base / path), error);
  for (const fs::path& root : PickerRoots()) {
    if (!error && Within(resolved, root)) return resolved;
  }
  throw BadInput(path + " is outside the folders the studio may browse");
}

Json StudioSession::ListFolder(const std::string& folder) {
  const std::vector<fs::path> roots = PickerRoots();
  Json root_list = Json::array();
  for (const fs::path& root : roots) root_list.push_back(root.string());
  const fs::path where = folder.empty() ? roots.front() : Inside(folder);
  std::vector<std::pair<bool, std::string>> entries;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(where, error)) {
    entries.emplace_back(!entry.is_directory(error), entry.path().filename().string());
  }
  if (error) throw BadInput("cannot list " + where.string() + ": " + error.message());
  std::sort(entries.begin(), entries.end());
  Json listed = Json::array();
  for (const auto& [is_file, name] : entries) {
    listed.push_back({{"name", name}, {"folder", !is_file}});
  }
  return {{"folder", where.string()}, {"roots", root_list}, {"entries", listed}};
}

void StudioSession::AnswerPicker(const std::string& answer) {
  const std::optional<host::PickerRequest> picker = front_end_.picker();
  if (picker && picker->kind != host::PickerKind::kComputer && !answer.empty()) {
    // Below the presentation's folder the answer is relative to it, so the presentation can
    // move with its data, as `vintrel connections add --text data.tsv` keeps it.
    const fs::path chosen = Inside(answer);
    const fs::path base = PickerRoots().front();
    const fs::path relative = chosen.lexically_relative(base);
    const bool below = Within(chosen, base) && chosen != base;
    front_end_.AnswerPicker(below ? relative.string() : chosen.string());
    return;
  }
  front_end_.AnswerPicker(answer);
}

}  // namespace vintrel::app

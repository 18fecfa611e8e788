// What the studio does with the open presentation, on the shell thread: the state the page draws
// (the add-in's menus with their enabled states, the selection and its kind, what waits for the
// person), the slides drawn as the live view draws them with their links as `vintrel inspect`
// describes them, and the person's clicks and selections, made as on a desktop. The pickers'
// answers are kept below the presentation's folder and the data folders in use.
#ifndef VINTREL_APPS_VINTREL_STUDIO_SESSION_H_
#define VINTREL_APPS_VINTREL_STUDIO_SESSION_H_

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/ooxml/drawing/slide_drawing.h"
#include "host/ooxml/package.h"
#include "host/presentation.h"
#include "host_session.h"
#include "json_output.h"
#include "studio_front_end.h"

namespace vintrel::app {

class StudioSession {
 public:
  StudioSession(HostSession& session, host::Presentation& presentation, StudioFrontEnd& front_end);

  // The page's state: file, unsaved changes, slides, selection, menus, what waits.
  Json State();
  // Slide `number` drawn (width, height, backdrop, shapes) with its outline and its version;
  // bad input for a slide that is not there. Only {slide, version, same} when the page `has` the
  // drawing of that version already. Drawings are kept until their slide changes.
  Json Slide(int number, ooxml::SvgAssets& assets, const std::string& has = "");

  // Selects shapes of a slide by position (from 1), as a click in the window does; an empty list
  // selects the slide alone.
  void Select(int slide, const std::vector<int>& shapes);
  // Clicks the control a menus id names (see menus_json.h), or chooses entry `index` (from
  // 1) of a combo box. A control that is missing, hidden or disabled (or inside a popup that is)
  // is bad input: the enable rules are asked again, whatever the page showed.
  void Click(const std::string& id);
  void Choose(const std::string& id, int index);
  // Opens the distribution list's dialog, as `vintrel distribution` does: this edition's menus
  // have no control for it.
  void OpenDistributionList();

  // Writes the file as `vintrel save` does. False (nothing written) when the file changed on disk
  // since it was opened or last saved, unless `overwrite`.
  bool Save(bool overwrite);
  const std::string& file() const { return file_; }
  StudioFrontEnd& front_end() { return front_end_; }

  // The folders a picker may browse: the presentation's and those of the data in use.
  std::vector<std::filesystem::path> PickerRoots();
  // A folder's entries (folders first); bad input outside the roots.
  Json ListFolder(const std::string& folder);
  // Answers the open picker; a file or folder outside the roots is bad input.
  void AnswerPicker(const std::string& answer);

 private:
  host::CommandBarControl& Reachable(const std::string& id);
  std::filesystem::path Inside(const std::string& path);
  Json SelectionJson();
  ooxml::Package& Parts();

  HostSession& session_;
  host::Presentation& presentation_;
  StudioFrontEnd& front_end_;
  std::string file_;
  std::filesystem::file_time_type stamp_;
  // Slide drawings by slide number, each with the version it was drawn at.
  std::map<int, std::pair<std::string, Json>> drawings_;
  // Whether the presentation has connections, as of a change count.
  std::optional<std::pair<uint64_t, bool>> connected_;
};

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_STUDIO_SESSION_H_

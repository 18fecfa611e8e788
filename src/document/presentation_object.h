// clsPresentation: the add-in's model of one open presentation. Setting its host presentation
// loads the tags (connections are opened and read, the display type and the distribution list
// taken in) and fills every linked shape. It writes the presentation-level and slide-level tags
// back, blanks linked values before a save, and is the one entry point through which commands
// and host events reach the fill.
#ifndef VINTREL_DOCUMENT_PRESENTATION_OBJECT_H_
#define VINTREL_DOCUMENT_PRESENTATION_OBJECT_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "connections/tag_values.h"
#include "document/slide.h"
#include "host/presentation.h"
#include "support/context.h"

namespace vintrel {

class ProgressWindow;

using ConnectionList = std::vector<std::unique_ptr<clsConnection>>;

// Whether the presentation uses the add-in: some tag's name begins with "QUENDRA VERSION".
bool IsVintrelPresentation(host::Presentation& presentation);

class clsPresentation {
 public:
  explicit clsPresentation(Context& ctx);
  ~clsPresentation();
  clsPresentation(const clsPresentation&) = delete;
  clsPresentation& operator=(const clsPresentation&) = delete;

  // Stores the presentation and loads it; failures of single steps are reported and the load goes
  // on with the next.
  void SetActivePresentation(host::Presentation& presentation);
  host::Presentation* ActivePresentation() const { return presentation_; }

  // Stores the display type, presses the matching display controls, makes it the add-in's
  // current display type and refills.
  void SetDisplayType(int display_type);
  int DisplayType() const { return display_type_; }

  std::string NewConnectionTagNumber() const;
  void RemoveVintrel();
  std::string VintrelVersion() const;
  void SetVersionTag();
  // Without an argument: writes the stored display type to "QUENDRA DISPLAYTYPE".
  void SetDisplayType();
  // Replaces the connections with `connections` (taken over), writes their tags, opens them, and
  // unlinks and blanks every shape whose connection is gone.
  void SetConnectionTags(ConnectionList connections);
  void SetSlideTags(const clsSlide& settings, int slide_index);
  void SetDistributionListTags(std::optional<LocalDateTime> start,
                               std::optional<LocalDateTime> stop,
                               const std::vector<std::string>& computers);
  // Deletes the three distribution tags; the in-memory copies stay until the next load.
  void DeleteDistributionListTags();

  // Brings every linked shape up to date; with `requery`, every connection fetches its data again
  // first. Writes a shape only when its content changes.
  void FillValues(bool requery = false);
  // Blanks linked texts and hides linked pictures, objects and charts before a save.
  void PrepareSave();
  // Whether the slide holds a fully linked shape (a connection, a column and a row above 0).
  bool SlideHasConnections(int slide_index);

  ConnectionList& Connections() { return connections_; }
  clsConnection* FindConnection(std::string_view tag_number) const;
  std::optional<LocalDateTime> DistributionStart() const { return distribution_start_; }
  std::optional<LocalDateTime> DistributionStop() const { return distribution_stop_; }
  const std::vector<std::string>& DistributionComputers() const { return distribution_computers_; }
  void SetOpenedFromFile(bool value) { opened_from_file_ = value; }
  bool OpenedFromFile() const { return opened_from_file_; }

  // How many shape texts, visibilities and links the fills have written (for callers and tests
  // that care that an unchanged fill writes nothing).
  long fill_writes() const { return fill_writes_; }

  // The context of the add-in the presentation belongs to.
  Context& context() const { return ctx_; }

 private:
  void Load();
  void LoadConnection(const std::string& name, const std::string& value);
  void DeleteVersionTag();
  void DeleteDisplayTypeTag();
  void DeleteSlideTags(int slide_index);
  void DeleteConnectionTags();
  bool ConnectionExists(std::string_view tag_number) const;
  void PressDisplayControls(int display_type);
  void FillShape(host::Slide& slide, host::Shape& shape, bool& show_errors);

  Context& ctx_;
  host::Presentation* presentation_ = nullptr;
  ConnectionList connections_;
  std::optional<LocalDateTime> distribution_start_;
  std::optional<LocalDateTime> distribution_stop_;
  std::vector<std::string> distribution_computers_;
  bool opened_from_file_ = false;
  int display_type_ = 0;
  std::unique_ptr<ProgressWindow> opening_progress_;
  long fill_writes_ = 0;
};

}  // namespace vintrel

#endif  // VINTREL_DOCUMENT_PRESENTATION_OBJECT_H_

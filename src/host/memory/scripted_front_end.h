// A front end for tests: records every message box, picker and help call in order, and answers
// from scripts queued beforehand. With nothing queued it answers as a front end that cannot ask
// anybody does (OK; No for Yes/No boxes; empty text for pickers), unless told otherwise.
#ifndef VINTREL_HOST_MEMORY_SCRIPTED_FRONT_END_H_
#define VINTREL_HOST_MEMORY_SCRIPTED_FRONT_END_H_

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/platform.h"

namespace vintrel::host::memory {

class ScriptedFrontEnd : public host::FrontEnd {
 public:
  struct MessageBoxCall {
    std::string text;
    int buttons = 0;  // msg_box::kOkOnly, kOkCancel, kYesNo
    int icon = 0;     // msg_box::kCritical, ... or 0
    std::string title;
    int answer = 0;        // what the box returned
    bool topmost = false;  // msg_box::kTopmost: kept above every window
  };

  enum class PickerKind { kFolder, kComputer, kFile };
  struct PickerCall {
    PickerKind kind;
    std::string title;
    std::string filter;        // files only
    std::string initial_path;  // files only
    std::string answer;
  };

  struct HelpCall {
    std::string help_file;
    int context_id = 0;
  };

  // A queued answer must be one of the box's buttons; a box getting any other answer fails
  // (kErrInvalidArgument), since the script and the code under test disagree.
  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string BrowseForFolder(const std::string& title) override;
  std::string BrowseForComputer(const std::string& title) override;
  std::string BrowseForFile(const std::string& title, const std::string& filter,
                            const std::string& initial_path) override;
  void ShowHelp(const std::string& help_file, int context_id) override;
  void SetBusy(bool busy) override;

  // Scripts, used first in, first out.
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void QueueFolder(std::string path) { folders_.push_back(std::move(path)); }
  void QueueComputer(std::string name) { computers_.push_back(std::move(name)); }
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  // The answer for boxes with these buttons when nothing is queued.
  void SetDefaultAnswer(int buttons, int answer) { default_answers_[buttons] = answer; }
  // Decides the answer when nothing is queued (before the defaults), e.g. by the box's text; it
  // runs while the box is "shown", so it may also act as a person would meanwhile. Empty to
  // stop.
  void SetAnswerer(std::function<int(const MessageBoxCall& box)> answerer) {
    answerer_ = std::move(answerer);
  }

  // Records.
  const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
  const std::vector<PickerCall>& pickers() const { return pickers_; }
  const std::vector<HelpCall>& help_calls() const { return help_calls_; }
  int pending_answers() const { return static_cast<int>(answers_.size()); }
  bool busy() const { return busy_; }
  int busy_calls() const { return busy_calls_; }
  // Times the busy state was switched on.
  int busy_starts() const { return busy_starts_; }

 private:
  std::string Pick(std::deque<std::string>& queue, PickerCall call);

  std::deque<int> answers_;
  std::deque<std::string> folders_;
  std::deque<std::string> computers_;
  std::deque<std::string> files_;
  std::map<int, int> default_answers_;
  std::function<int(const MessageBoxCall& box)> answerer_;
  std::vector<MessageBoxCall> message_boxes_;
  std::vector<PickerCall> pickers_;
  std::vector<HelpCall> help_calls_;
  bool busy_ = false;
  int busy_calls_ = 0;
  int busy_starts_ = 0;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_SCRIPTED_FRONT_END_H_

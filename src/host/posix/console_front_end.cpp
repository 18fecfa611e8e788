#include "host/posix/console_front_end.h"

#include <cctype>
#include <istream>
#include <ostream>

namespace vintrel::host::posix {
namespace {

std::string IconWord(int style) {
  switch (style & msg_box::kIconMask) {
    case msg_box::kCritical:
      return "error";
    case msg_box::kExclamation:
      return "warning";
    case msg_box::kInformation:
      return "information";
    case msg_box::kQuestion:
      return "question";
    default:
      return "message";
  }
}

// Message texts use CR LF inside; a terminal wants plain line feeds.
std::string ForTerminal(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

int DefaultAnswer(int style) {
  switch (style & msg_box::kButtonsMask) {
    case msg_box::kYesNo:
    case msg_box::kYesNoCancel:
      return msg_box::kNo;
    default:
      return msg_box::kOk;
  }
}

std::string ConsoleFrontEnd::AskLine(const std::string& prompt) {
  out_ << prompt << std::flush;
  std::string line;
  if (!std::getline(in_, line)) return "";
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int ConsoleFrontEnd::MsgBox(const std::string& text, int style, const std::string& title) {
  ++boxes_shown_;
  if (quiet_) return DefaultAnswer(style);
  out_ << title << " (" << IconWord(style) << "): " << ForTerminal(text) << "\n";
  const int buttons = style & msg_box::kButtonsMask;
  if (!interactive_ || buttons == msg_box::kOkOnly) return DefaultAnswer(style);
  const bool yes_no = buttons == msg_box::kYesNo || buttons == msg_box::kYesNoCancel;
  const bool cancel = buttons != msg_box::kYesNo;
  const char* prompt = buttons == msg_box::kYesNoCancel ? "[y]es / [n]o / [c]ancel? "
                       : yes_no                         ? "[y]es / [n]o? "
                                                        : "[o]k / [c]ancel? ";
  for (int tries = 0; tries < 3; ++tries) {
    const std::string answer = AskLine(prompt);
    if (answer.empty()) break;
    const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    if (yes_no && first == 'y') return msg_box::kYes;
    if (yes_no && first == 'n') return msg_box::kNo;
    if (!yes_no && first == 'o') return msg_box::kOk;
    if (cancel && first == 'c') return msg_box::kCancel;
  }
  return DefaultAnswer(style);
}

std::string ConsoleFrontEnd::BrowseForFolder(const std::string& title) {
  if (!interactive_) return "";
  return AskLine(title + " (folder, empty to cancel): ");
}

std::string ConsoleFrontEnd::BrowseForComputer(const std::string& title) {
  if (!interactive_) return "";
  return AskLine(title + " (computer name, empty to cancel): ");
}

std::string ConsoleFrontEnd::BrowseForFile(const std::string& title, const std::string& /*filter*/,
                                           const std::string& initial_path) {
  if (!interactive_) return "";
  const std::string answer = AskLine(title + " [" + initial_path + "]: ");
  return answer;
}

void ConsoleFrontEnd::ShowHelp(const std::string& help_file, int context_id) {
  out_ << "Help: " << help_file;
  if (context_id != 0) out_ << " (topic " << context_id << ")";
  out_ << "\n";
}

}  // namespace vintrel::host::posix

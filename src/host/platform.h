// The operating-system services the add-in uses, one small interface each, so that tests run on
// in-memory versions and the program on real ones.
#ifndef VINTREL_HOST_PLATFORM_H_
#define VINTREL_HOST_PLATFORM_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/forms.h"

namespace vintrel::host {

// Per-user application settings, read only. An absent key reads as empty text.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string GetSetting(const std::string& app_name, const std::string& section,
                                 const std::string& key) const = 0;
  // Every key of a section with its value, in the store's order (as the host's GetAllSettings);
  // empty when the section is absent. Keys may come back in another letter case than written.
  virtual std::vector<std::pair<std::string, std::string>> GetAllSettings(
      const std::string& /*app_name*/, const std::string& /*section*/) const {
    return {};
  }
  // Where the settings are kept, for messages that tell a user what to change; may be empty.
  virtual std::string Location() const { return ""; }
};

// Message box buttons, icons and answers, in the host's numbering.
namespace msg_box {
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kButtonsMask = 15;
inline constexpr int kIconMask = 112;
// The second button is the default one (the one Enter presses).
inline constexpr int kDefaultButton2 = 256;
// The box stays above every other window until answered (messages of long work).
inline constexpr int kTopmost = 0x40000;

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace msg_box

// A window that shows how far long work has come: a title, one line of status, a bar.
class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  // The bar: `value` of `maximum` steps.
  virtual void SetProgress(int value, int maximum) = 0;
  // The estimate of the time still needed ("Remaining time: ..."), or empty text.
  virtual void SetRemaining(const std::string& text) = 0;
  // Whether the window stays above every other window; a display that draws no window of its
  // own (a line on a terminal) has nothing to keep on top.
  virtual void SetTopmost(bool /*topmost*/) {}
  virtual void Close() = 0;
};

// Whatever stands where the user sits: message boxes, pickers, help, busy and progress display.
// A front end that cannot ask anybody answers at once (OK, Cancel, No, empty text) and never
// blocks.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // `style` = buttons + icon (msg_box); returns the answer (msg_box::kOk, ...).
  virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
  // Chosen folder path, or empty text when cancelled.
  virtual std::string BrowseForFolder(const std::string& title) = 0;
  // Chosen computer name, or empty text when cancelled.
  virtual std::string BrowseForComputer(const std::string& title) = 0;
  // Chosen file, or empty text. `filter` as "Text files (*.txt)|*.txt|All files|*.*".
  virtual std::string BrowseForFile(const std::string& title, const std::string& filter,
                                    const std::string& initial_path) = 0;
  // Shows a help file at a topic (0 = default topic).
  virtual void ShowHelp(const std::string& help_file, int context_id) = 0;
  // Long work in progress: a wait state while set.
  virtual void SetBusy(bool busy) = 0;
  // A progress window, shown until closed; null when the front end shows none.
  virtual std::unique_ptr<ProgressDisplay> OpenProgress() { return nullptr; }
  // Lets a person fill in a form shown modally (see host::ShowModal): returns once the form has
  // hidden itself. A front end without a person to fill it in returns at once, and the form is
  // cancelled.
  virtual void ShowForm(Form& /*form*/) {}
};

// The desktop shell: hand a file or address to the handler the user chose for it.
class Shell {
 public:
  virtual ~Shell() = default;
  // Returns false when no handler could be started.
  virtual bool Open(const std::string& target) = 0;
};

// A file's bytes in memory: one version of the file, whole, however it changes afterwards.
class FileView {
 public:
  virtual ~FileView() = default;
  virtual const char* data() const = 0;
  virtual size_t size() const = 0;
  std::string_view bytes() const { return {data(), size()}; }
};

// A file open for reading, without locking it against other readers or writers.
class ReadableFile {
 public:
  static constexpr size_t kBlockSize = size_t{1} << 20;

  virtual ~ReadableFile() = default;
  // The file's length now (it may change before it is read).
  virtual int64_t Size() const = 0;
  // The whole file, read from its start in pieces of `block_size` bytes where reading goes in
  // pieces. A file rewritten meanwhile gives its old bytes or its new ones, never a mix: the
  // bytes are taken once the file has been left alone for a moment; one that keeps changing for
  // 2 seconds fails (kErrUnspecified, "kept changing"), and so does a failed read.
  virtual std::unique_ptr<FileView> ReadAll(size_t block_size = kBlockSize) = 0;
};

// What the add-in asks of files.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens a plain file for reading. Fails with kErrFileNotFound when the file is missing,
  // kErrPathNotFound when its folder is, kErrPermissionDenied when access is denied or the path
  // is a folder or anything else but a plain file (a device or a pipe might never end), and
  // kErrUnspecified otherwise; the description names the path and the reason.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) const = 0;
  // The whole contents of a file: OpenForReading, then ReadAll.
  std::string ReadFile(const std::string& path) const {
    return std::string(OpenForReading(path)->ReadAll()->bytes());
  }
  virtual bool Exists(const std::string& path) const = 0;
  // Fails (kErrFileNotFound) for a missing file.
  virtual int64_t FileLength(const std::string& path) const = 0;
  // Modification time; fails (kErrFileNotFound) for a missing file.
  virtual std::chrono::system_clock::time_point FileDateTime(const std::string& path) const = 0;
  virtual std::string TempFolder() const = 0;
  // Creates a new empty, uniquely named file in `folder` whose name begins with `prefix`;
  // returns its full path, or empty text on failure.
  virtual std::string CreateUniqueFile(const std::string& folder, const std::string& prefix) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// The clipboard the add-in pastes chart data through. Ours is private to the process: the
// user's desktop clipboard is never touched.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual void Clear() = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual std::optional<std::string> GetText() const = 0;
};

// Tells when files change, so a show can reread them at once instead of at its next tick.
class FileWatcher {
 public:
  virtual ~FileWatcher() = default;
  // `changed` runs on the event loop's thread each time `path` has been written and closed, or
  // replaced by a rename (with `every_write`, after every write: for files that stay open in
  // their writer, such as databases). Returns an id for Unwatch; 0 when the file cannot be
  // watched.
  virtual int Watch(const std::string& path, bool every_write, std::function<void()> changed) = 0;
  virtual void Unwatch(int id) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_PLATFORM_H_

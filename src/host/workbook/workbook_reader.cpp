#include "host/workbook/workbook_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/common/disk_file.h"
#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/workbook/compound_file.h"
#include "host/workbook/default_password.h"
#include "host/workbook/sheet_range.h"
#include "host/workbook/xls_file.h"
#include "host/workbook/xlsx_file.h"

namespace vintrel::host::workbook {

namespace {

constexpr char kSource[] = "WorkbookReader";

// The first record of an Excel 2, 3 or 4 file, which has no container.
bool IsEarlyWorkbook(const std::string& bytes) {
  return bytes.size() >= 8 &&
         (bytes[0] == '\x09' && (bytes[1] == '\x00' || bytes[1] == '\x02' || bytes[1] == '\x04'));
}

// The scratch workbook of Add(): one empty sheet.
class ScratchFile : public WorkbookFile {
 public:
  ScratchFile() : sheets_{{"Sheet1", sheet_type::kWorksheet}} {}
  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  DateSystem date_system() const override { return DateSystem::k1900; }
  const std::string& FormatCode(int) const override {
    static const std::string kGeneral = "General";
    return kGeneral;
  }
  void ReadCells(size_t, const CellRange&, const CellSink&) override {}

 private:
  std::vector<SheetInfo> sheets_;
};

class ReaderWorkbook;

class ReaderWorksheet : public Worksheet {
 public:
  ReaderWorksheet(ReaderWorkbook* book, size_t index) : book_(book), index_(index) {}
  std::string Name() const override;
  int Type() const override;
  std::vector<Cell> Range(const std::string& a1) override;

 private:
  ReaderWorkbook* book_;
  size_t index_;
};

class ReaderWorkbook : public Workbook {
 public:
  ReaderWorkbook(std::unique_ptr<WorkbookFile> file, std::string name, const ReaderLimits& limits)
      : file_(std::move(file)), name_(std::move(name)), limits_(limits) {
    for (size_t i = 0; i < file_->Sheets().size(); ++i) {
      sheets_.push_back(std::make_unique<ReaderWorksheet>(this, i));
      infos_.push_back(file_->Sheets()[i]);
    }
  }

  int SheetCount() const override { return static_cast<int>(sheets_.size()); }

  Worksheet& Sheets(int index) override {
    if (index < 1 || index > SheetCount()) {
      throw Error(kErrSubscriptOutOfRange, kSource,
                  "Subscript out of range: sheet " + std::to_string(index) + " of " + name_ +
                      ", which has " + std::to_string(SheetCount()) + " sheet(s)");
    }
    return *sheets_[index - 1];
  }

  Worksheet& Sheets(const std::string& name) override {
    // Sheet names compare without regard to letter case, as in the program.
    const std::string wanted = FoldCase(name);
    for (size_t i = 0; i < infos_.size(); ++i) {
      if (FoldCase(infos_[i].name) == wanted) return *sheets_[i];
    }
    throw Error(kErrSubscriptOutOfRange, kSource,
                "Subscript out of range: " + name_ + " has no sheet named '" + name + "'");
  }

  void SetSaved(bool) override {}  // nothing is ever written
  void Close() override { file_.reset(); }

  const SheetInfo& info(size_t index) const { return infos_[index]; }

  std::vector<Cell> Range(size_t index, const std::string& a1) {
    if (!file_) {
      throw Error(kErrUnspecified, kSource, name_ + " is closed; its cells cannot be read");
    }
    return ReadRange(*file_, index, a1, limits_);
  }

 private:
  std::unique_ptr<WorkbookFile> file_;
  std::string name_;
  ReaderLimits limits_;
  std::vector<std::unique_ptr<ReaderWorksheet>> sheets_;
  std::vector<SheetInfo> infos_;
};

std::string ReaderWorksheet::Name() const {
  return book_->info(index_).name;
}
int ReaderWorksheet::Type() const {
  return book_->info(index_).type;
}
std::vector<Cell> ReaderWorksheet::Range(const std::string& a1) {
  return book_->Range(index_, a1);
}

// The file's bytes, read whole into memory, so that a later change to the file does not disturb
// the workbook. A file without a file system to read it through is read from the disk.
std::string ReadWholeFile(const FileSystem* files, const std::string& path, const std::string& what,
                          const ReaderLimits& limits) {
  std::unique_ptr<ReadableFile> file;
  try {
    file = files != nullptr ? files->OpenForReading(path) : OpenDiskFile(path);
  } catch (const Error& error) {
    if (error.number() == kErrFileNotFound || error.number() == kErrPathNotFound) {
      throw Error(kErrFileNotFound, kSource, what + " could not be found");
    }
    throw Error(error.number(), kSource, what + " cannot be opened: " + error.description());
  }
  const auto too_large = [&](uint64_t size) {
    if (size <= limits.max_file_bytes) return;
    throw Error(kErrUnspecified, kSource,
                what + " is larger than " + std::to_string(limits.max_file_bytes >> 20) +
                    " MiB, more than the reader accepts");
  };
  too_large(static_cast<uint64_t>(std::max<int64_t>(file->Size(), 0)));
  std::unique_ptr<FileView> bytes = file->ReadAll();
  too_large(bytes->size());  // it may have grown meanwhile
  return std::string(bytes->bytes());
}

}  // namespace

WorkbookReaderApplication::WorkbookReaderApplication(const FileSystem& files, ReaderLimits limits)
    : files_(&files), limits_(limits) {}

WorkbookReaderApplication::WorkbookReaderApplication(ReaderLimits limits) : limits_(limits) {}

void WorkbookReaderApplication::CheckRunning() const {
  if (quit_) throw Error(kErrUnspecified, kSource, "The workbook reader has been shut down");
}

std::unique_ptr<Workbook> WorkbookReaderApplication::Open(const std::string& file_name,
                                                          const OpenOptions&) {
  CheckRunning();
  const std::string what = "'" + file_name + "'";
  std::string bytes = ReadWholeFile(files_, file_name, what, limits_);
  std::unique_ptr<WorkbookFile> file;
  if (bytes.empty()) {
    throw Error(kErrUnspecified, kSource,
                what + " is empty; it may still be being written by another program");
  }
  if (bytes.starts_with("PK\x03\x04") || bytes.starts_with("PK\x05\x06")) {
    file = std::make_unique<XlsxFile>(std::move(bytes), what, limits_);
  } else if (bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
    // A compound document that holds an encrypted package instead of a workbook stream: an
    // .xlsx that needs a password to open, or one protected with the default password.
    CompoundFile compound(bytes);
    if (compound.Load() && compound.HasStream(u"EncryptedPackage")) {
      std::optional<std::string> package = DecryptPackage(compound);
      if (!package) {
        throw Error(kErrUnspecified, kSource,
                    what +
                        " is password-protected (encrypted); save it without a password to "
                        "link it");
      }
      file = std::make_unique<XlsxFile>(std::move(*package), what, limits_);
      return std::make_unique<ReaderWorkbook>(std::move(file), what, limits_);
    }
    file = std::make_unique<XlsFile>(file_name, bytes, what);
  } else if (IsEarlyWorkbook(bytes)) {
    file = std::make_unique<XlsFile>(file_name, bytes, what);
  } else {
    throw Error(kErrUnspecified, kSource,
                what + " is not a workbook: it is neither an .xlsx, .xlsm nor an .xls file");
  }
  return std::make_unique<ReaderWorkbook>(std::move(file), what, limits_);
}

std::unique_ptr<Workbook> WorkbookReaderApplication::Add() {
  CheckRunning();
  return std::make_unique<ReaderWorkbook>(std::make_unique<ScratchFile>(), "the new workbook",
                                          limits_);
}

}  // namespace vintrel::host::workbook

// The spreadsheet application the workbook source talks to, built on our own readers for .xlsx,
// .xlsm and .xls files instead of a running spreadsheet program. A workbook file is read into
// memory when it is opened, so a later change to the file does not disturb it; nothing is ever
// written.
#ifndef VINTREL_HOST_WORKBOOK_WORKBOOK_READER_H_
#define VINTREL_HOST_WORKBOOK_WORKBOOK_READER_H_

#include <memory>
#include <string>

#include "host/platform.h"
#include "host/spreadsheet.h"
#include "host/workbook/workbook_file.h"

namespace vintrel::host::workbook {

class WorkbookReaderApplication : public SpreadsheetApplication {
 public:
  // Reads workbook files through `files`, which must outlive the application.
  explicit WorkbookReaderApplication(const FileSystem& files, ReaderLimits limits = {});
  // Reads the disk directly: for the tools and tests that open real workbooks outside an add-in
  // (the add-in hands it its own file system).
  explicit WorkbookReaderApplication(ReaderLimits limits = {});

  // Fails with an Error whose description says why: a missing or unreadable file, a file that is
  // not a workbook, one that is password-protected, damaged or still being written.
  std::unique_ptr<Workbook> Open(const std::string& file_name, const OpenOptions& options) override;
  std::unique_ptr<Workbook> Add() override;
  void SetIgnoreRemoteRequests(bool value) override { ignore_remote_requests_ = value; }
  bool ignore_remote_requests() const { return ignore_remote_requests_; }
  // The reader has no window.
  bool Visible() const override { return false; }
  // Afterwards Open and Add fail; workbooks already open stay readable.
  void Quit() override { quit_ = true; }

 private:
  void CheckRunning() const;

  const FileSystem* files_ = nullptr;  // null: the disk
  ReaderLimits limits_;
  bool ignore_remote_requests_ = false;
  bool quit_ = false;
};

class WorkbookReaderFactory : public SpreadsheetFactory {
 public:
  explicit WorkbookReaderFactory(const FileSystem& files, ReaderLimits limits = {})
      : files_(&files), limits_(limits) {}
  // The applications read the disk directly, as WorkbookReaderApplication's own does.
  explicit WorkbookReaderFactory(ReaderLimits limits = {}) : limits_(limits) {}
  std::unique_ptr<SpreadsheetApplication> CreateApplication() override {
    return files_ != nullptr ? std::make_unique<WorkbookReaderApplication>(*files_, limits_)
                             : std::make_unique<WorkbookReaderApplication>(limits_);
  }

 private:
  const FileSystem* files_ = nullptr;
  ReaderLimits limits_;
};

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_WORKBOOK_READER_H_

#include "connections/text_file_source.h"

#include "connections/connection.h"
#include "connections/connection_paths.h"
#include "connections/source_support.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "clsConnection";

}  // namespace

void TextFileSource::Open(clsConnection& connection) {
  const std::string path = NativePath(connection.context(), connection.ResolvedFileString());
  // A file that another program is writing may refuse us for a moment.
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    file_.reset();
    try {
      file_ = std::make_unique<TextFile>(*connection.context().services.files, path);
      file_time_ = FileTime(connection.context(), path);
      return;
    } catch (...) {
      file_.reset();
      if (FailureIsMissingFile()) break;
      Wait(connection.context(), kOpenRetryWait);
    }
  }
  try {
    file_ = std::make_unique<TextFile>(*connection.context().services.files, path);
    file_time_ = FileTime(connection.context(), path);
  } catch (...) {
    file_.reset();
    const Error failure = CurrentFailure();
    WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                  "eh opentextfile: " + failure.description());
    RaiseError(ErrorCode::kOpeningFile, kSource,
               {connection.ConnectionDescription(),
                failure.description() + WindowsPathAdvice(connection.context(), path)});
  }
}

void TextFileSource::OpenRecordset(clsConnection& connection) {
  if (!connection.Opened() || file_ == nullptr) return;
  const bool names = connection.ConnectionFirstRowFieldNames();
  std::unique_ptr<host::ClientRecordset> rows;
  // A file that could not be read (it kept changing while it was read) is read again at the next
  // requery, whatever its time is then.
  read_failed_ = !SkipFailure([&] { rows = file_->ReadRecordset(names); });
  if (read_failed_) file_time_ = {};
  if (rows != nullptr) {
    notes_.clear();
    for (const RenamedColumn& column : file_->renamed_columns()) {
      notes_.push_back(RenamedColumnText(column));
      WriteDebugLog(connection.context(), DebugLevel::kInformation, kSource,
                    "Column renamed: " + notes_.back());
    }
  }
  file_.reset();
  if (rows == nullptr) return;  // nothing read: the previous rows stay
  WriteDebugLog(connection.context(), DebugLevel::kInformation, kSource,
                names ? "TEMP Firstrowfieldnames" : "TEMP FirstRow no fieldnames");
  connection.SetRecordset(std::move(rows));
}

void TextFileSource::Requery(clsConnection& connection, bool forced) {
  LogRequery(connection.context(), forced);
  try {
    const std::string path = NativePath(connection.context(), connection.ResolvedFileString());
    // The time seen before reading is the one kept: a change made while the file is read (after
    // the bytes were taken) is then seen at the next requery, not mistaken for the version read.
    const auto seen = FileTime(connection.context(), path);
    if (seen == file_time_ && !forced) return;
    connection.OpenConnection();
    connection.OpenDataFile();
    file_time_ = read_failed_ ? std::chrono::system_clock::time_point{} : seen;
  } catch (...) {
    const Error failure = CurrentFailure();
    WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                  "eh requery: " + failure.description());
    RaiseError(ErrorCode::kRequeryingFile, kSource,
               {connection.ConnectionDescription(), failure.description()});
  }
}

void TextFileSource::Close(clsConnection& /*connection*/) noexcept {
  file_.reset();
}

}  // namespace vintrel::connections

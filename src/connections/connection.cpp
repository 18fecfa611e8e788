#include "connections/connection.h"

#include <cmath>
#include <utility>

#include "connections/connection_paths.h"
#include "connections/tag_values.h"
#include "host/clock.h"
#include "host/event_loop.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsConnection";

bool IsKnownType(int type) {
  return type == connection_type::kTextFile || type == connection_type::kDatabase ||
         type == connection_type::kExcel;
}

ErrorCode OpenErrorFor(int type) {
  switch (type) {
    case connection_type::kDatabase:
      return ErrorCode::kOpeningDatabase;
    case connection_type::kExcel:
      return ErrorCode::kOpeningExcelFile;
    default:
      return ErrorCode::kOpeningFile;
  }
}

// Reads the fields of a tag string in order; a missing or unconvertible field fails the whole
// assignment, which keeps what was assigned before it.
class TagFields {
 public:
  explicit TagFields(std::string_view text) : fields_(SplitFields(text)) {}

  const std::string& Text() {
    if (next_ >= fields_.size()) RaiseError(ErrorCode::kSettingConnectionTag, kSource);
    return fields_[next_++];
  }
  long WholeNumber() { return Converted(ParseWholeNumber(Text())); }
  double Number() { return Converted(ParseNumber(Text())); }
  bool Boolean() { return Converted(ParseBoolean(Text())); }

 private:
  template <typename T>
  static T Converted(const std::optional<T>& value) {
    if (!value) RaiseError(ErrorCode::kSettingConnectionTag, kSource);
    return *value;
  }

  std::vector<std::string> fields_;
  size_t next_ = 0;
};

}  // namespace

clsConnection::WallTime PresentTime(const Context& ctx) {
  return ctx.services.clock->Now();
}

clsConnection::clsConnection(Context& ctx) : clsConnection(ctx, ctx.services.sources) {}

clsConnection::clsConnection(Context& ctx, ConnectionSourceFactory factory)
    : ctx_(ctx), factory_(std::move(factory)) {}

clsConnection::~clsConnection() {
  // Each kind closes what it holds; a database source closes the data-access connection, which
  // is closed here too in case no source was ever made.
  if (source_ != nullptr) source_->Close(*this);
  if (connection_type_ == connection_type::kDatabase) CloseConnection();
  recordset_.reset();
  database_.reset();
  source_.reset();
}

void clsConnection::SetTagString(std::string_view text) {
  TagFields fields(text);
  connection_type_ = static_cast<int>(fields.WholeNumber());
  description_ = fields.Text();
  switch (connection_type_) {
    case connection_type::kTextFile:
      file_string_ = fields.Text();
      first_row_field_names_ = fields.Boolean();
      break;
    case connection_type::kDatabase:
      connection_string_ = fields.Text();
      recordset_sql_ = fields.Text();
      recordset_columns_ = fields.Text();
      refresh_rate_ = fields.Number();
      break;
    case connection_type::kExcel:
      file_string_ = fields.Text();
      sheet_ = fields.Text();
      first_row_field_names_ = fields.Boolean();
      range_ = fields.Text();
      break;
    default:
      break;
  }
}

std::string clsConnection::TagString() const {
  try {
    std::vector<std::string> fields = {FormatWholeNumber(connection_type_), description_};
    switch (connection_type_) {
      case connection_type::kTextFile:
        fields.insert(fields.end(), {file_string_, FormatBoolean(first_row_field_names_)});
        break;
      case connection_type::kDatabase:
        fields.insert(fields.end(), {connection_string_, recordset_sql_, recordset_columns_,
                                     FormatNumber(refresh_rate_)});
        break;
      case connection_type::kExcel:
        fields.insert(fields.end(),
                      {file_string_, sheet_, FormatBoolean(first_row_field_names_), range_});
        break;
      default:
        break;
    }
    return JoinFields(fields, /*trailing_tab=*/true);
  } catch (...) {
    RaiseError(ErrorCode::kRetrievingConnectionTag, kSource);
  }
}

double clsConnection::RecordCount() const {
  if (!opened_ || recordset_ == nullptr) return 0;
  return static_cast<double>(recordset_->RecordCount());
}

double clsConnection::ColumnCount() const {
  if (!opened_ || recordset_ == nullptr) return 0;
  return recordset_->Fields().Count();
}

ConnectionSource* clsConnection::EnsureSource() {
  if (source_ != nullptr && source_type_ == connection_type_) return source_.get();
  if (source_ != nullptr) {
    source_->Close(*this);
    source_.reset();
  }
  if (factory_) source_ = factory_(connection_type_);
  source_type_ = connection_type_;
  return source_.get();
}

void clsConnection::OpenConnection() {
  opened_ = false;
  switch (connection_type_) {
    case connection_type::kTextFile:
      WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                    "Open text connection " + ResolvedFileString());
      break;
    case connection_type::kDatabase:
      WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                    "Open database connection " + ResolvedConnectionString());
      break;
    case connection_type::kExcel:
      WriteDebugLog(ctx_, DebugLevel::kInformation, kSource,
                    "Open excel connection " + ResolvedFileString());
      break;
    default:
      // A kind this version does not know opens nothing, like a source with nothing to do.
      opened_ = true;
      return;
  }
  ConnectionSource* source = EnsureSource();
  if (source == nullptr) {
    RaiseError(OpenErrorFor(connection_type_), kSource,
               {description_, "No data source is available for this kind of connection."});
  }
  source->Open(*this);
  opened_ = true;
  WriteDebugLog(ctx_, DebugLevel::kInformation, kSource, "Connection opened");
}

void clsConnection::OpenDataFile() {
  if (connection_type_ == connection_type::kTextFile && source_ != nullptr) {
    source_->OpenRecordset(*this);
  }
}

void clsConnection::OpenExcelFile() {
  if (connection_type_ == connection_type::kExcel && source_ != nullptr) {
    source_->OpenRecordset(*this);
  }
}

void clsConnection::CloseFile() noexcept {
  if (connection_type_ == connection_type::kTextFile && source_ != nullptr) source_->Close(*this);
}

void clsConnection::CloseExcel() noexcept {
  if (connection_type_ == connection_type::kExcel && source_ != nullptr) source_->Close(*this);
}

void clsConnection::CloseConnection() noexcept {
  if (database_ != nullptr) {
    SkipFailure([&] {
      if (database_->State() == host::object_state::kOpen) database_->Close();
    });
  }
  database_.reset();
}

void clsConnection::OpenRecordset() {
  if (!IsKnownType(connection_type_)) return;
  if (ConnectionSource* source = EnsureSource()) source->OpenRecordset(*this);
}

void clsConnection::CloseRecordset() noexcept {
  if (recordset_ != nullptr) {
    SkipFailure([&] {
      if (recordset_->State() != host::object_state::kClosed) recordset_->Close();
    });
  }
  recordset_.reset();
}

void clsConnection::Requery(bool forced) {
  if (!IsKnownType(connection_type_)) return;
  if (ConnectionSource* source = EnsureSource()) source->Requery(*this, forced);
}

std::string clsConnection::GetValueDatabase(double row, const std::string& column, int disp_type,
                                            bool include_warnings, bool* eof) {
  try {
    return ValueText(row, column, disp_type, include_warnings, eof);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx_, failure);
    if (IsOwnError(failure.number())) throw failure;
    RaiseError(ErrorCode::kRetrievingValue, kSource,
               {column, FormatNumber(row), failure.description()});
  }
}

std::string clsConnection::ValueText(double row, const std::string& column, int disp_type,
                                     bool include_warnings, bool* eof) {
  if (!opened_) return "";
  if (recordset_ == nullptr) {
    throw Error(kErrObjectNotSet, kSource, "Object variable or With block variable not set");
  }
  // An asynchronous query may still be running: let the loop deliver its completion.
  while (recordset_->State() == host::object_state::kExecuting) ctx_.services.loop->DoEvents();
  switch (disp_type) {
    case display_type::kValue: {
      const bool warnings = design_mode_ && include_warnings;
      std::string result = warnings ? kRowNotAvailable : "";
      if (row > 0 && row <= static_cast<double>(recordset_->RecordCount())) {
        if (static_cast<double>(recordset_->AbsolutePosition()) != row) {
          recordset_->MoveFirst();
          recordset_->Move(static_cast<long>(std::nearbyint(row - 1)));
        }
        const host::FieldValue value = recordset_->Fields().Item(column).Value();
        if (value.has_value()) {
          result = *value;
        } else {
          result = warnings ? kEmptyValue : "";
        }
        if (eof != nullptr) *eof = false;
      } else if (eof != nullptr) {
        *eof = true;
      }
      return result;
    }
    case display_type::kConnection:
      return description_;
    case display_type::kColumn:
      return column;
    case display_type::kIndex:
      return FormatNumber(row);
    case display_type::kColumnIndex:
      return column + " " + FormatNumber(row);
    case display_type::kConnectionColumn:
      return description_ + " " + column;
    default:
      return "";
  }
}

std::string clsConnection::GetValueObject(double row, const std::string& column,
                                          const std::string& folder, const std::string& extension,
                                          int disp_type, bool include_warnings, bool* eof) {
  bool end_of_data = eof != nullptr && *eof;
  std::string value = GetValueDatabase(row, column, disp_type, include_warnings, &end_of_data);
  if (eof != nullptr) *eof = end_of_data;
  if (end_of_data) return "";
  if (disp_type != display_type::kValue || value == kRowNotAvailable || value == kEmptyValue) {
    return value;
  }
  std::string_view trimmed = folder;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  const bool ends_with_separator =
      !trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/');
  if (!folder.empty() && !ends_with_separator) {
    // A folder written with slashes only gets a slash; tags from Windows carry backslashes.
    const bool slashes =
        folder.find('\\') == std::string::npos && folder.find('/') != std::string::npos;
    value = folder + (slashes ? "/" : "\\") + value;
  }
  if (!extension.empty()) value += extension;
  return value;
}

std::vector<std::string> clsConnection::Columns() const {
  std::vector<std::string> names = {""};
  if (recordset_ == nullptr) return names;
  host::Fields& fields = recordset_->Fields();
  for (int i = 0; i < fields.Count(); ++i) names.push_back(fields.Item(i).Name());
  return names;
}

bool clsConnection::ConnectionReady() const {
  if (connection_type_ != connection_type::kDatabase) return opened_;
  if (database_ == nullptr) return true;
  bool open = false;
  SkipFailure([&] { open = database_->State() == host::object_state::kOpen; });
  return open;
}

bool clsConnection::ConnectionTimedOut() const {
  if (connection_type_ != connection_type::kDatabase) return !opened_;
  if (ConnectionReady()) return false;
  bool timed_out = false;
  SkipFailure([&] {
    timed_out = PresentTime(ctx_) >
                connection_start_time_ + std::chrono::seconds(database_->ConnectionTimeout());
  });
  return timed_out;
}

bool clsConnection::RecordsetReady() const {
  if (!opened_ || recordset_ == nullptr) return false;
  bool open = false;
  SkipFailure([&] { open = recordset_->State() == host::object_state::kOpen; });
  return open;
}

bool clsConnection::RecordsetTimedOut() const {
  if (connection_type_ != connection_type::kDatabase) return !opened_;
  if (RecordsetReady() || database_ == nullptr) return false;
  bool timed_out = false;
  SkipFailure([&] {
    timed_out = PresentTime(ctx_) >
                recordset_start_time_ + std::chrono::seconds(database_->CommandTimeout());
  });
  return timed_out;
}

std::string clsConnection::ResolutionPresentationName() const {
  const ModuleState& state = ctx_.module;
  return state.offline_generation_running ? state.offline_presentation_name
                                          : active_presentation_name_;
}

std::string clsConnection::ResolvedFileString() const {
  return ResolveConnectionPath(ctx_, file_string_, ResolutionPresentationName());
}

std::string clsConnection::ResolvedConnectionString() const {
  return ResolveConnectionPath(ctx_, connection_string_, ResolutionPresentationName());
}

void clsConnection::SetRecordset(std::unique_ptr<host::Recordset> recordset) {
  recordset_ = std::move(recordset);
}

void clsConnection::SetDatabaseConnection(std::unique_ptr<host::Connection> connection) {
  database_ = std::move(connection);
}

}  // namespace vintrel

// clsConnection: one data connection of a presentation. It holds the definition (kind, name,
// file or connection string, sheet and range, SQL, refresh rate), its serialised form for the
// presentation's connection tag, and the in-memory recordset with the rows read from the source.
// Opening, reading and requerying are dispatched by kind to a ConnectionSource.
#ifndef VINTREL_CONNECTIONS_CONNECTION_H_
#define VINTREL_CONNECTIONS_CONNECTION_H_

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "connections/connection_source.h"
#include "host/data_access.h"
#include "support/context.h"

namespace vintrel {

// ConnectionType codes.
namespace connection_type {
inline constexpr int kTextFile = 0;
inline constexpr int kDatabase = 1;
inline constexpr int kExcel = 2;
}  // namespace connection_type

// The display types of value retrieval.
namespace display_type {
inline constexpr int kValue = 1;
inline constexpr int kConnection = 2;
inline constexpr int kColumn = 3;
inline constexpr int kIndex = 4;
inline constexpr int kColumnIndex = 5;
inline constexpr int kConnectionColumn = 6;
inline constexpr int kNothing = 7;
}  // namespace display_type

// Texts shown in design mode instead of nothing, when asked for.
inline constexpr const char* kRowNotAvailable = "[Row not available in current dataset]";
inline constexpr const char* kEmptyValue = "[Empty]";

class clsConnection {
 public:
  using WallTime = std::chrono::system_clock::time_point;

  // Takes its sources from the context's factory, or from `factory`.
  explicit clsConnection(Context& ctx);
  clsConnection(Context& ctx, ConnectionSourceFactory factory);
  // Closes what the connection's kind holds; failures are ignored.
  ~clsConnection();
  clsConnection(const clsConnection&) = delete;
  clsConnection& operator=(const clsConnection&) = delete;

  // The context of the add-in the connection belongs to (its sources reach services through it).
  Context& context() const { return ctx_; }

  // Properties, in slot order.
  void SetActivePresentationName(std::string name) { active_presentation_name_ = std::move(name); }
  const std::string& ActivePresentationName() const { return active_presentation_name_; }
  // Parses the definition; fails with kSettingConnectionTag when a field of the type is missing
  // or does not convert, keeping the fields assigned before.
  void SetTagString(std::string_view text);
  std::string TagString() const;
  void SetConnectionTagNumber(std::string number) { connection_tag_number_ = std::move(number); }
  const std::string& ConnectionTagNumber() const { return connection_tag_number_; }
  void SetConnectionType(int type) { connection_type_ = type; }
  int ConnectionType() const { return connection_type_; }
  void SetConnectionDescription(std::string text) { description_ = std::move(text); }
  const std::string& ConnectionDescription() const { return description_; }
  void SetConnectionFileString(std::string text) { file_string_ = std::move(text); }
  const std::string& ConnectionFileString() const { return file_string_; }
  void SetConnectionSheet(std::string text) { sheet_ = std::move(text); }
  const std::string& ConnectionSheet() const { return sheet_; }
  void SetConnectionRange(std::string text) { range_ = std::move(text); }
  const std::string& ConnectionRange() const { return range_; }
  void SetConnectionFirstRowFieldNames(bool value) { first_row_field_names_ = value; }
  bool ConnectionFirstRowFieldNames() const { return first_row_field_names_; }
  void SetConnectionString(std::string text) { connection_string_ = std::move(text); }
  const std::string& ConnectionString() const { return connection_string_; }
  // 0 while the connection is not opened or holds no rows.
  double RecordCount() const;
  double ColumnCount() const;
  void SetRecordsetSQL(std::string text) { recordset_sql_ = std::move(text); }
  const std::string& RecordsetSQL() const { return recordset_sql_; }
  // Kept and serialised with a database connection; nothing reads it.
  void SetRecordsetColumns(std::string text) { recordset_columns_ = std::move(text); }
  const std::string& RecordsetColumns() const { return recordset_columns_; }
  // Milliseconds between two timed requeries of a database connection.
  void SetRecordsetRefreshRate(double milliseconds) { refresh_rate_ = milliseconds; }
  double RecordsetRefreshRate() const { return refresh_rate_; }
  void SetDesignMode(bool value) { design_mode_ = value; }
  bool DesignMode() const { return design_mode_; }

  // Operations, in slot order. Failures are raised as numbered errors.
  void OpenConnection();
  void OpenDataFile();   // type 0: reads the open text file into the recordset
  void OpenExcelFile();  // type 2: reads the range into the recordset
  void CloseFile() noexcept;
  void CloseExcel() noexcept;
  // Closes an open data-access connection and drops it.
  void CloseConnection() noexcept;
  void OpenRecordset();
  // Closes a recordset that is not closed and drops it.
  void CloseRecordset() noexcept;
  void Requery(bool forced);
  // Whether the last Requery really asked the source (see ConnectionSource::LastRequeryAsked).
  bool LastRequeryAsked() const { return source_ == nullptr || source_->LastRequeryAsked(); }
  // The text a linked shape shows for `row` (from 1) of `column` under `disp_type`. Sets `*eof`
  // (when given) true for a row beyond the data and false for a row in it; other display types
  // and an unopened connection leave it alone.
  std::string GetValueDatabase(double row, const std::string& column, int disp_type,
                               bool include_warnings = false, bool* eof = nullptr);
  // The file reference a linked object shows: the value with `folder` in front and `extension`
  // behind.
  std::string GetValueObject(double row, const std::string& column, const std::string& folder,
                             const std::string& extension, int disp_type,
                             bool include_warnings = false, bool* eof = nullptr);
  // Index 0 empty, then the recordset's column names in order.
  std::vector<std::string> Columns() const;
  bool ConnectionReady() const;
  bool ConnectionTimedOut() const;
  bool RecordsetReady() const;
  bool RecordsetTimedOut() const;

  // For the sources (connection_source.h).
  bool Opened() const { return opened_; }
  // The presentation name paths are resolved against: the off-line copy's while one is being
  // generated, else ActivePresentationName.
  std::string ResolutionPresentationName() const;
  // ConnectionFileString / ConnectionString through ResolveConnectionPath.
  std::string ResolvedFileString() const;
  std::string ResolvedConnectionString() const;
  host::Recordset* Recordset() const { return recordset_.get(); }
  // Replaces the recordset; the previous one is released.
  void SetRecordset(std::unique_ptr<host::Recordset> recordset);
  host::Connection* DatabaseConnection() const { return database_.get(); }
  void SetDatabaseConnection(std::unique_ptr<host::Connection> connection);
  void SetConnectionStartTime(WallTime time) { connection_start_time_ = time; }
  void SetRecordsetStartTime(WallTime time) { recordset_start_time_ = time; }
  // The source of the current kind; null before the first open.
  ConnectionSource* Source() const { return source_.get(); }

 private:
  // The source for the current type, made by the factory when missing or of another type.
  ConnectionSource* EnsureSource();
  std::string ValueText(double row, const std::string& column, int disp_type, bool include_warnings,
                        bool* eof);

  std::string active_presentation_name_;
  std::string connection_tag_number_;
  int connection_type_ = connection_type::kTextFile;
  std::string description_;
  std::string file_string_;
  std::string sheet_;
  std::string range_;
  bool first_row_field_names_ = false;
  std::string connection_string_;
  std::string recordset_sql_;
  std::string recordset_columns_;
  double refresh_rate_ = 0;
  bool design_mode_ = false;

  Context& ctx_;
  ConnectionSourceFactory factory_;
  std::unique_ptr<ConnectionSource> source_;
  int source_type_ = -1;
  bool opened_ = false;
  std::unique_ptr<host::Connection> database_;
  std::unique_ptr<host::Recordset> recordset_;
  WallTime connection_start_time_{};
  WallTime recordset_start_time_{};
};

// The present time on the module's clock (the system clock when none is set).
clsConnection::WallTime PresentTime(const Context& ctx);

}  // namespace vintrel

#endif  // VINTREL_CONNECTIONS_CONNECTION_H_

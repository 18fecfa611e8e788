// The client-side, in-memory recordset that every source fills: text files, spreadsheets and
// database queries all end up here, and value retrieval reads from it. Rows are packed into a
// RowTable so that a million-line source costs little more memory than its text, and every row
// is reached by index, so moving to a row and reading a field never walks the records.
#ifndef VINTREL_HOST_COMMON_CLIENT_RECORDSET_H_
#define VINTREL_HOST_COMMON_CLIENT_RECORDSET_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/data_access.h"

namespace vintrel::host {

// Error numbers of the data-access objects, in the host's signed 32-bit form (0x800A0000 + n),
// so callers that compare numbers see the familiar ones.
namespace data_error {
inline constexpr int32_t kBase = -2146828288;  // 0x800A0000
inline constexpr int32_t kInvalidArgument = kBase + 3001;
inline constexpr int32_t kNoCurrentRecord = kBase + 3021;
inline constexpr int32_t kNotAllowed = kBase + 3219;
inline constexpr int32_t kItemNotFound = kBase + 3265;
inline constexpr int32_t kDuplicateName = kBase + 3367;
inline constexpr int32_t kObjectClosed = kBase + 3704;
inline constexpr int32_t kObjectOpen = kBase + 3705;
inline constexpr int32_t kProviderNotFound = kBase + 3706;
inline constexpr int32_t kNoConnection = kBase + 3709;
inline constexpr int32_t kStillExecuting = kBase + 3711;
}  // namespace data_error

// The first `max_chars` characters of UTF-8 text, never cut inside a character. Bytes that are
// not valid UTF-8 count one character each.
std::string_view Utf8Prefix(std::string_view text, size_t max_chars);

// Rows of text values, packed. Each row is one block inside a large chunk of memory, in one of
// two layouts:
// - cells: a header (cell count and layout flags), the end offset of every cell and the cells'
//   bytes. Offsets are 16-bit for rows of less than 32 KB of text, 32-bit otherwise; the top bit
//   of an offset marks a null.
// - a TAB-separated line kept as it is: the header, the line's length and its bytes. A cell is
//   found when it is read, by counting TABs; a line holds no more than a few dozen bytes per
//   cell, so that costs less than storing offsets for every cell of a million-line file.
// - a TAB-separated line left in place: no block; the row index holds the header, the line's
//   length and where it is, inside a text the table keeps alive (a file read whole), so the
//   file's bytes are held only once.
// Rows may have fewer cells than the recordset has fields; the missing ones read as null. Values
// are cut to kMaxFieldSize characters when stored.
class RowTable {
 public:
  RowTable() = default;
  RowTable(RowTable&&) noexcept = default;
  RowTable& operator=(RowTable&&) noexcept = default;
  RowTable(const RowTable&) = delete;
  RowTable& operator=(const RowTable&) = delete;

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }

  // Builds a row cell by cell; EndRow stores it.
  void AddCell(std::string_view text);
  void AddNull();
  void EndRow();
  // Drops the cells added since the last EndRow.
  void DiscardRow();

  // The bulk path for text files: a line whose first `count` cells, separated by TABs, are the
  // row (an empty line with count 0 has none; text after the count-th cell is never read). The
  // caller guarantees that no cell is longer than kMaxFieldSize characters: nothing is cut.
  void AddTabLine(std::string_view line, size_t count);
  // The same without copying the line: it stays where it is, inside memory that an owner handed
  // to KeepAlive holds (a whole file read at once), and the row keeps only where it is.
  // (Inline: a text file calls it once a line.)
  void AddTabLineInPlace(std::string_view line, size_t count) {
    if (line.size() >= 0x80000000u || count > kCountLimit) RefuseLongRow();
    rows_.push_back({line.data(), static_cast<uint32_t>(count) | kInPlaceHead,
                     static_cast<uint32_t>(line.size())});
  }
  // Makes room in the row index for `rows` rows in all (a guess is fine: room never used costs
  // address space, not memory).
  void ReserveRows(size_t rows) { rows_.reserve(rows); }
  // Keeps `owner` (and so the memory it holds) until the table goes or is cleared.
  void KeepAlive(std::shared_ptr<const void> owner) { owners_.push_back(std::move(owner)); }

  void AppendRow(const std::vector<FieldValue>& values);
  // Rewrites a row; the old block stays unused until the table goes.
  void ReplaceRow(size_t row, const std::vector<FieldValue>& values);
  void EraseRow(size_t row);
  void Clear();

  size_t CellCount(size_t row) const;
  std::optional<std::string_view> Cell(size_t row, size_t column) const;

  // Bytes held by the chunks and the row index (for memory figures).
  size_t AllocatedBytes() const { return allocated_ + rows_.capacity() * sizeof(Row); }

  // The row header of a line left in place, and the most cells a row holds.
  static constexpr uint32_t kInPlaceHead = 0xC0000000u;
  static constexpr uint32_t kCountLimit = 0x3FFFFFFFu;

 private:
  char* Allocate(size_t bytes);
  [[noreturn]] static void RefuseLongRow();
  void StoreRow(std::string_view text, const uint32_t* ends, size_t count);

  struct ChunkDeleter {
    size_t size;
    void operator()(char* chunk) const;
  };
  std::vector<std::unique_ptr<char, ChunkDeleter>> chunks_;
  size_t chunk_size_ = 0;  // of the chunk being filled
  char* chunk_next_ = nullptr;
  size_t chunk_left_ = 0;
  size_t allocated_ = 0;
  // One row: its block, or for a line left in place the line itself with its header and length
  // (so reading it touches no block).
  struct Row {
    const char* at = nullptr;
    uint32_t head = 0;    // kInPlaceHead and the cell count for a line left in place, else 0
    uint32_t length = 0;  // of a line left in place
  };
  std::vector<Row> rows_;
  std::vector<std::shared_ptr<const void>> owners_;  // of the memory in-place lines lie in
  // The row being built; the top bit of an end marks a null.
  std::string pending_text_;
  std::vector<uint32_t> pending_ends_;
};

class ClientRecordset;

// One column of a ClientRecordset; reads and writes the current record.
class ClientField : public Field {
 public:
  ClientField(ClientRecordset& owner, int index, std::string name, int defined_size)
      : owner_(owner), index_(index), name_(std::move(name)), defined_size_(defined_size) {}
  std::string Name() const override { return name_; }
  FieldValue Value() const override;
  void SetValue(FieldValue value) override;
  int DefinedSize() const { return defined_size_; }

 private:
  ClientRecordset& owner_;
  int index_;
  std::string name_;
  int defined_size_;
};

class ClientFields : public Fields {
 public:
  explicit ClientFields(ClientRecordset& owner) : owner_(owner) {}
  int Count() const override { return static_cast<int>(fields_.size()); }
  Field& Item(int index) override;
  Field& Item(const std::string& name) override;
  void Append(const std::string& name, int type, int defined_size, int attributes = -1) override;

  // Position of a field, or -1 for an unknown name.
  int IndexOf(std::string_view name) const;

 private:
  friend class ClientRecordset;
  void Reset(const std::vector<std::string>& names);
  void AddField(const std::string& name, int defined_size);

  ClientRecordset& owner_;
  // A deque keeps every field where it is as fields are added, with a few allocations for many.
  std::deque<ClientField> fields_;
  // Folded name -> position, filled when a name is first looked up: a text file whose first line
  // holds a million names is read without indexing them all.
  mutable std::unordered_map<std::string, int> by_folded_name_;
  mutable size_t indexed_ = 0;  // fields_[0, indexed_) are in by_folded_name_
  // The names asked for last, exactly as written: value lookups repeat the same few names, and
  // this spares folding them every time.
  static constexpr size_t kRecentNames = 8;
  mutable std::vector<std::pair<std::string, int>> recent_;
  mutable size_t recent_next_ = 0;
};

// An in-memory recordset. Created closed; Open("") with no connection opens it empty with the
// fields appended before, and Load() opens it with a whole table at once. Queries on a
// connection are the business of the data-access layer's recordset, which builds on this one.
class ClientRecordset : public Recordset {
 public:
  ClientRecordset();
  ~ClientRecordset() override;
  ClientRecordset(const ClientRecordset&) = delete;
  ClientRecordset& operator=(const ClientRecordset&) = delete;

  void SetCursorLocation(int location) override { cursor_location_ = location; }
  void SetCursorType(int type) override { cursor_type_ = type; }
  void SetLockType(int type) override { lock_type_ = type; }
  void SetActiveConnection(Connection* connection) override { connection_ = connection; }
  void Open(const std::string& source, int options = command_option::kUnspecified) override;
  int State() const override { return state_; }
  host::Fields& Fields() override { return fields_; }
  void AddNew() override;
  void Update() override;
  long RecordCount() const override;
  long AbsolutePosition() const override;
  void SetAbsolutePosition(long position) override;
  void MoveFirst() override;
  void Move(long records) override;
  void MoveLast() override;
  void MovePrevious() override;
  void MoveNext() override;
  bool IsEOF() const override;
  bool IsBOF() const override;
  void Delete(int affect = 1) override;
  void Requery(int options = command_option::kUnspecified) override;
  void Close() override;

  // Replaces fields and rows and opens the recordset on its first record: the bulk path for
  // sources that build a whole table. Field names are taken as given (the caller has already
  // refused empty or duplicated ones).
  void Load(std::vector<std::string> field_names, RowTable rows);

  // Direct, allocation-free access for readers that know what they want.
  const RowTable& rows() const { return rows_; }
  Connection* active_connection() const { return connection_; }
  int cursor_location() const { return cursor_location_; }
  int cursor_type() const { return cursor_type_; }
  int lock_type() const { return lock_type_; }

  // AbsolutePosition values when there is no current record.
  static constexpr long kPosUnknown = -1;
  static constexpr long kPosBOF = -2;
  static constexpr long kPosEOF = -3;

 protected:
  void set_state(int state) { state_ = state; }

 private:
  friend class ClientField;
  friend class ClientFields;

  enum class EditMode { kNone, kEditing, kAdding };

  FieldValue CurrentValue(int index) const;
  void SetCurrentValue(int index, FieldValue value);
  void RequireOpen(const char* operation) const;
  // Position of the current record; fails when there is none.
  size_t CurrentRow(const char* operation) const;
  void CommitEdit();
  void MoveTo(long long position);

  ClientFields fields_;
  RowTable rows_;
  int state_ = object_state::kClosed;
  int cursor_location_ = cursor_location::kClient;
  int cursor_type_ = cursor_type::kForwardOnly;
  int lock_type_ = lock_type::kReadOnly;
  Connection* connection_ = nullptr;
  // -1 = before the first record (BOF), size() = after the last (EOF).
  long long position_ = -1;
  // The current record was deleted; `position_` is where the next record now sits.
  bool on_deleted_ = false;
  EditMode edit_mode_ = EditMode::kNone;
  std::vector<FieldValue> edit_values_;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_CLIENT_RECORDSET_H_

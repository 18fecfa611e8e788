#include "host/common/client_recordset.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "host/common/text_encoding.h"
#include "host/error.h"

namespace vintrel::host {
namespace {

constexpr char kSource[] = "Recordset";
// Rows are packed into chunks; a row larger than a quarter of one gets a chunk of its own, so the
// space lost at the end of a chunk stays small.
constexpr size_t kFirstChunk = size_t{64} << 10;
constexpr size_t kLargestChunk = size_t{4} << 20;

[[noreturn]] void Fail(int32_t number, const std::string& description) {
  throw Error(number, kSource, description);
}

bool IsTextType(int type) {
  // char, wchar, varchar, long varchar, var wchar, long var wchar: every value is text here.
  return type == 129 || type == 130 || (type >= 200 && type <= 203);
}

}  // namespace

std::string_view Utf8Prefix(std::string_view text, size_t max_chars) {
  // A character is at most four bytes, so short texts need no counting.
  if (text.size() <= max_chars) return text;
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == max_chars) return text.substr(0, i);
      ++chars;
    }
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// RowTable

void RowTable::ChunkDeleter::operator()(char* chunk) const {
  munmap(chunk, size);
}

char* RowTable::Allocate(size_t bytes) {
  bytes = (bytes + 3) & ~size_t{3};  // keeps the cell offsets of every row aligned
  if (bytes > chunk_left_) {
    // Chunks grow with the table, so a small recordset stays small; the large ones ask for huge
    // pages, which saves most of the page faults of filling a big table.
    size_t next = chunk_size_ == 0 ? kFirstChunk : std::min(chunk_size_ * 2, kLargestChunk);
    bool own = bytes > next / 4;
    size_t size = own ? bytes : next;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    if (size >= kLargestChunk) madvise(memory, size, MADV_HUGEPAGE);
    chunks_.emplace_back(static_cast<char*>(memory), ChunkDeleter{size});
    allocated_ += size;
    // A large row keeps a chunk of its own; the current chunk goes on being filled.
    if (own) return chunks_.back().get();
    chunk_size_ = size;
    chunk_next_ = chunks_.back().get();
    chunk_left_ = size;
  }
  char* block = chunk_next_;
  chunk_next_ += bytes;
  chunk_left_ -= bytes;
  return block;
}

namespace {
// Row header: the cell count, and two layout flags.
constexpr uint32_t kTabLine = 0x80000000u;     // a TAB-separated line, not cells
constexpr uint32_t kNarrowEnds = 0x40000000u;  // cell ends are 16-bit
// Both flags: a TAB-separated line left in place (a line has no cell ends).
constexpr uint32_t kInPlaceLine = kTabLine | kNarrowEnds;
constexpr uint32_t kCountMask = 0x3FFFFFFFu;
static_assert(kInPlaceLine == RowTable::kInPlaceHead && kCountMask == RowTable::kCountLimit);
constexpr uint32_t kWideNull = 0x80000000u;
constexpr uint16_t kNarrowNull = 0x8000u;
constexpr size_t kNarrowLimit = 0x8000u;
}  // namespace

void RowTable::StoreRow(std::string_view text, const uint32_t* ends, size_t count) {
  if (text.size() >= kWideNull || count > kCountMask) {
    throw Error(kErrInvalidArgument, kSource, "A row holds more than 2 GB of text.");
  }
  bool narrow = text.size() < kNarrowLimit;
  size_t width = narrow ? sizeof(uint16_t) : sizeof(uint32_t);
  size_t header = sizeof(uint32_t) + width * count;
  char* block = Allocate(header + text.size());
  uint32_t head = static_cast<uint32_t>(count) | (narrow ? kNarrowEnds : 0);
  std::memcpy(block, &head, sizeof head);
  char* out = block + sizeof head;
  if (narrow) {
    for (size_t i = 0; i < count; ++i) {
      uint16_t end = static_cast<uint16_t>(ends[i] & ~kWideNull);
      if (ends[i] & kWideNull) end |= kNarrowNull;
      std::memcpy(out + i * sizeof end, &end, sizeof end);
    }
  } else if (count) {
    std::memcpy(out, ends, sizeof(uint32_t) * count);
  }
  if (!text.empty()) std::memcpy(block + header, text.data(), text.size());
  rows_.push_back({block, 0, 0});
}

void RowTable::AddCell(std::string_view text) {
  text = Utf8Prefix(text, kMaxFieldSize);
  pending_text_.append(text.data(), text.size());
  if (pending_text_.size() >= kWideNull) {
    DiscardRow();
    throw Error(kErrInvalidArgument, kSource, "A row holds more than 2 GB of text.");
  }
  pending_ends_.push_back(static_cast<uint32_t>(pending_text_.size()));
}

void RowTable::AddNull() {
  pending_ends_.push_back(static_cast<uint32_t>(pending_text_.size()) | kWideNull);
}

void RowTable::EndRow() {
  StoreRow(pending_text_, pending_ends_.data(), pending_ends_.size());
  DiscardRow();
}

void RowTable::DiscardRow() {
  pending_text_.clear();
  pending_ends_.clear();
}

void RowTable::AddTabLine(std::string_view line, size_t count) {
  if (line.size() >= kWideNull || count > kCountMask) {
    throw Error(kErrInvalidArgument, kSource, "A row holds more than 2 GB of text.");
  }
  char* block = Allocate(2 * sizeof(uint32_t) + line.size());
  uint32_t head = static_cast<uint32_t>(count) | kTabLine;
  uint32_t length = static_cast<uint32_t>(line.size());
  std::memcpy(block, &head, sizeof head);
  std::memcpy(block + sizeof head, &length, sizeof length);
  if (!line.empty()) std::memcpy(block + 2 * sizeof(uint32_t), line.data(), line.size());
  rows_.push_back({block, 0, 0});
}

void RowTable::RefuseLongRow() {
  throw Error(kErrInvalidArgument, kSource, "A row holds more than 2 GB of text.");
}

void RowTable::AppendRow(const std::vector<FieldValue>& values) {
  DiscardRow();
  for (const FieldValue& value : values) {
    if (value) {
      AddCell(*value);
    } else {
      AddNull();
    }
  }
  EndRow();
}

void RowTable::ReplaceRow(size_t row, const std::vector<FieldValue>& values) {
  AppendRow(values);
  rows_[row] = rows_.back();
  rows_.pop_back();
}

void RowTable::EraseRow(size_t row) {
  rows_.erase(rows_.begin() + static_cast<ptrdiff_t>(row));
}

void RowTable::Clear() {
  *this = RowTable();
}

size_t RowTable::CellCount(size_t row) const {
  uint32_t head;
  if (rows_[row].head != 0) return rows_[row].head & kCountMask;
  std::memcpy(&head, rows_[row].at, sizeof head);
  return head & kCountMask;
}

std::optional<std::string_view> RowTable::Cell(size_t row, size_t column) const {
  const Row& entry = rows_[row];
  const char* block = entry.at;
  uint32_t head = entry.head;
  if (head == 0) std::memcpy(&head, block, sizeof head);
  size_t count = head & kCountMask;
  if (column >= count) return std::nullopt;
  if (head & kTabLine) {
    uint32_t length = entry.length;
    const char* begin = block;
    if (entry.head == 0) {  // a line copied into its block, after the header and the length
      std::memcpy(&length, block + sizeof head, sizeof length);
      begin = block + 2 * sizeof(uint32_t);
    }
    const char* end = begin + length;
    // Lines are short: a plain walk beats a library search call per TAB.
    for (size_t skipped = 0; skipped < column; ++begin) {
      if (*begin == '\t') ++skipped;
    }
    const char* stop = begin;
    while (stop < end && *stop != '\t') ++stop;
    return std::string_view(begin, static_cast<size_t>(stop - begin));
  }
  const char* ends = block + sizeof head;
  const char* text;
  uint32_t begin = 0;
  uint32_t end;
  if (head & kNarrowEnds) {
    uint16_t e;
    std::memcpy(&e, ends + column * sizeof e, sizeof e);
    if (e & kNarrowNull) return std::nullopt;
    end = e;
    if (column > 0) {
      std::memcpy(&e, ends + (column - 1) * sizeof e, sizeof e);
      begin = e & ~kNarrowNull;
    }
    text = ends + count * sizeof(uint16_t);
  } else {
    std::memcpy(&end, ends + column * sizeof end, sizeof end);
    if (end & kWideNull) return std::nullopt;
    if (column > 0) {
      std::memcpy(&begin, ends + (column - 1) * sizeof begin, sizeof begin);
      begin &= ~kWideNull;
    }
    text = ends + count * sizeof(uint32_t);
  }
  return std::string_view(text + begin, end - begin);
}

// ---------------------------------------------------------------------------------------------
// Fields

FieldValue ClientField::Value() const {
  return owner_.CurrentValue(index_);
}

void ClientField::SetValue(FieldValue value) {
  if (value) value = std::string(Utf8Prefix(*value, static_cast<size_t>(defined_size_)));
  owner_.SetCurrentValue(index_, std::move(value));
}

Field& ClientFields::Item(int index) {
  if (index < 0 || index >= Count()) {
    Fail(data_error::kItemNotFound, "Item cannot be found in the collection: there is no field " +
                                        std::to_string(index) + ".");
  }
  return fields_[static_cast<size_t>(index)];
}

Field& ClientFields::Item(const std::string& name) {
  int index = IndexOf(name);
  if (index < 0) {
    Fail(data_error::kItemNotFound,
         "Item cannot be found in the collection: there is no field named '" + name + "'.");
  }
  return fields_[static_cast<size_t>(index)];
}

int ClientFields::IndexOf(std::string_view name) const {
  for (const auto& [recent, index] : recent_) {
    if (recent == name) return index;
  }
  if (indexed_ < fields_.size()) {
    if (indexed_ == 0) by_folded_name_.reserve(fields_.size());
    for (; indexed_ < fields_.size(); ++indexed_) {
      // The first of two fields whose names fold alike is the one found.
      by_folded_name_.emplace(FoldCase(fields_[indexed_].Name()), static_cast<int>(indexed_));
    }
  }
  auto it = by_folded_name_.find(FoldCase(name));
  if (it == by_folded_name_.end()) return -1;
  if (recent_.size() < kRecentNames) {
    recent_.emplace_back(std::string(name), it->second);
  } else {
    recent_[recent_next_] = {std::string(name), it->second};
    recent_next_ = (recent_next_ + 1) % kRecentNames;
  }
  return it->second;
}

void ClientFields::Append(const std::string& name, int type, int defined_size, int /*attributes*/) {
  if (owner_.State() != object_state::kClosed) {
    Fail(data_error::kNotAllowed, "Fields can only be appended while the recordset is closed.");
  }
  if (!IsTextType(type)) {
    Fail(data_error::kInvalidArgument,
         "Field '" + name + "' has type " + std::to_string(type) + "; only text fields are kept.");
  }
  if (name.empty()) Fail(data_error::kInvalidArgument, "A field needs a name.");
  if (IndexOf(name) >= 0) {
    Fail(data_error::kDuplicateName, "A field named '" + name + "' is already in the collection.");
  }
  int size = defined_size <= 0 ? kMaxFieldSize : std::min(defined_size, kMaxFieldSize);
  AddField(name, size);
}

void ClientFields::AddField(const std::string& name, int defined_size) {
  int index = Count();
  fields_.emplace_back(owner_, index, name, defined_size);
}

void ClientFields::Reset(const std::vector<std::string>& names) {
  fields_.clear();
  by_folded_name_.clear();
  indexed_ = 0;
  recent_.clear();
  recent_next_ = 0;
  for (const std::string& name : names) AddField(name, kMaxFieldSize);
}

// ---------------------------------------------------------------------------------------------
// ClientRecordset

ClientRecordset::ClientRecordset() : fields_(*this) {}

ClientRecordset::~ClientRecordset() = default;

void ClientRecordset::RequireOpen(const char* operation) const {
  if (state_ == object_state::kClosed) {
    Fail(data_error::kObjectClosed,
         std::string(operation) + " is not allowed while the recordset is closed.");
  }
}

void ClientRecordset::Open(const std::string& source, int /*options*/) {
  if (state_ != object_state::kClosed) {
    Fail(data_error::kObjectOpen, "The recordset is already open.");
  }
  if (!source.empty() || connection_ != nullptr) {
    Fail(data_error::kNoConnection,
         "An in-memory recordset cannot run '" + source +
             "': open it with no source and no connection, or create it through the data-access "
             "layer.");
  }
  rows_.Clear();
  position_ = -1;
  on_deleted_ = false;
  edit_mode_ = EditMode::kNone;
  state_ = object_state::kOpen;
}

void ClientRecordset::Load(std::vector<std::string> field_names, RowTable rows) {
  fields_.Reset(field_names);
  rows_ = std::move(rows);
  on_deleted_ = false;
  edit_mode_ = EditMode::kNone;
  edit_values_.clear();
  position_ = rows_.empty() ? -1 : 0;
  state_ = object_state::kOpen;
}

void ClientRecordset::Close() {
  RequireOpen("Close");
  rows_.Clear();
  position_ = -1;
  on_deleted_ = false;
  edit_mode_ = EditMode::kNone;
  edit_values_.clear();
  state_ = object_state::kClosed;
}

void ClientRecordset::Requery(int /*options*/) {
  RequireOpen("Requery");
  Fail(data_error::kNoConnection, "An in-memory recordset has no source to requery.");
}

long ClientRecordset::RecordCount() const {
  RequireOpen("RecordCount");
  return static_cast<long>(rows_.size());
}

long ClientRecordset::AbsolutePosition() const {
  RequireOpen("AbsolutePosition");
  if (on_deleted_) return kPosUnknown;
  if (rows_.empty() || position_ < 0) return kPosBOF;
  if (position_ >= static_cast<long long>(rows_.size())) return kPosEOF;
  return static_cast<long>(position_ + 1);
}

void ClientRecordset::SetAbsolutePosition(long position) {
  RequireOpen("AbsolutePosition");
  if (position < 1 || static_cast<size_t>(position) > rows_.size()) {
    Fail(data_error::kInvalidArgument, "AbsolutePosition " + std::to_string(position) +
                                           " is outside the records 1 to " +
                                           std::to_string(rows_.size()) + ".");
  }
  CommitEdit();
  MoveTo(position - 1);
}

void ClientRecordset::MoveTo(long long position) {
  long long size = static_cast<long long>(rows_.size());
  position_ = std::clamp(position, -1LL, size);
  on_deleted_ = false;
}

void ClientRecordset::MoveFirst() {
  RequireOpen("MoveFirst");
  CommitEdit();
  MoveTo(rows_.empty() ? -1 : 0);
}

void ClientRecordset::MoveLast() {
  RequireOpen("MoveLast");
  CommitEdit();
  MoveTo(static_cast<long long>(rows_.size()) - 1);
}

void ClientRecordset::Move(long records) {
  RequireOpen("Move");
  CommitEdit();
  long long size = static_cast<long long>(rows_.size());
  long long target = position_ + records;
  if (on_deleted_) {
    // After a deletion the next record already sits at `position_`.
    if (records > 0) --target;
  } else if ((records < 0 && (position_ < 0 || size == 0)) ||
             (records > 0 && (position_ >= size || size == 0))) {
    Fail(data_error::kNoCurrentRecord,
         "Either BOF or EOF is true: cannot move " + std::to_string(records) + " records.");
  }
  MoveTo(target);
}

void ClientRecordset::MoveNext() {
  Move(1);
}

void ClientRecordset::MovePrevious() {
  Move(-1);
}

bool ClientRecordset::IsEOF() const {
  RequireOpen("EOF");
  if (rows_.empty()) return true;
  return !on_deleted_ && position_ >= static_cast<long long>(rows_.size());
}

bool ClientRecordset::IsBOF() const {
  RequireOpen("BOF");
  if (rows_.empty()) return true;
  return !on_deleted_ && position_ < 0;
}

size_t ClientRecordset::CurrentRow(const char* operation) const {
  RequireOpen(operation);
  if (on_deleted_ || position_ < 0 || position_ >= static_cast<long long>(rows_.size())) {
    Fail(data_error::kNoCurrentRecord,
         std::string(operation) +
             ": either BOF or EOF is true, or the current record has been deleted.");
  }
  return static_cast<size_t>(position_);
}

void ClientRecordset::Delete(int affect) {
  if (affect != 1) {
    Fail(data_error::kInvalidArgument, "Delete only removes the current record (affect 1).");
  }
  if (edit_mode_ == EditMode::kAdding) {
    // Deleting a record that was never stored just drops it.
    edit_mode_ = EditMode::kNone;
    edit_values_.clear();
    return;
  }
  size_t row = CurrentRow("Delete");
  edit_mode_ = EditMode::kNone;
  rows_.EraseRow(row);
  on_deleted_ = true;
}

void ClientRecordset::AddNew() {
  RequireOpen("AddNew");
  CommitEdit();
  edit_mode_ = EditMode::kAdding;
  edit_values_.assign(static_cast<size_t>(fields_.Count()), std::nullopt);
}

void ClientRecordset::Update() {
  RequireOpen("Update");
  CommitEdit();
}

void ClientRecordset::CommitEdit() {
  if (edit_mode_ == EditMode::kAdding) {
    rows_.AppendRow(edit_values_);
    position_ = static_cast<long long>(rows_.size()) - 1;
    on_deleted_ = false;
  } else if (edit_mode_ == EditMode::kEditing) {
    rows_.ReplaceRow(static_cast<size_t>(position_), edit_values_);
  }
  edit_mode_ = EditMode::kNone;
  edit_values_.clear();
}

FieldValue ClientRecordset::CurrentValue(int index) const {
  if (edit_mode_ != EditMode::kNone) return edit_values_[static_cast<size_t>(index)];
  size_t row = CurrentRow("Reading a field");
  std::optional<std::string_view> cell = rows_.Cell(row, static_cast<size_t>(index));
  if (!cell) return std::nullopt;
  return std::string(*cell);
}

void ClientRecordset::SetCurrentValue(int index, FieldValue value) {
  if (edit_mode_ == EditMode::kNone) {
    size_t row = CurrentRow("Writing a field");
    edit_values_.resize(static_cast<size_t>(fields_.Count()));
    for (size_t i = 0; i < edit_values_.size(); ++i) {
      std::optional<std::string_view> cell = rows_.Cell(row, i);
      edit_values_[i] = cell ? FieldValue(std::string(*cell)) : std::nullopt;
    }
    edit_mode_ = EditMode::kEditing;
  }
  edit_values_[static_cast<size_t>(index)] = std::move(value);
}

}  // namespace vintrel::host

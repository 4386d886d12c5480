#include "format/row_recorder.h"

#include <algorithm>
#include <utility>

#include "model/cell_objects.h"
#include "model/error_catalogue.h"

namespace sc {

void RowRecords::row_read(const RowRecord& record) {
  const bool in_line = record.file == TextFile::kLine;
  (in_line ? line_read_up_to : train_read_up_to) = record.last_field().at;
  std::vector<RowRecord>& rows = in_line ? line : train;
  LastRow& last = in_line ? line_last_ : train_last_;
  if (last.only_as_last) {
    rows.pop_back();
    last.texts.clear();
    last.only_as_last = false;
  }
  if (keeps(record)) {
    keep_texts(rows.emplace_back(record), texts_);
  } else if (kept == KeptRows::kErrorPlaces) {
    keep_texts(rows.emplace_back(record), last.texts);
    last.only_as_last = true;
  }
}

bool RowRecords::keeps(const RowRecord& record) const {
  if (kept == KeptRows::kAll || record.ending != RowEnd::kRead) return true;
  if (kept == KeptRows::kErrorPlaces && record.part == RowPart::kHeader) return true;
  return std::any_of(record.objects.begin(), record.objects.end(),
                     [](const PlacedObject& o) { return o.type_code != cell_type::kTunnelMarker; });
}

void RowRecords::keep_texts(RowRecord& row, std::deque<std::string>& texts) {
  const auto keep = [&](RecordedField& field) {
    if (!field.text.empty()) field.text = texts.emplace_back(field.text);
  };
  for (RecordedField& field : row.skipped) keep(field);
  keep(row.keyword);
  for (RecordedField& field : row.values) keep(field);
}

RowRecorder::RowRecorder(TextFile file, RowListener& listener, Scenario& model)
    : file_(file), listener_(listener), model_(model) {
  model_.access_listener = this;
}

RowRecorder::~RowRecorder() {
  model_.access_listener = nullptr;
  if (reader_) reader_->record_fields(nullptr);
}

void RowRecorder::listen_to(FieldReader& reader) {
  reader_ = &reader;
  reader.record_fields(&lead_);
}

// A keyword field naming a second kind opens its row with no new field read:
// that row keeps the keyword and passes over no field.
void RowRecorder::open(RowPart part, std::optional<RowKind> kind) {
  row_.file = file_;
  row_.part = part;
  row_.kind = kind;
  row_.skipped.clear();
  second_of_keyword_ = lead_.empty();
  if (!lead_.empty()) {
    row_.keyword = std::move(lead_.back());
    lead_.pop_back();
    row_.skipped.swap(lead_);
  }
  row_.values.clear();
  row_.objects.clear();
  row_.first_cell.reset();
  row_.last_cell.reset();
  row_.final_cell.reset();
  row_.entries.clear();
  row_.profile_from = 0;
  row_.profile_to = 0;
  row_.ending = RowEnd::kRead;
  row_.error = 0;
  row_.fault_at = {};
  open_ = true;
  reached_.clear();
  if (reader_) reader_->record_fields(&row_.values);
}

void RowRecorder::close(RowEnd ending, int32_t error) {
  if (!open_) return;
  add_objects();
  row_.ending = ending;
  row_.error = error;
  open_ = false;
  if (reader_) reader_->record_fields(&lead_);
  listener_.row_read(row_);
}

// A cell holds a new object when its type changed or the object of the same
// type in it was replaced (a station's stop cell takes any cell).
void RowRecorder::add_objects() {
  if (reached_.empty()) return;
  row_.final_cell = reached_.back().index;
  // Most rows reach their cells in route order; the first reach of a cell
  // holds what it was before the row.
  const auto by_index = [](const Reached& a, const Reached& b) { return a.index < b.index; };
  if (!std::is_sorted(reached_.begin(), reached_.end(), by_index)) {
    std::stable_sort(reached_.begin(), reached_.end(), by_index);
  }
  row_.first_cell = reached_.front().index;
  row_.last_cell = reached_.back().index;
  int64_t previous = -1;
  for (const Reached& r : reached_) {
    if (r.index == previous) continue;
    previous = r.index;
    const Cell& now = model_.cells[static_cast<size_t>(r.index)];
    if (now.type_code != 0 && !holds_same_object(now, r.before))
      row_.objects.push_back({r.index, now.type_code});
  }
}

void RowRecorder::kind_begins(RowPart part, RowKind kind) {
  open(part, kind);
}

void RowRecorder::kind_ends(int32_t error, int32_t profile_from, int32_t profile_to) {
  if (!open_) return;
  row_.profile_from = profile_from;
  row_.profile_to = profile_to;
  close(error == 0 ? RowEnd::kRead : RowEnd::kStopped, error);
}

void RowRecorder::no_kind(RowPart part) {
  open(part, std::nullopt);
  close(RowEnd::kRead, 0);
}

void RowRecorder::fault(SourceLocation at) {
  if (open_) row_.fault_at = at;
  close(RowEnd::kFault, error_number(ErrorCode::kRunTimeFault));
}

void RowRecorder::cell_reached(int64_t index, const Cell& cell) {
  if (open_) reached_.push_back({index, cell});
}

void RowRecorder::entry_reached(int64_t index) {
  if (open_) row_.entries.push_back(index);
}

void throw_from_row(const Fault& fault, const FieldReader& reader, RowRecorder* rows) {
  const SourceLocation at = fault.where().known() ? fault.where() : reader.field_location();
  if (rows) rows->fault(at);
  throw Fault(fault.what(), at);
}

}  // namespace sc

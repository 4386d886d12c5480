#include "format/row_recorder.h"

#include <algorithm>
#include <utility>

#include "model/error_catalogue.h"

namespace sc {

void RowRecords::row_read(RowRecord record) {
  const bool holds_object =
      std::any_of(record.objects.begin(), record.objects.end(),
                  [](const PlacedObject& o) { return o.type_code != cell_type::kTunnelMarker; });
  if (!all && !holds_object && record.ending == RowEnd::kRead) return;
  (record.file == TextFile::kLine ? line : train).push_back(std::move(record));
}

RowRecorder::RowRecorder(TextFile file, RowListener& listener, Scenario& model)
    : file_(file), listener_(listener), model_(model) {
  model_.access_listener = this;
}

RowRecorder::~RowRecorder() {
  model_.access_listener = nullptr;
  if (reader_) reader_->listen(nullptr);
}

void RowRecorder::listen_to(FieldReader& reader) {
  reader_ = &reader;
  reader.listen(this);
}

void RowRecorder::open(RowPart part, std::optional<RowKind> kind) {
  row_.emplace();
  row_->file = file_;
  row_->part = part;
  row_->kind = kind;
  if (!lead_.empty()) {
    keyword_ = std::move(lead_.back());
    lead_.pop_back();
    row_->skipped = std::move(lead_);
    lead_.clear();
  }
  row_->keyword = keyword_;
  reached_.clear();
}

void RowRecorder::close(RowEnd ending, int32_t error) {
  if (!row_) return;
  add_objects();
  row_->ending = ending;
  row_->error = error;
  listener_.row_read(std::move(*row_));
  row_.reset();
}

// A cell holds a new object when its type changed or the object of the same
// type in it was replaced (a station's stop cell takes any cell).
void RowRecorder::add_objects() {
  if (reached_.empty()) return;
  row_->final_cell = reached_.back().index;
  std::stable_sort(reached_.begin(), reached_.end(),
                   [](const Reached& a, const Reached& b) { return a.index < b.index; });
  row_->first_cell = reached_.front().index;
  row_->last_cell = reached_.back().index;
  int64_t previous = -1;
  for (const Reached& r : reached_) {
    if (r.index == previous) continue;
    previous = r.index;
    const Cell& now = model_.cells[static_cast<size_t>(r.index)];
    const bool replaced = now.type_code != r.before.type_code || now.info1 != r.before.info1;
    if (now.type_code != 0 && replaced) row_->objects.push_back({r.index, now.type_code});
  }
}

void RowRecorder::kind_begins(RowPart part, RowKind kind) {
  open(part, kind);
}

void RowRecorder::kind_ends(int32_t error, int32_t profile_from, int32_t profile_to) {
  if (!row_) return;
  row_->profile_from = profile_from;
  row_->profile_to = profile_to;
  close(error == 0 ? RowEnd::kRead : RowEnd::kStopped, error);
}

void RowRecorder::no_kind(RowPart part) {
  open(part, std::nullopt);
  close(RowEnd::kRead, 0);
}

void RowRecorder::fault(SourceLocation at) {
  if (row_) row_->fault_at = at;
  close(RowEnd::kFault, error_number(ErrorCode::kRunTimeFault));
}

void RowRecorder::field_read(const ReadField& field) {
  RecordedField recorded{field.begin,    field.end,    field.at,
                         field.end_line, field.number, std::string(field.text)};
  if (row_) {
    row_->values.push_back(std::move(recorded));
  } else {
    lead_.push_back(std::move(recorded));
  }
}

void RowRecorder::cell_reached(int64_t index, const Cell& cell) {
  if (row_) reached_.push_back({index, cell});
}

void RowRecorder::entry_reached(int64_t index) {
  if (row_) row_->entries.push_back(index);
}

}  // namespace sc

#include "check/lint.h"

#include <algorithm>
#include <span>
#include <utility>

#include "check/board_checks.h"
#include "check/row_checks.h"
#include "model/cell_objects.h"
#include "model/model.h"
#include "textio/keywords.h"

namespace sc {
namespace {

// The comment markers of other file formats, which this one does not have;
// "REM" too, in any case, alone or followed by a blank.
constexpr std::string_view kCommentMarkers[] = {"#", ";", "//"};

// Whether a keyword field may begin with a comment marker: most begin with a
// letter that no marker begins with.
bool may_begin_with_marker(std::string_view keyword) {
  for (const char c : keyword) {
    if (c == ' ' || c == '\t') continue;
    if ((c | 0x20) == 'r') return true;
    return std::any_of(std::begin(kCommentMarkers), std::end(kCommentMarkers),
                       [c](std::string_view marker) { return marker.front() == c; });
  }
  return false;
}

std::optional<std::string_view> comment_marker(std::string_view keyword) {
  if (!may_begin_with_marker(keyword)) return std::nullopt;
  const std::string_view field = trimmed_field(keyword);
  for (std::string_view marker : kCommentMarkers) {
    if (field.starts_with(marker)) return marker;
  }
  const auto is = [&](size_t i, char lower) {
    return i < field.size() && (field[i] | 0x20) == lower;
  };
  const bool rem = is(0, 'r') && is(1, 'e') && is(2, 'm') &&
                   (field.size() == 3 || field[3] == ' ' || field[3] == '\t');
  if (rem) return field.substr(0, 3);
  return std::nullopt;
}

bool has_letter(std::string_view field) {
  return std::any_of(field.begin(), field.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0xC0;
  });
}

size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The kind of `part` whose spelling is nearest to the field, when one is near.
const RowKindInfo* nearest_kind(std::string_view field, TextFile file, RowPart part) {
  const std::string lower = lower_case(std::string(trimmed_field(field)));
  const RowKindInfo* best = nullptr;
  size_t best_distance = 0;
  for (const RowKindInfo& kind : row_kinds(file, part)) {
    const size_t distance = edit_distance(lower, kind.keyword);
    if (distance > std::max<size_t>(2, kind.keyword.size() / 3)) continue;
    if (!best || distance < best_distance) {
      best = &kind;
      best_distance = distance;
    }
  }
  return best;
}

bool names_a_kind_of(std::string_view keyword, TextFile file, RowPart part) {
  const auto kinds = row_kinds(file, part);
  return std::any_of(kinds.begin(), kinds.end(),
                     [&](const RowKindInfo& kind) { return names_kind(kind, keyword); });
}

std::string value_names(std::span<const ValueSpec> values) {
  std::string names;
  for (const ValueSpec& value : values) {
    if (!names.empty()) names += ", ";
    names += value.name;
  }
  return names;
}

std::string count_of(size_t n, std::string_view noun) {
  return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

std::string takes(const RowKindInfo& kind) {
  return "a " + std::string(kind.what) + " row takes " + count_of(kind.values.size(), "value") +
         " (" + value_names(kind.values) + ")";
}

// A keyword field split at blanks, tabs and semicolons: its words, and the
// numbers an author wrote there as values.
struct KeywordWithNumbers {
  std::string words;
  std::vector<std::string_view> numbers;
  std::string with_commas() const {
    std::string row = words;
    for (const std::string_view number : numbers) row += ", " + std::string(number);
    return row;
  }
};

bool is_number(std::string_view piece) {
  if (piece.starts_with('-') || piece.starts_with('+')) piece.remove_prefix(1);
  return !piece.empty() && std::all_of(piece.begin(), piece.end(),
                                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

// Only numbers after the keyword's words count: "curvad4 1000 200" holds 1000
// and 200.
KeywordWithNumbers split_numbers(std::string_view field) {
  KeywordWithNumbers split;
  size_t begin = 0;
  while (begin < field.size()) {
    const size_t end = std::min(field.find_first_of(" \t;", begin), field.size());
    const std::string_view piece = field.substr(begin, end - begin);
    begin = end + 1;
    if (piece.empty()) continue;
    if (is_number(piece) && !split.words.empty()) {
      split.numbers.push_back(piece);
    } else if (split.numbers.empty()) {
      split.words += (split.words.empty() ? "" : " ") + std::string(piece);
    } else {
      return {};  // words after numbers: not values written without commas
    }
  }
  return split;
}

std::string_view file_noun(TextFile file) {
  return file == TextFile::kLine ? "line file" : "train file";
}

// Whether a line ends between two fields.
bool line_ends_between(const RecordedField& before, const RecordedField& after) {
  return after.at.line > before.end_line;
}

}  // namespace

SourceRange span_of_part(const RecordedField& field, std::string_view part) {
  if (field.end_line != field.at.line) return span_of(field);
  const int column = field.at.column + (is_quoted(field) ? 1 : 0) +
                     static_cast<int>(part.data() - field.text.data());
  return {{field.at.line, column}, {field.at.line, column + static_cast<int>(part.size())}};
}

SourceRange trimmed_span(const RecordedField& field) {
  if (is_quoted(field)) return span_of(field);
  return {field.at, span_of_part(field, trimmed_field(field.text)).end};
}

// The rows of one file, checked as they are told. A keyword field's last
// row is checked for fields after it on its line once the next keyword
// field's first record shows whether that line held more.
class RecordLint::FileLint {
 public:
  FileLint(LintContext& context, RowListener* next) : context_(context), next_(next) {}
  // A copy of `from`'s state that checks into `context`.
  FileLint(const FileLint& from, LintContext& context)
      : context_(context),
        next_(from.next_),
        open_(from.open_),
        done_(from.done_),
        field_(from.field_),
        flagged_end_line_(from.flagged_end_line_),
        cut_text_(from.cut_text_) {}

  void add(const RowRecord& record) {
    // Before the row's own checks, so that the objects it places do not
    // take back its own pending warnings.
    context_.objects_placed(record);
    if (cut_text_ && record.first_field().at.line > cut_text_->line) close_cut_text();
    if (open_ && record.keyword.begin == field_.begin) {
      note_kind(record);
      if (!done_) check_kind_row(record);
    } else {
      end_keyword_field(&record);
      begin_keyword_field(record);
    }
    extend_cut_text(record);
    if (next_) next_->row_read(record);
  }

  void finish() {
    end_keyword_field(nullptr);
    close_cut_text();
    context_.finish();
  }

 private:
  void begin_keyword_field(const RowRecord& row) {
    open_ = true;
    done_ = false;
    field_.begin = row.keyword.begin;
    field_.kinds.clear();
    const bool on_flagged_line =
        flagged_end_line_ && row.first_field().at.line <= *flagged_end_line_;
    flagged_end_line_.reset();
    warn_hyphen_in_keyword(row);
    if (!row.kind) {
      if (!on_flagged_line) warn_no_kind(row);
      done_ = true;
      return;
    }
    warn_comment_marker(row);
    note_kind(row);
    check_kind_row(row);
  }

  // The kinds one keyword field names; the field is kept from its second
  // kind on, for the warning at its end.
  void note_kind(const RowRecord& row) {
    if (!row.kind) return;
    field_.kinds.push_back(*row.kind);
    if (field_.kinds.size() != 2) return;
    field_.keyword_at = trimmed_span(row.keyword);
    field_.keyword_text.assign(trimmed_field(row.keyword.text));
  }

  // Once a row of the field has run on into the next line, the field's
  // other rows are not checked.
  void check_kind_row(const RowRecord& row) {
    const RowKindInfo& kind = row_kind(*row.kind);
    if (spilled(row, kind)) {
      done_ = true;
      return;
    }
    const bool whole = row.values.size() == kind.values.size();
    if (whole) check_values(row);
    field_.last_text.reset();
    if (whole && kind.values.back().width == ValueWidth::kText)
      field_.last_text = row.values.back();
    field_.last_kind = *row.kind;
    field_.last_end_line = row.last_field().end_line;
  }

  void end_keyword_field(const RowRecord* next) {
    if (open_ && field_.kinds.size() > 1) warn_two_kinds();
    if (open_ && !done_ && next) warn_extra_fields(*next);
    open_ = false;
  }

  // A row with all its values.
  void check_values(const RowRecord& row) {
    if (const RowCheck check = row_check(*row.kind)) check(context_, LintRow{row});
  }

  // A row whose values run on into the next line: the compile reads them
  // there, in place of that line's keyword.
  bool spilled(const RowRecord& row, const RowKindInfo& kind) {
    const RecordedField* previous = &row.keyword;
    for (size_t i = 0; i < row.values.size(); ++i) {
      if (line_ends_between(*previous, row.values[i])) {
        warn_too_few(row, i);
        return true;
      }
      previous = &row.values[i];
    }
    // A fault in the row: the value it failed on may be the next line's
    // keyword.
    const size_t found = row.values.size();
    if (row.ending != RowEnd::kFault || found == kind.values.size() ||
        row.fault_at.line <= previous->end_line) {
      return false;
    }
    warn_too_few(row, found);
    return true;
  }

  void warn_too_few(const RowRecord& row, size_t found) {
    const RowKindInfo& kind = row_kind(*row.kind);
    const std::string next_line = "the compile reads its " + std::string(kind.values[found].name) +
                                  " from the next line instead";
    const KeywordWithNumbers written = split_numbers(trimmed_field(row.keyword.text));
    if (written.numbers.empty()) {
      context_.warn(
          Warning::kTooFewValues, trimmed_span(row.keyword),
          takes(kind) + ", but this line has " + std::to_string(found) + ": " + next_line);
      return;
    }
    const std::string meant = written.with_commas();
    Finding& finding =
        context_.warn(Warning::kTooFewValues, trimmed_span(row.keyword),
                      "the keyword field " + sc::quoted(trimmed_field(row.keyword.text)) +
                          " holds numbers, but values count only after a comma: " + takes(kind) +
                          ", and this line has " + std::to_string(found) + ", so " + next_line +
                          "; separate the values with commas, not blanks, tabs or semicolons: " +
                          sc::quoted(meant));
    finding.fixes.push_back({span_of_part(row.keyword, trimmed_field(row.keyword.text)), meant});
  }

  // A field after the row's last value on its line is read as the next
  // row's keyword; a note such as "-- like this" at the line's end hides
  // nothing but itself.
  void warn_extra_fields(const RowRecord& next) {
    const RecordedField& extra = next.first_field();
    if (extra.at.line > field_.last_end_line) return;
    const RecordedField& after = next.skipped.size() > 1   ? next.skipped[1]
                                 : next.skipped.size() > 0 ? next.keyword
                                                           : extra;
    const bool note =
        contains(extra.text, "-") && &after != &extra && line_ends_between(extra, after);
    if (note) return;
    flagged_end_line_ = field_.last_end_line;
    const RowKindInfo& kind = row_kind(field_.last_kind);
    if (kind.values.back().width == ValueWidth::kText) {
      context_.warn(Warning::kTextCutAtComma, trimmed_span(extra),
                    "the " + std::string(kind.values.back().name) +
                        " ends at the comma before this: the rest is read as the next row's "
                        "keyword; put the whole text in double quotes");
      if (field_.last_text && !is_quoted(*field_.last_text)) {
        cut_text_ = CutText{context_.last_warning(), field_.last_text->at, extra.at.line, {}};
      }
      return;
    }
    context_.warn(Warning::kTooManyValues, trimmed_span(extra),
                  takes(kind) + ": this value and the rest of the line are read as further rows");
  }

  void warn_comment_marker(const RowRecord& row) {
    const std::optional<std::string_view> marker = comment_marker(row.keyword.text);
    if (!marker) return;
    Finding& finding = context_.warn(
        Warning::kCommentMarker, trimmed_span(row.keyword),
        sc::quoted(*marker) + " does not comment out a row: the keyword field " +
            sc::quoted(row.keyword.text) + " still names a " +
            std::string(row_kind(*row.kind).what) +
            " row, which applies; to switch the row off, write a hyphen in place of " +
            sc::quoted(*marker) + " (" + sc::quoted(hyphen_form(row.keyword.text, *marker)) +
            "), and begin notes with a hyphen too");
    finding.fixes.push_back({span_of_part(row.keyword, trimmed_field(row.keyword.text)),
                             hyphen_form(row.keyword.text, *marker)});
  }

  // A hyphen anywhere in a field passes the field over, so a keyword such as
  // curva-d4 switches its row off; one that begins with the hyphen does so
  // on purpose.
  void warn_hyphen_in_keyword(const RowRecord& row) {
    for (const RecordedField& field : row.skipped) {
      const std::string_view text = trimmed_field(field.text);
      if (text.starts_with("-") || !names_a_kind_of(text, row.file, row.part)) continue;
      context_.warn(Warning::kMisleadingKeyword, trimmed_span(field),
                    "the hyphen in " + sc::quoted(text) +
                        " switches the row off: a field that holds a hyphen anywhere is passed "
                        "over, and the field after it is read as the keyword; write the keyword "
                        "without the hyphen, or begin the field with it to switch the row off "
                        "on purpose");
    }
  }

  // Each kind the field names reads its own values, one kind after the other.
  void warn_two_kinds() {
    std::string kinds;
    std::string reads;
    for (const RowKind kind_of_row : field_.kinds) {
      const RowKindInfo& kind = row_kind(kind_of_row);
      kinds += (kinds.empty() ? "a " : " and a ") + std::string(kind.what) + " row";
      reads += (reads.empty() ? "" : ", then ") + count_of(kind.values.size(), "value") +
               " for the " + std::string(kind.what);
    }
    context_.warn(Warning::kMisleadingKeyword, field_.keyword_at,
                  sc::quoted(field_.keyword_text) + " names " + kinds +
                      ", since a keyword counts wherever it stands in the field: the compile "
                      "reads " +
                      reads + "; keep the words of one kind in the keyword");
  }

  // The keyword field with its comment marker replaced by a hyphen.
  static std::string hyphen_form(std::string_view keyword, std::string_view marker) {
    return "-" + std::string(trimmed_field(trimmed_field(keyword).substr(marker.size())));
  }

  void warn_no_kind(const RowRecord& row) {
    const std::string_view keyword = row.keyword.text;
    if (row.file == TextFile::kLine && row.part == RowPart::kHeader) {
      if (ends_header(keyword)) return;
      if (names_a_kind_of(keyword, TextFile::kLine, RowPart::kRows)) {
        warn_early_row(row);
        return;
      }
    } else if (row.file == TextFile::kLine) {
      // The compile without the profile passes over curve rows.
      if (names_kind(RowKind::kCurve, keyword)) return;
      if (names_a_kind_of(keyword, TextFile::kLine, RowPart::kHeader)) {
        warn_late_header_row(row);
        return;
      }
    }
    warn_unknown_keyword(row);
  }

  void warn_late_header_row(const RowRecord& row) {
    context_.warn(Warning::kUnknownKeyword, trimmed_span(row.keyword),
                  sc::quoted(row.keyword.text) +
                      " is a header row, but the header ended at the first section line after " +
                      sc::quoted(kGeneralSection) +
                      ", so the row is ignored; move it above that line");
  }

  void warn_early_row(const RowRecord& row) {
    context_.warn(Warning::kUnknownKeyword, trimmed_span(row.keyword),
                  sc::quoted(row.keyword.text) +
                      " stands in the header, where only header rows count, so the row is "
                      "ignored; rows count after the first section line below " +
                      sc::quoted(kGeneralSection) + ", such as " +
                      sc::quoted(section_name(Section::kGradients)));
  }

  void warn_unknown_keyword(const RowRecord& row) {
    const std::string_view keyword = row.keyword.text;
    if (!has_letter(keyword) || is_section_line(keyword) || comment_marker(keyword)) return;
    std::string message =
        sc::quoted(trimmed_field(keyword)) + " names no row kind, so the row is ignored";
    const RowKindInfo* nearest = nearest_kind(keyword, row.file, row.part);
    if (nearest) {
      message += ", and the " + std::string(file_noun(row.file)) + " has one " +
                 std::string(nearest->what) + " row fewer than written; did you mean " +
                 sc::quoted(nearest->keyword) + "?";
    }
    Finding& finding =
        context_.warn(Warning::kUnknownKeyword, trimmed_span(row.keyword), std::move(message));
    if (nearest) {
      finding.fixes.push_back(
          {span_of_part(row.keyword, trimmed_field(keyword)), std::string(nearest->keyword)});
    }
  }

  // The fields of a cut text's line, up to its last one, as the rows after it
  // are told; the fix-its put the text and them in double quotes.
  void extend_cut_text(const RowRecord& row) {
    if (!cut_text_) return;
    const auto extend = [&](const RecordedField& field) {
      if (field.at.line != cut_text_->line) return false;
      if (is_quoted(field) || field.end_line != field.at.line) {
        cut_text_.reset();  // a quote there would not close the text
        return false;
      }
      cut_text_->line_end = span_of(field).end;
      return true;
    };
    for (const RecordedField& field : row.skipped) {
      if (!extend(field)) return;
    }
    if (!extend(row.keyword)) return;
    for (const RecordedField& field : row.values) {
      if (!extend(field)) return;
    }
  }

  void close_cut_text() {
    if (!cut_text_) return;
    const CutText& cut = *cut_text_;
    context_.warning(cut.warning).fixes = {{{cut.text_at, cut.text_at}, "\""},
                                           {{cut.line_end, cut.line_end}, "\""}};
    cut_text_.reset();
  }

  // The keyword field being checked.
  struct KeywordField {
    size_t begin = 0;
    RowKind last_kind{};  // of its last row checked
    int last_end_line = 0;
    std::optional<RecordedField> last_text;  // its last row's text, when it ends in one
    std::vector<RowKind> kinds;              // that it names, in the order they are read
    SourceRange keyword_at;                  // kept once it names a second kind
    std::string keyword_text;
  };

  LintContext& context_;
  RowListener* next_;
  bool open_ = false;
  bool done_ = false;  // no more of the field's rows to check
  KeywordField field_;
  // The line of a row's last field whose extra fields were warned about:
  // the fields after it on its line are not warned about again.
  std::optional<int> flagged_end_line_;
  // A text cut at a comma: its warning and where the text and its line's
  // fields begin and end.
  struct CutText {
    size_t warning;
    SourceLocation text_at;
    int line;
    SourceLocation line_end;
  };
  std::optional<CutText> cut_text_;
};

Finding& LintContext::warn(Warning code, SourceRange at, std::string message) {
  return out_->emplace_back(warning_at(code, source_, at, std::move(message)));
}

void LintContext::warn_while_cell_stands(int64_t cell, Warning code, SourceRange at,
                                         std::string message) {
  pending_.push_back({cell, warning_at(code, source_, at, std::move(message))});
}

namespace {

// A stop on a slowdown's cell is left alone, as length-not-positive leaves
// it: routes write a slowdown of no length where a station stops.
bool is_slowdown_cell(uint8_t type_code) {
  return type_code == cell_type::kSlowdownStart || type_code == cell_type::kSlowdownEnd ||
         type_code == cell_type::kSlowdownWarning || type_code == cell_type::kCountdown;
}

}  // namespace

void LintContext::objects_placed(const RowRecord& row) {
  if (row.objects.empty()) return;
  std::erase_if(pending_, [&](const PendingWarning& pending) {
    return std::any_of(row.objects.begin(), row.objects.end(),
                       [&](const PlacedObject& o) { return o.cell == pending.cell; });
  });
  if (!holders || row.ending != RowEnd::kRead || row.values.empty()) return;
  for (const PlacedObject& object : row.objects) {
    const auto name = cell_object_name(object.type_code);
    if (!name) continue;
    const CellHolder holder{source_, trimmed_span(row.keyword), object.type_code, name->of_row,
                            row.values.front().number};
    const CellHolder* held = holders->find(object.cell);
    // Any other object is refused a taken cell with an error.
    if (held && row.kind == RowKind::kStation && object.type_code == cell_type::kStationStop &&
        !is_slowdown_cell(held->type_code)) {
      warn_replaced(object, holder, *held);
    }
    holders->set(object.cell, holder);
  }
}

void LintContext::warn_replaced(const PlacedObject& object, const CellHolder& by,
                                const CellHolder& lost) {
  const std::string cell_at = std::to_string(object.cell * kCellMetres);
  Finding& finding =
      warn(Warning::kObjectReplaced, by.at,
           "the " + std::string(by.what) + " of this row, at " + cell_at + " m, replaces the " +
               std::string(lost.what) + " written at " + std::to_string(lost.position) +
               " m, which stands in the same cell and is lost from the scenario; move one of "
               "the two rows by 50 m or more");
  finding.notes.push_back(
      {"the " + std::string(lost.what) + " of this row is lost", lost.source, lost.at.begin});
}

void LintContext::finish() {
  for (PendingWarning& pending : pending_) out_->push_back(std::move(pending.finding));
  pending_.clear();
}

RecordLint::RecordLint(RowListener* next)
    : line_context_(Source::kLineFile, findings_),
      train_context_(Source::kTrainFile, findings_),
      line_(std::make_unique<FileLint>(line_context_, next)),
      train_(std::make_unique<FileLint>(train_context_, next)) {
  line_context_.holders = &holders_;
  train_context_.holders = &holders_;
}

RecordLint::RecordLint(const RecordLint& from)
    : findings_(from.findings_),
      holders_(from.holders_),
      line_context_(from.line_context_, findings_, &holders_),
      train_context_(from.train_context_, findings_, &holders_),
      line_(std::make_unique<FileLint>(*from.line_, line_context_)),
      train_(std::make_unique<FileLint>(*from.train_, train_context_)),
      line_over_(from.line_over_),
      line_faulted_(from.line_faulted_) {}

RecordLint::~RecordLint() = default;

void RecordLint::row_read(const RowRecord& record) {
  if (record.file == TextFile::kLine) {
    line_faulted_ |= record.ending == RowEnd::kFault;
    line_->add(record);
    return;
  }
  if (!line_over_) {
    // The line file is over: its route length holds for the train file.
    line_->finish();
    train_context_.route_length = line_context_.route_length;
    line_over_ = true;
  }
  train_->add(record);
}

namespace {

// A train file without a row leaves every cell at a line speed of 0.
void warn_no_train_rows(LintContext& train, std::optional<int64_t> route_length) {
  if (route_length.value_or(0) <= 0) return;
  train.warn(Warning::kStartsLate, {{1, 1}, {1, 1}},
             "the train file holds no row: without a speed limit row (" +
                 keyword_of(RowKind::kSpeedLimit) +
                 ") every cell of the route gets a line speed of 0 km/h, and the route has no "
                 "station; write one at 0 m, such as " +
                 sc::quoted(keyword_of(RowKind::kSpeedLimit) + ", 0, 80") +
                 ", and one wherever the limit changes");
}

}  // namespace

std::vector<Finding> RecordLint::finish(std::string_view line_text, std::string_view train_text,
                                        const SourceEncodings& encodings) {
  line_->finish();
  train_->finish();
  check_boards_against_limits(line_context_, std::move(train_context_.limit_rows));
  // A fault in the line file leaves the train file unread.
  if (!line_over_ && !line_faulted_) warn_no_train_rows(train_context_, line_context_.route_length);
  lint_encoding(line_text, encodings.line, line_context_);
  lint_encoding(train_text, encodings.train, train_context_);
  return std::move(findings_);
}

std::vector<Finding> lint_records(const RowRecords& records, std::string_view line_text,
                                  std::string_view train_text, const SourceEncodings& encodings) {
  RecordLint lint;
  for (const RowRecord& row : records.line) lint.row_read(row);
  for (const RowRecord& row : records.train) lint.row_read(row);
  return lint.finish(line_text, train_text, encodings);
}

}  // namespace sc

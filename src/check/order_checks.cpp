#include "check/order_checks.h"

#include <algorithm>
#include <string>

#include "check/value_checks.h"
#include "format/row_kinds.h"
#include "model/cell_geometry.h"

namespace sc {
namespace {

// What the row and the one before it apply to, the cursor standing at
// `cursor` when the row comes.
std::string fill_effect(std::string_view what, int64_t cell, int64_t cursor, int64_t position) {
  const int64_t at = cursor * kCellMetres;
  if (cell <= 0) {
    return "the " + std::string(what) + " of that row applies to no cell at all, and this one's " +
           "applies from " + metres(at) + ", not from " + metres(position);
  }
  return "the " + std::string(what) + " of that row holds for one cell only, " + metres(at) +
         " to " + metres(at + kCellMetres) + ", and this one's applies from " +
         metres(at + kCellMetres) + ", not from " + metres(position);
}

}  // namespace

void check_fill_order(LintContext& context, FillOrder& fill, const LintRow& row) {
  // A row that stopped on an error (one beyond the route) filled nothing.
  if (row.record.ending != RowEnd::kRead) return;
  const int64_t position = row[0];
  const int64_t cell = cell_index(position);
  if (fill.previous_position && position < *fill.previous_position && cell <= fill.cursor) {
    const std::string_view what = row_kind(*row.record.kind).what;
    Finding& finding = context.warn(
        Warning::kOutOfOrder, row.at(0),
        "this " + std::string(what) + " at " + metres(position) + " follows one at " +
            metres(*fill.previous_position) +
            ", and the compile fills the cells in file order without going back: " +
            fill_effect(what, cell, fill.cursor, position) + "; list the rows in route order");
    finding.notes.push_back(
        {"the " + std::string(what) + " at " + metres(*fill.previous_position) + " stands here",
         context.source(), fill.previous_at});
  }
  // A row in cell 0 or before fills nothing; any other fills at least the
  // cell at the cursor.
  if (cell > 0) fill.cursor = std::max(fill.cursor + 1, cell);
  fill.previous_position = position;
  fill.previous_at = row.field(0).at;
}

void check_fill_start(LintContext& context, const FillOrder& fill, const LintRow& row) {
  if (fill.previous_position || row.record.ending != RowEnd::kRead) return;
  const int64_t cell = cell_index(row[0]);
  if (cell <= 0) return;
  const std::string what(row_kind(*row.record.kind).what);
  context.warn(Warning::kStartsLate, row.at(0),
               "this is the first " + what + " row, at " + metres(row[0]) +
                   ": the cells before it, from 0 m to " + metres(cell * kCellMetres) + ", get a " +
                   what + " of 0; begin with a row at 0 m");
}

void check_curve_order(LintContext& context, const LintRow& row) {
  const RowRecord& record = row.record;
  const int64_t start = row[0];
  const int64_t end = start + row[1];
  const int64_t laid = int64_t{record.profile_from} - 1;  // the last point computed before it
  if (context.laid_track && start < laid) {
    const std::string effect = end <= laid
                                   ? "this curve changes nothing"
                                   : "this curve bends the track only from " + metres(laid + 1) +
                                         " to " + metres(end) + ", not from " + metres(start);
    Finding& finding = context.warn(
        Warning::kOutOfOrder, row.at(0),
        "this curve at " + metres(start) + " follows one that lays the track up to " +
            metres(laid) + ", and the compile lays the track in file order without going back: " +
            effect + "; list the curves in route order");
    finding.notes.push_back({"the curve at " + metres(context.laid_track->start) +
                                 " lays the track up to " + metres(laid),
                             context.source(), context.laid_track->at});
  }
  if (record.profile_to > record.profile_from) {
    context.laid_track = LaidTrack{row.field(0).at, start};
  }
}

}  // namespace sc

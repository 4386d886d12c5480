#include "output/post_pass.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/format_rules.h"

namespace sc {
namespace {

// Slowdowns slower than this get code changes along their length.
constexpr int16_t kSlowSpeed = 110;
// Signals this many cells or fewer before a warning are served.
constexpr int32_t kLookBack = 20;
// A signal below this cell has no two cells before it that the pass may use.
constexpr int32_t kLowestSignal = 3;
// Cells between two code changes along a slowdown (400 m).
constexpr int32_t kMarkSpacing = 8;
// Cells after a slowdown's end searched for the next signal.
constexpr int32_t kEndSearch = 12;

// The three windows before a slowdown start, each three cells reaching back
// from this distance before the start; the first free cell, nearest the start
// first, takes the code change.
constexpr std::array<int32_t, 3> kWindowsBeforeStart{5, 11, 18};

// The smaller of x and y; x on a tie.
int minimo(int x, int y) {
  return x > y ? y : x;
}

std::string cell_and_metres(int32_t index) {
  return "cell " + std::to_string(index) + " (" + std::to_string(index * kCellMetres) + " m)";
}

class BlockPostPass {
 public:
  BlockPostPass(Scenario& model, ErrorLog& errors, const MarkChoice* choose)
      : cells_(model.cells),
        rows_(model.rows),
        errors_(errors),
        choose_(choose),
        last_(model.last_cell()) {}

  void run() {
    for (int32_t i = 1; i <= last_ - 2; ++i) {
      serve_signals_before_warning(i);
      mark_around_start(i);
    }
  }

 private:
  // Only for indices already known to lie in 0..last_.
  Cell& cell(int32_t index) { return cells_[static_cast<size_t>(index)]; }
  uint8_t type_at(int32_t index) { return cell(index).type_code; }

  // Marks the first free cell among the candidates; a candidate outside the
  // cells does not exist. Returns the cell marked.
  std::optional<int32_t> mark_first_free(std::initializer_list<int32_t> candidates) {
    for (const int32_t index : candidates) {
      if (index < 0 || index > last_ || !is_free(cell(index))) continue;
      if (choose_ && !(*choose_)(index)) continue;
      cell(index).type_code = cell_type::kCodeChange;
      cell(index).info1 = kInsertedCode;
      return index;
    }
    return std::nullopt;
  }

  // The error's position is that of cell `index`; it names the train-file
  // row that put its object in cell `subject`, where a row did.
  void record(ErrorCode code, int32_t index, int32_t subject, std::string message) {
    const auto row = rows_.train_cells.find(subject);
    if (row == rows_.train_cells.end()) {
      errors_.record_at(code, index * kCellMetres, Source::kRoute, {}, std::move(message));
    } else {
      errors_.record_at(code, index * kCellMetres, Source::kTrainFile, row->second,
                        std::move(message));
    }
  }

  void serve_signals_before_warning(int32_t warning) {
    if (type_at(warning) != cell_type::kSlowdownWarning) return;
    const int32_t lowest = std::max(warning - kLookBack, kLowestSignal);
    for (int32_t s = warning - 1; s >= lowest; --s) {
      if (type_at(s) == cell_type::kSignal) serve_signal(s, warning);
    }
  }

  // A signal before a warning gets a code change in one of its two preceding
  // cells; an existing code change there is capped at the inserted value.
  void serve_signal(int32_t s, int32_t warning) {
    if (mark_first_free({s - 1, s - 2})) return;
    for (const int32_t index : {s - 1, s - 2}) {
      Cell& before = cell(index);
      if (before.type_code == cell_type::kCodeChange) {
        before.info1 = static_cast<int16_t>(minimo(kInsertedCode, before.info1));
        return;
      }
    }
    record(ErrorCode::kSignalBeforeWarningBlocked, s, s,
           "the signal at " + cell_and_metres(s) + " before the slowdown warning at cell " +
               std::to_string(warning) + " has no free cell before it for its code change: cells " +
               std::to_string(s - 1) + " and " + std::to_string(s - 2) +
               " are occupied and neither is a code-change cell");
  }

  void mark_around_start(int32_t start) {
    if (type_at(start) != cell_type::kSlowdownStart) return;
    mark_windows_before_start(start);
    if (cell(start).info1 >= kSlowSpeed) return;
    if (const std::optional<int32_t> end = mark_along_slowdown(start)) {
      mark_before_signal_after_end(*end);
    }
  }

  void mark_windows_before_start(int32_t start) {
    for (const int32_t nearest : kWindowsBeforeStart) {
      // A window is used only when all its cells lie at index 1 or more.
      const int32_t first = start - nearest;
      if (first - 2 < 1) continue;
      if (mark_first_free({first, first - 1, first - 2})) continue;
      record(ErrorCode::kWindowBeforeStartBlocked, start, start,
             "the slowdown start at " + cell_and_metres(start) +
                 " has no free cell for a code change among cells " + std::to_string(first - 2) +
                 " to " + std::to_string(first));
    }
  }

  // Places a code change every kMarkSpacing cells after the start and returns
  // the end cell; nothing when the cells run out before an end cell.
  std::optional<int32_t> mark_along_slowdown(int32_t start) {
    int32_t since_mark = 0;
    for (int32_t k = start + 1; k <= last_; ++k) {
      ++since_mark;
      if (since_mark == kMarkSpacing) since_mark = mark_due_cell(k, start);
      if (type_at(k) == cell_type::kSlowdownEnd) return k;
    }
    record(ErrorCode::kSlowdownMarkBlocked, last_, start,
           "the slowdown starting at cell " + std::to_string(start) +
               " has no end cell up to the last cell, " + cell_and_metres(last_));
    return std::nullopt;
  }

  // Marks cell k or a neighbour and returns the new count of cells since the
  // last mark, so that the next mark lands kMarkSpacing cells after this one.
  // When all three are occupied the count stays at kMarkSpacing and runs past
  // it: no further marks along this slowdown.
  int32_t mark_due_cell(int32_t k, int32_t start) {
    if (const std::optional<int32_t> marked = mark_first_free({k, k - 1, k + 1})) {
      return k - *marked;
    }
    const std::string blocked =
        k < last_
            ? "cells " + std::to_string(k - 1) + " to " + std::to_string(k + 1) + " are occupied"
            : "cells " + std::to_string(k - 1) + " and " + std::to_string(k) +
                  " are occupied and no cell follows the last";
    record(ErrorCode::kSlowdownMarkBlocked, k, start,
           "the code change due at " + cell_and_metres(k) +
               " along the slowdown starting at cell " + std::to_string(start) +
               " finds no free cell: " + blocked);
    return kMarkSpacing;
  }

  // The first signal within kEndSearch cells after the end gets a code change
  // in one of its two preceding cells. The end lies after a start at cell 1 or
  // more, so such a signal stands at cell 3 or more.
  void mark_before_signal_after_end(int32_t end) {
    const int32_t search_last = std::min(end + kEndSearch, last_);
    for (int32_t t = end; t <= search_last; ++t) {
      if (type_at(t) != cell_type::kSignal) continue;
      if (!mark_first_free({t - 1, t - 2})) {
        record(ErrorCode::kSlowdownMarkBlocked, end, t,
               "the signal at cell " + std::to_string(t) + " after the slowdown end at " +
                   cell_and_metres(end) +
                   " has no free cell before it for its code change: cells " +
                   std::to_string(t - 1) + " and " + std::to_string(t - 2) + " are occupied");
      }
      return;
    }
  }

  std::vector<Cell>& cells_;
  const RowPlaces& rows_;
  ErrorLog& errors_;
  const MarkChoice* choose_;
  const int32_t last_;
};

}  // namespace

void block_post_pass(Scenario& model, ErrorLog& errors) {
  BlockPostPass(model, errors, nullptr).run();
}

void block_post_pass(Scenario& model, ErrorLog& errors, const MarkChoice& choose) {
  BlockPostPass(model, errors, &choose).run();
}

}  // namespace sc

#pragma once

#include <cstdint>
#include <string_view>

#include "check/lint.h"
#include "model/model.h"

namespace sc {

// Checks of single values shared by the row kinds of both files. `what`
// names the value in the message ("the signal's position").

// Which cell a position gives: its own (gradients, speed limits, adhesion,
// tunnels, abbattimento points), or the one after it (boards, signals,
// slowdowns), as the object rules place them.
enum class GridCell { kOwn, kObject };

// The warnings of the checks below, told apart from their tests so that the
// tests, made for every row, stay small enough to inline.
void warn_off_grid(LintContext& context, std::string_view what, int64_t metres,
                   const RecordedField& field, GridCell cell);
void warn_beyond_route(LintContext& context, std::string_view what, int64_t position,
                       SourceRange at);
void warn_does_not_fit(LintContext& context, std::string_view what, int64_t value, SourceRange at,
                       int64_t low, int64_t high, int64_t stored);

// A position or length in metres off the 50 m grid, with where the compile
// puts it; `field` holds the number that moves it (the position, or the
// length of which it is the end).
inline void check_grid(LintContext& context, std::string_view what, int64_t metres,
                       const RecordedField& field, GridCell cell) {
  if (metres % kCellMetres != 0) warn_off_grid(context, what, metres, field, cell);
}

// A position past the route's end, in the run-out after it.
inline void check_on_route(LintContext& context, std::string_view what, int64_t position,
                           SourceRange at) {
  if (context.route_length && position > *context.route_length) {
    warn_beyond_route(context, what, position, at);
  }
}

// The end of an object that starts on the route, `end` metres, past the
// route's end; `then` says what follows ("its train stops past the end").
void check_end_on_route(LintContext& context, std::string_view object, std::string_view what,
                        int64_t end, SourceRange at, std::string_view then);

// A curve's, slowdown's or station's length of zero or less; `effect` says
// what the row then does ("bends nothing").
void check_length(LintContext& context, std::string_view object, int64_t length, SourceRange at,
                  std::string_view effect);

// A value outside `low` to `high`, which its field stores as `stored`.
inline void check_fits(LintContext& context, std::string_view what, int64_t value, SourceRange at,
                       int64_t low, int64_t high, int64_t stored) {
  if (value < low || value > high) warn_does_not_fit(context, what, value, at, low, high, stored);
}
// The same for a 16-bit field that keeps the low bits.
void check_fits_16(LintContext& context, std::string_view what, int64_t value, SourceRange at);

// Hours 0 to 23, minutes and seconds 0 to 59; the first value out of range
// is reported.
void check_time_of_day(LintContext& context, std::string_view what, const LintRow& row,
                       size_t hours_index);

// "1200 m"
std::string metres(int64_t value);

// "8:05:00"
std::string clock_text(int64_t seconds_of_day);

}  // namespace sc

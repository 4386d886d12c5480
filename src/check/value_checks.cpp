#include "check/value_checks.h"

#include <cstdint>
#include <string>
#include <utility>

#include "model/cell_geometry.h"
#include "model/object_rules.h"

namespace sc {
namespace {

std::string two_digits(int64_t value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string metres(int64_t value) {
  return std::to_string(value) + " m";
}

void warn_off_grid(LintContext& context, std::string_view what, int64_t value,
                   const RecordedField& field, GridCell cell) {
  const bool object = cell == GridCell::kObject;
  const int64_t index = object ? object_cell(value) : cell_index(value);
  const int64_t rounded = object ? object_position(index) : index * kCellMetres;
  std::string message = std::string(what) + " " + metres(value) +
                        " is not a multiple of 50 m: the compile rounds it to " + metres(rounded);
  if (object) {
    message += ", and the object stands in the cell after that, from " +
               metres(index * kCellMetres) + " to " + metres((index + 1) * kCellMetres);
  }
  Finding& finding = context.warn(Warning::kOffGrid, span_of(field), std::move(message));
  finding.fixes.push_back({span_of(field), std::to_string(field.number + rounded - value)});
}

void warn_beyond_route(LintContext& context, std::string_view what, int64_t position,
                       SourceRange at) {
  context.warn(Warning::kBeyondRouteEnd, at,
               std::string(what) + " " + metres(position) + " lies beyond the route's end at " +
                   metres(*context.route_length) +
                   ": it lands in the run-out after the route; positions on the route go up to " +
                   metres(*context.route_length));
}

void check_end_on_route(LintContext& context, std::string_view object, std::string_view what,
                        int64_t end, SourceRange at, std::string_view then) {
  if (!context.route_length || end <= *context.route_length) return;
  context.warn(Warning::kBeyondRouteEnd, at,
               std::string(object) + " runs past the route's end at " +
                   metres(*context.route_length) + ": " + std::string(what) + " lies at " +
                   metres(end) + ", so " + std::string(then));
}

void check_length(LintContext& context, std::string_view object, int64_t length, SourceRange at,
                  std::string_view effect) {
  if (length > 0) return;
  context.warn(Warning::kLengthNotPositive, at,
               "a " + std::string(object) + " of length " + metres(length) + " " +
                   std::string(effect) + "; give its length in metres, greater than 0");
}

void warn_does_not_fit(LintContext& context, std::string_view what, int64_t value, SourceRange at,
                       int64_t low, int64_t high, int64_t stored) {
  context.warn(Warning::kValueWraps, at,
               std::string(what) + " " + std::to_string(value) + " does not fit its field (" +
                   std::to_string(low) + " to " + std::to_string(high) +
                   "): " + std::to_string(stored) + " is stored instead");
}

void check_fits_16(LintContext& context, std::string_view what, int64_t value, SourceRange at) {
  check_fits(context, what, value, at, INT16_MIN, INT16_MAX, static_cast<int16_t>(value));
}

void check_time_of_day(LintContext& context, std::string_view what, const LintRow& row,
                       size_t hours_index) {
  const struct {
    const char* unit;
    int64_t highest;
  } parts[] = {{"hour", 23}, {"minute", 59}, {"second", 59}};
  for (size_t k = 0; k < 3; ++k) {
    const int64_t value = row[hours_index + k];
    if (value >= 0 && value <= parts[k].highest) continue;
    context.warn(Warning::kTimeRange, row.at(hours_index + k),
                 std::string(what) + " has " + std::to_string(value) + " as its " + parts[k].unit +
                     ": it must lie from 0 to " + std::to_string(parts[k].highest));
    return;
  }
}

std::string clock_text(int64_t seconds_of_day) {
  const ClockTime clock = station_clock(seconds_of_day);
  return std::to_string(clock.hours) + ":" + two_digits(clock.minutes) + ":" +
         two_digits(clock.seconds);
}

}  // namespace sc

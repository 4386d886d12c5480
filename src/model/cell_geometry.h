#pragma once

#include <cstdint>
#include <string_view>

#include "model/error_log.h"
#include "model/model.h"
#include "textio/fault.h"

namespace sc {

// Cell index of a position: position / 50 + offset, divided in floating point
// and then rounded half to even. The offset is added before rounding.
int64_t cell_index(int64_t position, int offset = 0);

// (position + margin) / 50, computed exactly, does not exceed the last cell.
bool position_fits(int64_t position, int64_t margin, int64_t last_cell);

// Margins of the position check, in metres: stations need more room than
// every other positioned row.
constexpr int32_t kRowMargin = 100;
constexpr int32_t kStationMargin = 800;

// The position check every positioned row of either text file makes before
// touching a cell. Records error 15 against `source` at `position_at` and
// returns false when the row lies too far along the route; throws Fault when
// the route has no cells yet.
[[nodiscard]] bool position_accepted(const Scenario& model, ErrorLog& errors, Source source,
                                     int32_t position, int32_t margin, SourceLocation position_at,
                                     std::string_view row_kind);

}  // namespace sc

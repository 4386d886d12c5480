#pragma once

#include <cstdint>
#include <string_view>

#include "format/row_record.h"
#include "model/error_log.h"
#include "model/flow.h"
#include "model/model.h"
#include "textio/stop_flag.h"

namespace sc {

// Whether the compile call builds the plan-view profile of the track (and
// the caller writes the line profile file).
enum class ProfileChoice { kWithout, kBuild };

struct LineResult {
  // kGoOn when the end step ran (normal end or error 15) and the train half
  // follows; kStop when an error stopped the half.
  Flow end = Flow::kGoOn;
  // The next free text-board entry; stations must stay below it.
  int board_cursor = entry::kFirstBoard;
};

// The line half of the compile call: reads the line text `text` into `model`
// (which arrives with a cleared table), creating the cells and, when chosen,
// the profile. Records errors in `errors`. Throws Fault, with the
// location of the field at fault, for every failure of the trap kind.
// `listener`, when given, is told of every row read. Throws WorkStopped
// once `stop` is set.
LineResult compile_line_file(std::string_view text, ProfileChoice profile, Scenario& model,
                             ErrorLog& errors, RowListener* listener = nullptr,
                             const StopFlag& stop = {});

}  // namespace sc

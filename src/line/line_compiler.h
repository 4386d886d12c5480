#pragma once

#include <cstdint>
#include <string_view>

#include "model/error_log.h"
#include "model/model.h"

namespace sc {

// How a compile half ended.
enum class HalfEnd {
  kFinished,  // its end step ran (normal end or error 15): the next half runs
  kStopped,   // an error stopped it: the call returns
};

struct LineResult {
  HalfEnd end = HalfEnd::kFinished;
  // The next free text-board entry; stations must stay below it.
  int board_cursor = entry::kFirstBoard;
};

// The line half of the compile call: reads the line text `text` into `model`
// (which arrives with a cleared table), creating the cells and, when `j` is
// non-zero, the profile. Records errors in `errors`. Throws Fault, with the
// location of the field at fault, for every failure of the trap kind.
LineResult compile_line_file(std::string_view text, int32_t j, Scenario& model, ErrorLog& errors);

}  // namespace sc

#pragma once

#include <string_view>

#include "format/row_record.h"
#include "model/error_log.h"
#include "model/model.h"
#include "textio/stop_flag.h"

namespace sc {

// The train half of the compile call, run after the line half has finished
// (normally or with error 15). `board_cursor` comes from the line half and
// bounds the station entries. Records errors in `errors`; throws Fault, with
// the location of the field at fault, for every failure of the trap kind.
// `listener`, when given, is told of every row read. Throws WorkStopped once
// `stop` is set.
void compile_train_file(std::string_view text, int board_cursor, Scenario& model, ErrorLog& errors,
                        RowListener* listener = nullptr, const StopFlag& stop = {});

}  // namespace sc

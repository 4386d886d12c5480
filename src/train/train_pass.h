#pragma once

#include <cstdint>
#include <string_view>

#include "format/row_reader.h"
#include "model/cell_fill.h"
#include "model/cell_geometry.h"
#include "model/error_log.h"
#include "model/flow.h"
#include "model/model.h"

namespace sc {

// The state of one compile of a train text file: what its rows mean.
struct TrainPass final : RowHandler {
  TrainPass(int board_cursor, Scenario& model, ErrorLog& errors)
      : model(model), errors(errors), board_cursor(board_cursor) {}

  Flow row(RowValues& values) override;

  Scenario& model;
  ErrorLog& errors;
  int board_cursor;  // stations must stay below this entry
  CellFill speeds;
  CellFill adhesions;
  int station_index = entry::kFirstStation;
  int previous_station_line = 0;    // of the last station row stored
  SourceLocation keyword_location;  // of the row being read
};

// Each row kind's handler: what its values mean. Every kind of the train file
// has one.
template <RowKind>
Flow read_row(TrainPass& pass, RowValues& row) = delete;

// The position check of a positioned row of the train file.
inline bool position_accepted(TrainPass& pass, int32_t position, int32_t margin,
                              SourceLocation position_location, std::string_view row_kind) {
  return position_accepted(pass.model, pass.errors, Source::kTrainFile, position, margin,
                           position_location, row_kind);
}

}  // namespace sc

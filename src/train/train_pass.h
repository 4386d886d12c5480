#pragma once

#include <cstdint>
#include <string_view>

#include "format/row_recorder.h"
#include "model/cell_fill.h"
#include "model/cell_geometry.h"
#include "model/error_log.h"
#include "model/model.h"
#include "textio/field_reader.h"
#include "textio/stop_flag.h"

namespace sc {

// The read state of one train text file, alive for one compile call.
struct TrainPass {
  TrainPass(std::string_view text, int board_cursor, Scenario& model, ErrorLog& errors,
            const StopFlag& stop = {})
      : reader(text), model(model), errors(errors), board_cursor(board_cursor), stop(stop) {}

  FieldReader reader;
  KeywordMatcher keywords{TextFile::kTrain};
  Scenario& model;
  ErrorLog& errors;
  int board_cursor;  // stations must stay below this entry
  const StopFlag stop;
  CellFill speeds;
  CellFill adhesions;
  int station_index = entry::kFirstStation;
  int previous_station_line = 0;  // of the last station row stored
  SourceLocation keyword_location;
  RowRecorder* rows = nullptr;  // when someone listens
};

// The position check of a positioned row of the train file.
inline bool position_accepted(TrainPass& pass, int32_t position, int32_t margin,
                              SourceLocation position_location, std::string_view row_kind) {
  return position_accepted(pass.model, pass.errors, Source::kTrainFile, position, margin,
                           position_location, row_kind);
}

}  // namespace sc

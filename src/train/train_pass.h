#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/error_log.h"
#include "model/model.h"
#include "textio/field_reader.h"

namespace sc {

// How a row handler leaves the row loop.
enum class RowEnd {
  kNextRow,  // the row is stored: read the next keyword
  kEndStep,  // error 15: the end step still runs
  kStopped,  // an error stopped the pass: no end step
};

// A per-cell profile filled by rows in file order (speed limit, adhesion): the
// value of a row applies from its own cell up to the cell before the next row.
struct CellFill {
  using Store = void (*)(Cell&, int32_t value, SourceLocation value_location);
  CellFill(Store store, std::string_view row_kind) : store(store), row_kind(row_kind) {}

  Store store;
  std::string_view row_kind;
  int32_t cursor = 0;  // first cell not yet filled
  int32_t previous = 0;
  SourceLocation previous_location;
};

// The read state of one train text file, alive for one compile call.
struct TrainPass {
  TrainPass(std::string_view text, int board_cursor, Scenario& model, ErrorLog& errors,
            CellFill speed, CellFill adhesion)
      : reader(text),
        model(model),
        errors(errors),
        board_cursor(board_cursor),
        speed(speed),
        adhesion(adhesion) {}

  FieldReader reader;
  Scenario& model;
  ErrorLog& errors;
  int board_cursor;  // stations must stay below this entry
  CellFill speed;
  CellFill adhesion;
  int station_index = entry::kFirstStation;
  SourceLocation keyword_location;
};

// Row margins of the position check, in metres.
constexpr int32_t kRowMargin = 100;
constexpr int32_t kStationMargin = 800;

// The position check of a positioned row. Records error 15 and returns false
// when the row lies too far along the route.
bool position_accepted(TrainPass& pass, int32_t position, int32_t margin,
                       SourceLocation position_location, std::string_view row_kind);

// "cell 40 already holds a signal": for messages about occupied cells.
std::string cell_taken(int64_t index, const Cell& cell);

RowEnd read_station_row(TrainPass& pass);
RowEnd read_signal_row(TrainPass& pass);
RowEnd read_slowdown_row(TrainPass& pass);
RowEnd read_abbattimento_row(TrainPass& pass);

}  // namespace sc

#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/row_kinds.h"
#include "model/error_log.h"
#include "model/model.h"
#include "train/train_compiler.h"

namespace sc::testing {

// The built-in route of 27000 m: cells 0 to 680.
constexpr int kBuiltInCells = 681;
constexpr int kNoBoards = entry::kFirstBoard;

// The cells and table as a line file without objects leaves them.
inline Scenario empty_route(int cells = kBuiltInCells) {
  Scenario model;
  model.cells.resize(static_cast<size_t>(cells));
  model.table[entry::kLineHeader].text = "Vardeo_Lustrella";
  model.table[entry::kTrainHeader].text = "K7306";
  return model;
}

// A train text: the general section, the rows, and a closing section line
// (the last field of a file is never processed).
inline std::string train_text(const std::vector<std::string>& rows) {
  std::string text = std::string(kGeneralSection) + "\r\n";
  for (const std::string& row : rows) {
    text.append(row);
    text.append("\r\n");
  }
  return text + "[fine]\r\n";
}

struct TrainRun {
  Scenario model;
  ErrorLog errors;
};

inline TrainRun compile_train(std::string_view text, Scenario model = empty_route(),
                              int board_cursor = kNoBoards, ErrorLog errors = {}) {
  TrainRun run{std::move(model), std::move(errors)};
  compile_train_file(text, board_cursor, run.model, run.errors);
  return run;
}

}  // namespace sc::testing

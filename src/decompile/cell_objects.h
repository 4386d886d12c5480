#pragma once

#include <string>
#include <vector>

#include "format/row_kinds.h"
#include "format/row_writer.h"
#include "model/model.h"

namespace sc {

// A row of the train file with the section it stands under.
struct SectionRow {
  Section section;
  Row row;
};

// The rows that place the objects found in a compiled model's cells and
// table, grouped as the two files take them.
struct ObjectRows {
  // Line file.
  std::vector<Row> speed_boards;
  std::vector<Row> text_boards;  // in entry order, 80 downwards
  // Train file, in file order: slowdowns that a station's stop cell covers
  // come before the stations; stations and signals are interleaved where
  // approach marks overwrite each other.
  std::vector<SectionRow> train;
};

// Works back the boards, stations, signals, slowdowns and code-change points
// of a compiled model. Throws DecompileError for a cell or an entry that no
// row gives.
ObjectRows object_rows(const Scenario& compiled);

}  // namespace sc

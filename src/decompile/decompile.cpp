#include "decompile/decompile.h"

#include <algorithm>
#include <string>

#include "decompile/cell_objects.h"
#include "decompile/line_rows.h"
#include "format/row_kinds.h"
#include "format/row_writer.h"
#include "model/object_rules.h"
#include "textio/rounding.h"

namespace sc {
namespace {

constexpr int kRepetitionCodeNine = 9;

// The cells and the profile must have the sizes the route length gives.
void check_sizes(const Scenario& compiled) {
  const int32_t length = compiled.table[entry::kFigures].*slot::kRouteLength;
  if (length < 0 || length > kLongestRoute) {
    throw DecompileError("the route length " + std::to_string(length) +
                         " m in entry 84 lies outside 0 to 1000000 m");
  }
  const int64_t cells = round_half_even((length + kRunOut) / double{kCellMetres}) + 1;
  if (static_cast<int64_t>(compiled.cells.size()) != cells) {
    throw DecompileError("the cell file holds " + std::to_string(compiled.cells.size()) +
                         " cells, but a route of " + std::to_string(length) + " m has " +
                         std::to_string(cells));
  }
  if (compiled.profile && compiled.profile->last_point() != length + kRunOut) {
    throw DecompileError("the line profile ends at point " +
                         std::to_string(compiled.profile->last_point()) + ", but a route of " +
                         std::to_string(length) + " m ends at point " +
                         std::to_string(length + kRunOut));
  }
}

template <typename Field>
std::vector<uint8_t> cell_bytes(const std::vector<Cell>& cells, Field field) {
  std::vector<uint8_t> bytes;
  bytes.reserve(cells.size());
  for (const Cell& cell : cells) bytes.push_back(cell.*field);
  return bytes;
}

void write_rows(TextRows& text, std::string_view section, const std::vector<Row>& rows) {
  text.section(section);
  for (const Row& row : rows) text.row(row);
}

void write_line_header(TextRows& text, const ScenarioTable& table) {
  const TableEntry& line = table[entry::kLineHeader];
  const TableEntry& train = table[entry::kTrainHeader];
  text.section(section_name(Section::kGeneral));
  text.row({keyword_of(RowKind::kRouteLength),
            {table[entry::kFigures].*slot::kRouteLength},
            std::nullopt});
  for (const Row& row : reference_rows(table)) text.row(row);
  text.row({keyword_of(RowKind::kBackgroundUno), {line.*slot::kBackgroundUno}, std::nullopt});
  text.row({keyword_of(RowKind::kBackgroundDue), {line.*slot::kBackgroundDue}, std::nullopt});
  text.row({keyword_of(RowKind::kBackgroundTre), {line.*slot::kBackgroundTre}, std::nullopt});
  const int32_t code =
      train.*slot::kRepetitionCode == kRepetitionCodeNine ? kRepetitionCodeNine : 4;
  text.row({repetition_keyword(code),
            {train.*slot::kRepetitionFirst, train.*slot::kRepetitionSecond},
            std::nullopt});
}

std::string line_text(const Scenario& compiled, const ObjectRows& objects) {
  TextRows text;
  write_line_header(text, compiled.table);
  write_rows(text, section_name(Section::kGradients),
             fill_rows(keyword_of(RowKind::kGradient), cell_bytes(compiled.cells, &Cell::gradient),
                       [](uint8_t b) { return int64_t{gradient_per_mille(b)}; }));
  if (compiled.profile)
    write_rows(text, section_name(Section::kCurves),
               curve_rows(*compiled.profile, compiled.last_cell()));
  write_rows(text, section_name(Section::kTunnels), tunnel_rows(compiled.cells));
  write_rows(text, section_name(Section::kSpeedBoards), objects.speed_boards);
  write_rows(text, section_name(Section::kTextBoards), objects.text_boards);
  text.section(section_name(Section::kEnd));
  return text.take();
}

void write_train_values(TextRows& text, const ScenarioTable& table) {
  const TableEntry& figures = table[entry::kFigures];
  const TableEntry& train = table[entry::kTrainHeader];
  text.section(section_name(Section::kGeneral));
  text.row({keyword_of(RowKind::kCars), {figures.*slot::kCars}, std::nullopt});
  text.row({keyword_of(RowKind::kBrakedMass), {figures.*slot::kBrakedMass}, std::nullopt});
  text.row({keyword_of(RowKind::kSand), {train.*slot::kSand}, std::nullopt});
  text.row({keyword_of(RowKind::kClock),
            {train.*slot::kClockHour, train.*slot::kClockMinute, train.*slot::kClockSecond},
            std::nullopt});
}

std::string train_text(const Scenario& compiled, const ObjectRows& objects) {
  TextRows text;
  write_train_values(text, compiled.table);
  write_rows(text, section_name(Section::kAdhesions),
             fill_rows(keyword_of(RowKind::kAdhesion), cell_bytes(compiled.cells, &Cell::adhesion),
                       [](uint8_t b) { return int64_t{b}; }));
  write_rows(
      text, section_name(Section::kSpeedLimits),
      fill_rows(keyword_of(RowKind::kSpeedLimit), cell_bytes(compiled.cells, &Cell::speed_limit),
                [](uint8_t b) { return int64_t{line_speed_kmh(b)}; }));
  for (const SectionRow& row : objects.train) {
    text.section(section_name(row.section));
    text.row(row.row);
  }
  text.section(section_name(Section::kEnd));
  return text.take();
}

}  // namespace

DecompiledTexts decompile(const Scenario& compiled) {
  check_sizes(compiled);
  const ObjectRows objects = object_rows(compiled);
  DecompiledTexts texts;
  texts.line = line_text(compiled, objects);
  texts.train = train_text(compiled, objects);
  if (!compiled.profile) {
    texts.warnings.push_back(
        "without the line profile file the curves cannot be recovered: the line text has no "
        "curve rows, so compiled with a profile it gives straight track");
  }
  return texts;
}

}  // namespace sc

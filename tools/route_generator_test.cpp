#include "route_generator.h"

#include <gtest/gtest.h>

#include <set>

#include "dense_route.h"
#include "driver/pipeline.h"

namespace sc {
namespace {

RunOutcome compile(const RouteTexts& texts) {
  return memorizza_percorso({texts.line, texts.train}, "Gen", "T1", ProfileChoice::kBuild);
}

std::string first_diagnostic(const RunOutcome& run) {
  if (run.errors.diagnostics().empty()) return "";
  const Finding& d = run.errors.diagnostics().front();
  return "error " + std::to_string(d.error_number()) + " at line " +
         std::to_string(d.location.line) + ": " + d.message;
}

TEST(GenerateRoute, EveryLengthCompilesWithoutARecordedError) {
  // Below one block, a block and a remainder, a station per block, the
  // longest route (where the stations and boards reach their limits).
  for (const int32_t length : {0, 3999, 10000, 123456, 250000, kLongestRoute}) {
    SCOPED_TRACE(length);
    const RunOutcome run = compile(generate_route(length));
    EXPECT_EQ(run.fatal_error, 0);
    EXPECT_EQ(run.errors.error_number(), 0);
    EXPECT_EQ(first_diagnostic(run), "");
  }
}

TEST(GenerateRoute, DenseRouteOfEveryLengthCompilesWithoutARecordedError) {
  // Below a kilometre, fewer kilometres than text boards, the longest route.
  for (const int32_t length : {0, 999, 3999, 61000, kLongestRoute}) {
    SCOPED_TRACE(length);
    const RunOutcome run = compile(dense_route(length));
    EXPECT_EQ(run.fatal_error, 0);
    EXPECT_EQ(first_diagnostic(run), "");
  }
}

TEST(GenerateRoute, PlacesEveryKindOfCellObjectAndFillsTheTable) {
  const RunOutcome run = compile(generate_route(kLongestRoute));
  ASSERT_EQ(first_diagnostic(run), "");
  std::set<int> types;
  for (const Cell& cell : run.model.cells) types.insert(cell.type_code);
  // Signals, slowdown end, start, warning, countdown, speed boards, station
  // stops, tunnel markers, code changes, abbattimento, text boards.
  EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14}));
  int stations = 0;
  int boards = 0;
  for (int e = entry::kFirstStation; e <= entry::kFirstBoard; ++e) {
    const TableEntry& entry = run.model.table[static_cast<size_t>(e)];
    if (entry.value3 != 0 && !entry.text.empty()) ++stations;
    if (entry.value3 == 0 && !entry.text.empty()) ++boards;
  }
  EXPECT_EQ(stations, 60);
  EXPECT_EQ(boards, 18);
}

TEST(GenerateRoute, RejectsLengthsOutsideTheRoutesALineFileMayDescribe) {
  EXPECT_THROW(generate_route(-1), std::invalid_argument);
  EXPECT_THROW(generate_route(kLongestRoute + 1), std::invalid_argument);
}

}  // namespace
}  // namespace sc

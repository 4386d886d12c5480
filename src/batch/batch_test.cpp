#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "batch/build_log.h"
#include "batch/parallel.h"
#include "batch/shared_line.h"
#include "model/serialize.h"

namespace sc {
namespace {

TEST(BuildLog, KeepsEachSetsRecordAndDropsWhatItCannotRead) {
  BuildLog log;
  log.set("L_T1", {"00ff", {"12:34", "-"}});
  log.set("L_T2", {"abcd", {}});
  log.set("bad\tname", {"1", {}});
  const BuildLog read = BuildLog::parse(log.text() + "no tab here\n\tnameless\n");
  ASSERT_NE(read.find("L_T1"), nullptr);
  EXPECT_EQ(*read.find("L_T1"), (BuildRecord{"00ff", {"12:34", "-"}}));
  EXPECT_EQ(*read.find("L_T2"), (BuildRecord{"abcd", {}}));
  EXPECT_EQ(read.find("bad\tname"), nullptr);
  EXPECT_EQ(read.find("no tab here"), nullptr);
  EXPECT_EQ(read.text(), log.text());
  // Another program's file, or another version's, holds no record.
  EXPECT_EQ(BuildLog::parse("L_T1\t00ff\n").find("L_T1"), nullptr);
}

TEST(BuildLog, DigestTakesEachPartWhole) {
  EXPECT_EQ(digest_of({"ab", "c"}), digest_of({"ab", "c"}));
  EXPECT_NE(digest_of({"ab", "c"}), digest_of({"a", "bc"}));
  EXPECT_NE(digest_of({"ab"}), digest_of({"ab", ""}));
  EXPECT_EQ(digest_of({}).size(), 16u);
}

TEST(Parallel, RunsEveryIndexOnceAndHandsOnTheFirstFailure) {
  for (const unsigned jobs : {0u, 1u, 3u, 64u}) {
    std::vector<std::atomic<int>> runs(50);
    for_each_in_parallel(runs.size(), jobs, [&](size_t i) { ++runs[i]; });
    for (const auto& r : runs) EXPECT_EQ(r, 1);
  }
  // On one thread the order is known: nothing starts after the failing index.
  // On several, the failure is handed on; how many others started by then
  // depends on the scheduler.
  for (const unsigned jobs : {1u, 2u}) {
    std::atomic<int> started{0};
    EXPECT_THROW(for_each_in_parallel(1000, jobs,
                                      [&](size_t i) {
                                        ++started;
                                        if (i == 3) throw std::runtime_error("stop");
                                      }),
                 std::runtime_error);
    if (jobs == 1) {
      EXPECT_EQ(started, 4);
    }
  }
}

struct Rows final : RowListener {
  std::vector<std::string> keywords;
  void row_read(const RowRecord& row) override {
    keywords.emplace_back(row.keyword.text);
    keywords.push_back(std::to_string(row.values.size()));
  }
};

// Each train of a line compiled once gets the run and the rows a whole
// compile of its pair gives.
TEST(SharedLine, EachTrainGetsTheRunAndRowsOfItsWholeCompile) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 3000\r\n[righe]\r\npendenza, 100, 5\r\n"
      "curvad5, 200, 300\r\n[fine]\r\n";
  const std::string trains[] = {"[generale]\r\nvetture, 2\r\n[fine]\r\n",
                                "[generale]\r\nvetture, x\r\n[fine]\r\n"};
  const SharedLine shared = compile_shared_line(line, "L", 1, true);
  ASSERT_TRUE(shared.profile);
  for (const std::string& train : trains) {
    Rows whole_rows, rows;
    const RunOutcome whole =
        memorizza_percorso({line, train}, "L", "T", 1, RowErrors::kStopTheFile, &whole_rows);
    const RunOutcome run = compile_train_against(shared, train, "T", &rows);
    EXPECT_EQ(serialize_table(run.model.table), serialize_table(whole.model.table));
    EXPECT_EQ(serialize_cells(run.model.cells), serialize_cells(whole.model.cells));
    EXPECT_EQ(run.errors.diagnostics().size(), whole.errors.diagnostics().size());
    EXPECT_FALSE(run.model.profile);
    EXPECT_EQ(rows.keywords, whole_rows.keywords);
  }
}

}  // namespace
}  // namespace sc

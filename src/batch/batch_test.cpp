#include <gmock/gmock.h>
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

TEST(BuildLog, KeepsEachSetsAndFilesRecordAndDropsWhatItCannotRead) {
  BuildLog log;
  log.set("L_T1", {"00ff", {"12:34", "-"}});
  log.set("L_T2", {"abcd", {}});
  log.set("bad\tname", {"1", {}});
  log.set_files({{"/in/L_linea.txt", {"10:20", "0123"}}, {"/in/a\nb", {"1:2", "3"}}});
  const std::string torn = "set\tL_T3\nfile\t/in/L_T4-.txt\t1:2\nno tab here\n\tnameless\tx\n";
  const BuildLog read = BuildLog::parse(log.text() + torn);
  ASSERT_NE(read.find("L_T1"), nullptr);
  EXPECT_EQ(*read.find("L_T1"), (BuildRecord{"00ff", {"12:34", "-"}}));
  EXPECT_EQ(*read.find("L_T2"), (BuildRecord{"abcd", {}}));
  EXPECT_EQ(read.find("bad\tname"), nullptr);
  EXPECT_EQ(read.find("L_T3"), nullptr);
  EXPECT_EQ(read.find("no tab here"), nullptr);
  ASSERT_NE(read.find_file("/in/L_linea.txt"), nullptr);
  EXPECT_EQ(*read.find_file("/in/L_linea.txt"), (FileRecord{"10:20", "0123"}));
  EXPECT_EQ(read.files().size(), 1u);
  EXPECT_EQ(read.text(), log.text());
  // Another program's file, or another version's, holds no record.
  EXPECT_EQ(BuildLog::parse("set\tL_T1\t00ff\n").find("L_T1"), nullptr);
  EXPECT_EQ(BuildLog::parse("# scenario-compiler build log 1\nL_T1\t00ff\n").find("L_T1"), nullptr);
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

// Each warning's name and place.
std::vector<std::string> warnings_of(RecordLint& lint, const std::string& line,
                                     const std::string& train) {
  std::vector<std::string> out;
  for (const Finding& w : lint.finish(line, train, {})) {
    out.push_back(std::string(w.name()) + " " + std::to_string(static_cast<int>(w.source)) + ":" +
                  std::to_string(w.location.line));
  }
  return out;
}

// Each train of a line compiled once gets the run and the warnings of its
// whole compile, though the line's rows were checked once for all of them:
// the line file's own warning, the train file's, and one that needs the
// line's objects (a stop taking a line's board).
TEST(SharedLine, EachTrainGetsTheRunAndWarningsOfItsWholeCompile) {
  const std::string line =
      "[generale]\nlunghezza percorso, 10000\n[pendenze]\npendenza, 0, 2\npendnza, 100, 2\n"
      "curvad5, 200, 300\nindicatori_vmax, 3000, 75, 80, 80, 0, , , , 0\n";
  const std::string head = "[generale]\nvelocita, 0, 80\n";
  const std::string trains[] = {
      head, head + "numero vetture, -2\n", head + "numero vetture, x\n",
      head + "stazione, 3000, 22, 200, 0,0,0, 0,0,0, 4,1,1, 30, 9,0,0, DUE\n"};
  const SharedLine shared = compile_shared_line(line, "L", ProfileChoice::kBuild, true);
  ASSERT_TRUE(shared.profile);
  ASSERT_TRUE(shared.lint);
  std::vector<std::vector<std::string>> warnings;
  for (const std::string& train : trains) {
    RecordLint whole_lint;
    const RunOutcome whole = memorizza_percorso({line, train}, "L", "T", ProfileChoice::kBuild,
                                                RowErrors::kStopTheFile, &whole_lint);
    RecordLint lint = *shared.lint;
    const RunOutcome run = compile_train_against(shared, train, "T", &lint);
    EXPECT_EQ(serialize_table(run.model.table), serialize_table(whole.model.table));
    EXPECT_EQ(serialize_cells(run.model.cells), serialize_cells(whole.model.cells));
    EXPECT_EQ(run.errors.diagnostics().size(), whole.errors.diagnostics().size());
    EXPECT_FALSE(run.model.profile);
    warnings.push_back(warnings_of(lint, line, train));
    EXPECT_EQ(warnings.back(), warnings_of(whole_lint, line, train));
  }
  EXPECT_THAT(warnings[0], testing::ElementsAre("unknown-keyword 1:5"));
  EXPECT_THAT(warnings[1], testing::Contains("implausible-value 2:3"));
  EXPECT_THAT(warnings[3], testing::Contains("object-replaced 2:3"));
}

// Trains compiled at once share their line's profile: its points, built on
// the first read, are built once whichever threads read first, and are those
// of a profile read on one thread.
TEST(SharedLine, ItsProfileReadFirstByManyThreadsAtOnceHoldsThePointsOfOne) {
  const std::string line =
      "[generale]\nlunghezza percorso, 5000\n[pendenze]\npendenza, 0, 2\ncurvad3, 200, 900\n"
      "curvas5, 1500, 400\n";
  const SharedLine alone = compile_shared_line(line, "L", ProfileChoice::kBuild, false);
  const SharedLine shared = compile_shared_line(line, "L", ProfileChoice::kBuild, false);
  ASSERT_TRUE(alone.profile && shared.profile);
  const auto points_of = [](const Profile& profile) {
    const size_t count = static_cast<size_t>(profile.last_point()) + 1;
    std::vector<double> points(profile.values(Profile::kX), profile.values(Profile::kX) + count);
    points.insert(points.end(), profile.values(Profile::kY), profile.values(Profile::kY) + count);
    return points;
  };
  const std::vector<double> expected = points_of(*alone.profile);
  std::vector<std::vector<double>> read(8);
  for_each_in_parallel(read.size(), 8, [&](size_t i) { read[i] = points_of(*shared.profile); });
  for (const std::vector<double>& points : read) EXPECT_TRUE(points == expected);
}

}  // namespace
}  // namespace sc

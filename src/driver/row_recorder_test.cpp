#include "format/row_recorder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line/line_compiler.h"
#include "train/train_compiler.h"

namespace sc {
namespace {

using ::testing::ElementsAre;

struct Recorded {
  RowRecords records;
  Scenario model;
  ErrorLog errors;
  bool faulted = false;
};

void compile_into(Recorded& run, const std::string& line, const std::string& train,
                  ProfileChoice profile = ProfileChoice::kBuild) {
  try {
    const LineResult result = compile_line_file(line, profile, run.model, run.errors, &run.records);
    if (result.end == Flow::kStop || train.empty()) return;
    compile_train_file(train, result.board_cursor, run.model, run.errors, &run.records);
  } catch (const Fault&) {
    run.faulted = true;
  }
}

std::string kind_of(const RowRecord& r) {
  return r.kind ? std::string(row_kind(*r.kind).what) : "none:" + std::string(r.keyword.text);
}

std::vector<std::string> kinds(const std::vector<RowRecord>& records) {
  std::vector<std::string> out;
  for (const RowRecord& r : records) out.push_back(kind_of(r));
  return out;
}

std::vector<int64_t> numbers(const RowRecord& r) {
  std::vector<int64_t> out;
  for (const RecordedField& f : r.values) out.push_back(f.number);
  return out;
}

constexpr const char* kHeader = "[generale]\r\nlunghezza percorso, 1000\r\n[righe]\r\n";

TEST(RowRecords, EachRowKindWithItsFieldsAsRead) {
  Recorded run;
  const std::string line = std::string(kHeader) +
                           "- a note, pendenza, 100, 5\r\n"
                           "indicatore cartello, 500, \"A,\r\nB\"\r\n"
                           "curvad1, 200, 100\r\n"
                           "[fine]\r\n";
  compile_into(run, line, "[generale]\r\nsegnale, 600, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\nx\r\n");
  EXPECT_THAT(kinds(run.records.line),
              ElementsAre("route length", "none:[righe]", "gradient", "text board", "curve"));
  const RowRecord& gradient = run.records.line[2];
  EXPECT_EQ(gradient.keyword.at, (SourceLocation{4, 11}));
  ASSERT_EQ(gradient.skipped.size(), 1u);
  EXPECT_EQ(line.substr(gradient.begin(), gradient.end() - gradient.begin()),
            "- a note, pendenza, 100, 5");
  EXPECT_THAT(numbers(gradient), ElementsAre(100, 5));
  EXPECT_EQ(gradient.values[1].at, (SourceLocation{4, 26}));

  const RowRecord& board = run.records.line[3];
  EXPECT_EQ(board.values[1].text, "A,\r\nB");
  EXPECT_EQ(line.substr(board.begin(), board.end() - board.begin()),
            "indicatore cartello, 500, \"A,\r\nB\"");
  ASSERT_EQ(board.objects.size(), 1u);
  EXPECT_EQ(board.objects[0].cell, 11);
  EXPECT_EQ(board.objects[0].type_code, cell_type::kTextBoard);
  EXPECT_THAT(board.entries, ElementsAre(entry::kFirstBoard));

  const RowRecord& curve = run.records.line[4];
  EXPECT_EQ(curve.values[0].at, (SourceLocation{7, 10}));
  EXPECT_LT(curve.profile_from, curve.profile_to);

  ASSERT_EQ(run.records.train.size(), 1u);
  const RowRecord& signal = run.records.train[0];
  EXPECT_EQ(signal.file, TextFile::kTrain);
  EXPECT_EQ(signal.values.size(), 11u);
  ASSERT_EQ(signal.objects.size(), 1u);
  EXPECT_EQ(signal.objects[0].cell, 13);
  EXPECT_EQ(signal.ending, RowEnd::kRead);
}

// Without the profile a curve keyword names no kind, so its values are read
// as keywords of their own.
TEST(RowRecords, WithoutTheProfileACurveIsNoRow) {
  Recorded run;
  compile_into(run, std::string(kHeader) + "curva1, 200, 100\r\n[fine]\r\n", "",
               ProfileChoice::kWithout);
  EXPECT_THAT(kinds(run.records.line),
              ElementsAre("route length", "none:[righe]", "none:curva1", "none:200", "none:100"));
}

TEST(RowRecords, HowARowEnded) {
  Recorded taken;
  compile_into(taken, std::string(kHeader) + "[fine]\r\n",
               "[generale]\r\nsegnale, 600, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"
               "abbattimento, 650, 0\r\nx\r\n");
  ASSERT_EQ(taken.records.train.size(), 2u);
  EXPECT_EQ(taken.records.train[1].ending, RowEnd::kStopped);
  EXPECT_EQ(taken.records.train[1].error, error_number(ErrorCode::kAbbattimentoCellTaken));
  EXPECT_EQ(taken.records.train[1].final_cell, 13);
  EXPECT_TRUE(taken.records.train[1].objects.empty());

  Recorded fault;
  compile_into(fault, std::string(kHeader) + "pendenza, 100, x\r\n[fine]\r\n", "");
  EXPECT_TRUE(fault.faulted);
  ASSERT_EQ(fault.records.line.size(), 3u);
  EXPECT_EQ(fault.records.line[2].ending, RowEnd::kFault);
  EXPECT_THAT(numbers(fault.records.line[2]), ElementsAre(100));
}

// A listener sees fields that view the text compiled; the records kept hold
// their own texts, so that they outlive that text and may be moved.
TEST(RowRecords, KeptRecordsOutliveTheTextAndMoveWhole) {
  Recorded run;
  {
    const std::string line = std::string(kHeader) +
                             "curvas2, 200, 100\r\n"
                             "indicatore cartello, 500, \"Mo\"\r\n";
    compile_into(run, line, "");
  }
  const RowRecords moved = std::move(run.records);
  ASSERT_EQ(moved.line.size(), 4u);
  EXPECT_EQ(moved.line[1].keyword.text, "[righe]");
  EXPECT_EQ(moved.line[2].keyword.text, "curvas2");
  EXPECT_EQ(moved.line[3].values[1].text, "Mo");
}

}  // namespace
}  // namespace sc

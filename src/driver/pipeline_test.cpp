#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/error_catalogue.h"

namespace sc {
namespace {

// A line file with a 1000 m route, the given header rows and rows.
std::string line_text(const std::string& rows, const std::string& header = "") {
  return "[generale]\r\nlunghezza percorso, 1000\r\n" + header + "[righe]\r\n" + rows +
         "[fine]\r\n";
}

std::string train_text(const std::string& rows) {
  return "[generale]\r\n" + rows + "[fine]\r\n";
}

// What the driver tells its caller, and the last error it recorded.
struct DriverCase {
  std::string name;
  SourceTexts texts;
  TextFilesRead read;
  std::optional<ErrorCode> error;  // the last one recorded, if any
  Source blamed = Source::kRoute;
  bool cells = true;
  int fatal_error = 0;
};

TEST(MemorizzaPercorso, TellsWhichFilesWereReadAndWhichHalfFailed) {
  const std::string good_line = line_text("");
  const std::string good_train = train_text("vetture, 2\r\n");
  const std::vector<DriverCase> cases = {
      {"both halves finish", {good_line, good_train}, {true, true}, std::nullopt},
      {"no line file",
       {std::nullopt, good_train},
       {false, false},
       ErrorCode::kNoLineFile,
       Source::kLineFile,
       false,
       101},
      {"line half stops before its route length",
       {"[generale]\r\nlunghezza percorso, -1\r\n[fine]\r\n", good_train},
       {true, false},
       ErrorCode::kRouteLength,
       Source::kLineFile,
       false,
       1},
      {"line half stops after its route length",
       {line_text("curvad7, 100, 10\r\n"), good_train},
       {true, false},
       ErrorCode::kCurve,
       Source::kLineFile},
      {"line half ends with error 15: the train half still runs",
       {line_text("pendenza, 7950, 1\r\n"), good_train},
       {true, true},
       ErrorCode::kBeyondRoute,
       Source::kLineFile},
      {"fault in the line half",
       {line_text("pendenza, x, 1\r\n"), good_train},
       {true, true},
       ErrorCode::kRunTimeFault,
       Source::kLineFile},
      {"fault before the route length: no cells",
       {"[generale]\r\nlunghezza percorso, x\r\n[fine]\r\n", good_train},
       {true, true},
       ErrorCode::kRunTimeFault,
       Source::kLineFile,
       false,
       error_number(ErrorCode::kRunTimeFault)},
      {"no train file",
       {good_line, std::nullopt},
       {true, true},
       ErrorCode::kRunTimeFault,
       Source::kTrainFile},
      {"fault in the train half",
       {good_line, train_text("vetture, x\r\n")},
       {true, true},
       ErrorCode::kRunTimeFault,
       Source::kTrainFile},
      {"train half stops",
       {good_line, train_text("abbattimento, 100, 0\r\nabbattimento, 100, 0\r\n")},
       {true, true},
       ErrorCode::kAbbattimentoCellTaken,
       Source::kTrainFile},
  };
  for (const DriverCase& c : cases) {
    SCOPED_TRACE(c.name);
    const RunOutcome run = memorizza_percorso(c.texts, "L", "T", 1);
    EXPECT_EQ(run.read.line, c.read.line);
    EXPECT_EQ(run.read.train, c.read.train);
    EXPECT_EQ(run.model.has_cells(), c.cells);
    EXPECT_EQ(run.fatal_error, c.fatal_error);
    if (!c.error) {
      EXPECT_TRUE(run.errors.diagnostics().empty());
      continue;
    }
    ASSERT_FALSE(run.errors.diagnostics().empty());
    const Diagnostic& last = run.errors.diagnostics().back();
    EXPECT_EQ(last.code, *c.error);
    EXPECT_EQ(run.errors.error_number(), error_number(*c.error));
    EXPECT_EQ(last.source, c.blamed);
  }
}

// Every sum, difference and product of 32-bit values whose width the format
// does not say wraps: an overflow is a fault of the field concerned. (The
// post-pass computes nothing that can overflow: its indices stay within the
// cells and the only value it writes is 180.)
TEST(MemorizzaPercorso, EveryOverflowOfAStatedWidthIsError25AtItsField) {
  const std::string route = line_text("");
  const std::string station = "stazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, ";
  const struct {
    std::string operation;
    SourceTexts texts;
    Source file;
    SourceLocation where;
  } cases[] = {
      {"curve end s + l",
       {line_text("curvad5, 200, 2147483647\r\n"), train_text("")},
       Source::kLineFile,
       {4, 15}},
      {"sum of the references' first values",
       {line_text("",
                  "progressiva uno, 2147483000, 0, 0\r\nprogressiva due, 2147483000, 0, 0\r\n"
                  "progressiva tre, 2000, 0, 0\r\n"),
        train_text("")},
       Source::kLineFile,
       {4, 18}},
      {"reference's second value + 100",
       {line_text("", "progressiva uno, 50, 2147483600, 1\r\n"), train_text("")},
       Source::kLineFile,
       {3, 22}},
      {"tunnel start - previous tunnel end",
       {line_text("montagna, 100, -2147483000, 1\r\nmontagna, 700, 800, 1\r\n"), train_text("")},
       Source::kLineFile,
       {5, 11}},
      {"20 x speed + speed / 5",
       {line_text("indicatori_vmax, 300, 1639, 0, 0, 0, 20, , , 0\r\n"), train_text("")},
       Source::kLineFile,
       {4, 23}},
      {"10 x stripes",
       {line_text("indicatori_vmax, 300, 0, 0, 0, 3277, , , , 0\r\n"), train_text("")},
       Source::kLineFile,
       {4, 32}},
      {"10 x stripes + stripes",
       {line_text("indicatori_vmax, 300, 0, 0, 0, 3276, , , , 8\r\n"), train_text("")},
       Source::kLineFile,
       {4, 44}},
      {"slowdown start - 1200",
       {route, train_text("rallentamento, -2147483000, 30, 100, 0, 0, 0\r\n")},
       Source::kTrainFile,
       {2, 16}},
      {"slowdown start + length",
       {route, train_text("rallentamento, 200, 30, 2147483647, 0, 0, 0\r\n")},
       Source::kTrainFile,
       {2, 25}},
      {"hours x 60",
       {route, train_text("stazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, "
                          "35791395, -2147483648, 0, X\r\n")},
       Source::kTrainFile,
       {2, 51}},
      {"hours x 60 + minutes",
       {route, train_text(station + "35791394, 100, 0, X\r\n")},
       Source::kTrainFile,
       {2, 61}},
      {"minutes x 60",
       {route, train_text(station + "0, 35791395, 0, X\r\n")},
       Source::kTrainFile,
       {2, 54}},
      {"minutes x 60 + seconds",
       {route, train_text(station + "0, 35791394, 100, X\r\n")},
       Source::kTrainFile,
       {2, 64}},
      {"station position - length / 2",
       {route, train_text("stazione, -2147483600, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, 8,0,0, X\r\n")},
       Source::kTrainFile,
       {2, 28}},
      {"station position - length",
       {route, train_text("stazione, -2147483600, 8, 200, 0,0,0, 0,0,0, 0,0,0, 30, 8,0,0, X\r\n")},
       Source::kTrainFile,
       {2, 27}},
      {"station position + length",
       {route, train_text("stazione, 1000, 8, 2147483600, 0,0,0, 0,0,0, 0,0,0, 30, 8,0,0, X\r\n")},
       Source::kTrainFile,
       {2, 20}},
      {"station start - 350",
       {route, train_text(station + "8,0,0, A\r\nstazione, -2147483500, 28, 200, 0,0,0, 0,0,0, "
                                    "0,0,0, 30, 8,0,0, B\r\n")},
       Source::kTrainFile,
       {3, 28}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation);
    const RunOutcome run = memorizza_percorso(c.texts, "L", "T", 1);
    if (run.errors.diagnostics().empty()) {
      ADD_FAILURE() << "no error recorded";
      continue;
    }
    const Diagnostic& last = run.errors.diagnostics().back();
    EXPECT_EQ(last.code, ErrorCode::kRunTimeFault) << last.message;
    EXPECT_EQ(last.source, c.file);
    EXPECT_EQ(last.location.line, c.where.line) << last.message;
    EXPECT_EQ(last.location.column, c.where.column) << last.message;
  }
}

}  // namespace
}  // namespace sc

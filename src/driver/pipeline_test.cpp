#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/error_catalogue.h"
#include "model/serialize.h"

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

std::vector<DriverCase> driver_cases() {
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
  return cases;
}

TEST(MemorizzaPercorso, TellsWhichFilesWereReadAndWhichHalfFailed) {
  for (const DriverCase& c : driver_cases()) {
    SCOPED_TRACE(c.name);
    const RunOutcome run = memorizza_percorso(c.texts, "L", "T", ProfileChoice::kBuild);
    EXPECT_EQ(run.read.line, c.read.line);
    EXPECT_EQ(run.read.train, c.read.train);
    EXPECT_EQ(run.model.has_cells(), c.cells);
    EXPECT_EQ(run.fatal_error, c.fatal_error);
    if (!c.error) {
      EXPECT_TRUE(run.errors.diagnostics().empty());
      continue;
    }
    ASSERT_FALSE(run.errors.diagnostics().empty());
    const Finding& last = run.errors.diagnostics().back();
    EXPECT_EQ(last.code, FindingCode{*c.error});
    EXPECT_EQ(run.errors.error_number(), error_number(*c.error));
    EXPECT_EQ(last.source, c.blamed);
  }
}

std::string profile_bytes(const std::optional<Profile>& profile) {
  std::string bytes;
  if (profile) write_profile(*profile, [&](std::string_view piece) { bytes += piece; });
  return bytes;
}

// A line compiled once, its profile set apart, serves each train as a whole
// run would: the same table, cells, errors and profile.
TEST(MemorizzaPercorso, OneLineCompiledOnceServesEachTrain) {
  const std::string trains[] = {train_text("vetture, 2\r\n"), train_text("vetture, x\r\n"),
                                train_text("aderenza, 0, 50\r\n")};
  for (const DriverCase& c : driver_cases()) {
    SCOPED_TRACE(c.name);
    LineOfRun line =
        compile_line_of_run(c.texts.line_text, "L", ProfileChoice::kBuild, RowErrors::kReadOn);
    const std::optional<Profile> profile = std::move(line.run.model.profile);
    line.run.model.profile.reset();
    for (const std::optional<std::string>& train :
         {c.texts.train_text, std::optional(trains[0]), std::optional(trains[1]),
          std::optional(trains[2])}) {
      const RunOutcome whole = memorizza_percorso({c.texts.line_text, train}, "L", "T",
                                                  ProfileChoice::kBuild, RowErrors::kReadOn);
      const RunOutcome part = compile_train_of_run(line, train, "T");
      EXPECT_EQ(serialize_table(part.model.table), serialize_table(whole.model.table));
      EXPECT_EQ(serialize_cells(part.model.cells), serialize_cells(whole.model.cells));
      EXPECT_EQ(profile_bytes(profile), profile_bytes(whole.model.profile));
      EXPECT_EQ(part.fatal_error, whole.fatal_error);
      EXPECT_EQ(part.read.train, whole.read.train);
      ASSERT_EQ(part.errors.diagnostics().size(), whole.errors.diagnostics().size());
      for (size_t i = 0; i < part.errors.diagnostics().size(); ++i) {
        EXPECT_EQ(part.errors.diagnostics()[i].message, whole.errors.diagnostics()[i].message);
      }
    }
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
    const RunOutcome run = memorizza_percorso(c.texts, "L", "T", ProfileChoice::kBuild);
    if (run.errors.diagnostics().empty()) {
      ADD_FAILURE() << "no error recorded";
      continue;
    }
    const Finding& last = run.errors.diagnostics().back();
    EXPECT_EQ(last.code, FindingCode{ErrorCode::kRunTimeFault}) << last.message;
    EXPECT_EQ(last.source, c.file);
    EXPECT_EQ(last.location.line, c.where.line) << last.message;
    EXPECT_EQ(last.location.column, c.where.column) << last.message;
  }
}

// A value that cannot be read is named by its row kind's description, with
// the row's written form, at the field where it stands.
TEST(MemorizzaPercorso, AValueThatCannotBeReadIsNamedByItsRow) {
  const std::string route = line_text("");
  const std::string station = "stazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, ";
  const struct {
    std::string mistake;
    SourceTexts texts;
    SourceLocation where;
    std::vector<std::string> says;
  } cases[] = {
      {"a decimal gradient",
       {line_text("pendenza, 100, 2.5\r\n"), train_text("")},
       {4, 16},
       {"\"2.5\" is not a whole number, but it is read as value 2 (gradient) of the gradient row",
        "the row is written: pendenza, position, gradient"}},
      {"a row short of values reads the next keyword",
       {line_text("indicatori_vmax, 300, 75, 80\r\nindicatore cartello, 500, Bivio\r\n"),
        train_text("")},
       {5, 1},
       {"\"indicatore\" is not a whole number, but it is read as value 4 (vcs) of the speed "
        "board row of line 4",
        "that row has too few values on its own line"}},
      {"a station time with a colon",
       {route, train_text(station + "6:27, 0, X\r\n")},
       {2, 51},
       {"value 14 (hours) of the station row", "write 6, 27, 0",
        "the row is written: stazione, position, type, length, value 4,"}},
      {"a clock with points",
       {route, train_text("orologio, 8.41.30\r\n")},
       {2, 11},
       {"value 1 (hours) of the clock row", "from -32768 to 32767", "write 8, 41, 30"}},
      {"a Byte beyond 255",
       {route, train_text("stazione, 1000, 300, 200, 0,0,0, 0,0,0, 0,0,0, 30, 8,0,0, X\r\n")},
       {2, 17},
       {"300 is read as value 2 (type) of the station row, which takes a whole number from 0 to "
        "255"}},
      {"a value named by its number alone",
       {route, train_text("stazione, 1000, 28, 200, 256,0,0, 0,0,0, 0,0,0, 30, 8,0,0, X\r\n")},
       {2, 26},
       {"256 is read as value 4 of the station row,"}},
      {"a file that ends inside a row",
       {route, "[generale]\r\norologio, 8, 41"},
       {2, 16},
       {"the file ends where value 3 (seconds) of the clock row is expected"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mistake);
    const RunOutcome run = memorizza_percorso(c.texts, "L", "T", ProfileChoice::kBuild);
    ASSERT_FALSE(run.errors.diagnostics().empty());
    const Finding& last = run.errors.diagnostics().back();
    EXPECT_EQ(last.code, FindingCode{ErrorCode::kRunTimeFault}) << last.message;
    EXPECT_EQ(last.location, c.where) << last.message;
    for (const std::string& part : c.says) {
      EXPECT_NE(last.message.find(part), std::string::npos) << last.message;
    }
  }
}

// Every error of the catalogue that involves a row, from a tiny input, with
// the row's field it names. The inputs stand in a 12 km line (rows after its
// route length, line 2) or in a train file (rows from line 2). Errors 101
// and 102 concern a file as a whole; 1250 and 1251 are fatal and record no
// error (compile names the row that holds cell 1 in a note).
TEST(MemorizzaPercorso, EveryErrorThatInvolvesARowNamesIt) {
  const std::string line_head = "[generale]\nlunghezza percorso, 12000\n";
  const std::string empty_line = line_head + "[fine]\n";
  const auto line = [&](const std::string& rows) { return line_head + rows + "[fine]\n"; };
  const auto train = [](const std::string& rows) { return "[generale]\n" + rows + "[fine]\n"; };
  const std::string signal = ", 1, 4, 1, 1, 0, 2, 2,1,1, 0\n";
  const std::string station = ", 12, 400, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,48, 0, S\n";
  // Text boards take table entries from 80 down, stations from 1 up.
  const auto boards = [](int count) {
    std::string rows = "[indicazioni]\n";
    for (int i = 0; i < count; ++i)
      rows += "indicatore cartello, " + std::to_string(100 * i) + ", B\n";
    return rows;
  };
  const std::string slowdown = "rallentamento, 6000, 60, 800, 0, 1, 0\n";
  const struct {
    ErrorCode error;
    std::string line_text;
    std::string train_text;
    std::string where;  // FILE:LINE:COLUMN, FILE "line" or "train"
  } cases[] = {
      {ErrorCode::kRouteLength, "[generale]\nlunghezza percorso, 1000001\n", "", "line:2:21"},
      {ErrorCode::kKmReferenceGrid, line("progressiva chilometrica uno, 3000, 1025, 0\n"), "",
       "line:3:37"},
      {ErrorCode::kKmReferenceGrid,
       line("progressiva chilometrica tre, 100, 0, 0\nprogressiva chilometrica uno, 3010, 0, 0\n"),
       "", "line:4:31"},
      {ErrorCode::kRepetitionFirstValue, line("ripetizione segnali 4 codici, 75, 0\n"), "",
       "line:3:31"},
      {ErrorCode::kRepetitionSecondValue, line("ripetizione segnali 4 codici, 0, 120\n"), "",
       "line:3:34"},
      {ErrorCode::kRepetitionCode, line("ripetizione segnali, 0, 0\n"), "", "line:3:1"},
      {ErrorCode::kTextBoardCellTaken,
       line("[i]\nindicatore cartello, 5000, A\nindicatore cartello, 5010, B\n"), "", "line:5:22"},
      {ErrorCode::kAbbattimentoCellTaken, empty_line,
       train("segnale, 3000" + signal + "abbattimento, 3050, 180\n"), "train:3:15"},
      {ErrorCode::kStationPositionGrid, empty_line, train("stazione, 5020" + station),
       "train:2:11"},
      {ErrorCode::kStationLengthGrid, empty_line,
       train("stazione, 5000, 12, 450, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,48, 0, S\n"), "train:2:21"},
      {ErrorCode::kTooManyStations, line(boards(79)), train("stazione, 9000" + station),
       "train:2:1"},
      {ErrorCode::kSignalBeforeWarningBlocked, empty_line,
       train("segnale, 4350" + signal + "segnale, 4400" + signal + "segnale, 4450" + signal +
             slowdown),
       "train:4:10"},
      {ErrorCode::kWindowBeforeStartBlocked, empty_line,
       train("segnale, 5650" + signal + "segnale, 5700" + signal + "segnale, 5750" + signal +
             slowdown),
       "train:5:16"},
      {ErrorCode::kSlowdownMarkBlocked, empty_line,
       train("segnale, 6350" + signal + "segnale, 6400" + signal + "segnale, 6450" + signal +
             slowdown),
       "train:5:16"},
      {ErrorCode::kSlowdownMarkBlocked, line(""), train("rallentamento, 7000, 60, -200, 0, 0, 0\n"),
       "train:2:16"},
      {ErrorCode::kBeyondRoute, line("[pendenze]\npendenza, 18950, 2\n"), "", "line:4:11"},
      {ErrorCode::kSignalCellTaken, empty_line,
       train("segnale, 11400" + signal + "segnale, 11410, 2, 3, 1, 1, 0, 2, 2,1,1, 0\n"),
       "train:3:10"},
      {ErrorCode::kWarningCellTaken, empty_line, train("segnale, 4800" + signal + slowdown),
       "train:3:16"},
      {ErrorCode::kStartCellTaken, empty_line, train("segnale, 6000" + signal + slowdown),
       "train:3:16"},
      {ErrorCode::kEndCellTaken, empty_line, train("rallentamento, 18000, 60, 1000, 0, 0, 0\n"),
       "train:2:27"},
      {ErrorCode::kCountdownCellTaken, empty_line, train("segnale, 4700" + signal + slowdown),
       "train:3:16"},
      {ErrorCode::kSpeedBoardCellTaken,
       line("[c]\nindicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"
            "indicatori_vmax, 320, 60, 60, 60, 0, , , , 0\n"),
       "", "line:5:18"},
      {ErrorCode::kStationsTooClose, empty_line,
       train("stazione, 5000" + station + "stazione, 5500" + station), "train:3:11"},
      {ErrorCode::kStopCellTooLow, empty_line,
       train("stazione, 0, 12, 100, 0, 0, 0, 0,0,0, 0,0,0, 1, 8,42, 0, P\n"), "train:2:11"},
      {ErrorCode::kRunTimeFault, empty_line, train("numero vetture, molte\n"), "train:2:17"},
      {ErrorCode::kNoBoardEntry, line(boards(81)), "", "line:84:1"},
      {ErrorCode::kCurve, line("[curve]\ncurvad, 450, 50\n"), "", "line:4:1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line_text + "--\n" + c.train_text);
    const RunOutcome run = memorizza_percorso(
        {c.line_text, c.train_text.empty() ? train("velocita, 0, 80\n") : c.train_text}, "L", "T",
        ProfileChoice::kBuild);
    EXPECT_EQ(run.errors.error_number(), error_number(c.error));
    if (run.errors.diagnostics().empty()) continue;
    const Finding& d = run.errors.diagnostics().back();
    const std::string where = std::string(d.source == Source::kLineFile    ? "line"
                                          : d.source == Source::kTrainFile ? "train"
                                                                           : "route") +
                              ":" + std::to_string(d.location.line) + ":" +
                              std::to_string(d.location.column);
    EXPECT_EQ(where, c.where) << error_info(c.error).name;
  }
}

// check's compile reads on past each row's error: the errors of every row in
// one compile, where compile stops each file at its first.
TEST(MemorizzaPercorso, ReadingOnFindsTheErrorOfEveryRowInOneCompile) {
  const SourceTexts texts{
      "[generale]\nlunghezza percorso, 1000\n[c]\n"
      "indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"
      "indicatori_vmax, 310, 75, 80, 80, 0, , , , 0\n"
      "pendenza, 99999, 1\n[fine]\n",
      "[generale]\nstazione, 125, 12, 400, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,48, 0, S\n"
      "abbattimento, 200, 1\nabbattimento, 210, 1\n[fine]\n"};
  const auto numbers = [](const RunOutcome& run) {
    std::vector<int32_t> found;
    for (const Finding& d : run.errors.diagnostics()) found.push_back(d.error_number());
    return found;
  };
  const RunOutcome stopping = memorizza_percorso(texts, "L", "T", ProfileChoice::kBuild);
  EXPECT_EQ(numbers(stopping), (std::vector<int32_t>{21}));
  EXPECT_FALSE(stopping.read.train);  // the line file's error stops the run there
  const RunOutcome reading_on =
      memorizza_percorso(texts, "L", "T", ProfileChoice::kBuild, RowErrors::kReadOn);
  EXPECT_EQ(numbers(reading_on), (std::vector<int32_t>{21, 15, 8, 7}));
}

}  // namespace
}  // namespace sc

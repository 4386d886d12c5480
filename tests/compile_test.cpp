// `scenario-compiler compile` run as a process on small files of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <utility>

#include "model/serialize.h"
#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kShortLine =
    "[generale]\r\n"
    "lunghezza percorso, 1000\r\n"
    "[fine]\r\n";
constexpr const char* kShortTrain =
    "[generale]\r\n"
    "velocita, 0, 80\r\n"
    "[fine]\r\n";

class Compile : public ::testing::Test {
 protected:
  // Writes the two sources under the names the defaults are taken from.
  void write_sources(const std::string& line, const std::string& train) {
    write_bytes(line_file(), line);
    write_bytes(train_file(), train);
  }
  std::filesystem::path line_file() const { return dir_ / "Prova_linea.txt"; }
  std::filesystem::path train_file() const { return dir_ / "Prova_T1-.txt"; }
  std::filesystem::path out_dir() const { return dir_ / "out"; }
  ProcessResult compile(const std::string& extra = "") const {
    return run_command(std::string("env -u DISPLAY ") + SC_EXECUTABLE + " compile " +
                       quoted(line_file()) + " " + quoted(train_file()) + " -o " +
                       quoted(out_dir()) + " " + extra);
  }
  nlohmann::json compile_json() const { return nlohmann::json::parse(compile("--json").out); }

  TempDir dir_;
};

// "same" when the two byte strings are equal, else where they first differ.
std::string compared(const std::string& bytes, const std::string& golden) {
  if (bytes == golden) return "same";
  const auto [mine, theirs] =
      std::mismatch(bytes.begin(), bytes.end(), golden.begin(), golden.end());
  return "first difference at byte " + std::to_string(mine - bytes.begin()) + " of " +
         std::to_string(bytes.size()) + " (golden file: " + std::to_string(golden.size()) +
         " bytes)";
}

// "same" when the two listings are equal, else their first differing line.
std::string compared_listing(const std::string& listing, const std::string& golden) {
  size_t start = 0;
  for (int line = 1;; ++line) {
    const size_t end = listing.find('\n', start);
    const size_t golden_end = golden.find('\n', start);
    const std::string mine = listing.substr(start, end - start);
    const std::string theirs = golden.substr(start, golden_end - start);
    if (mine != theirs) {
      return "line " + std::to_string(line) + ":\n  now:    " + mine + "\n  golden: " + theirs;
    }
    if (end == std::string::npos || golden_end == std::string::npos) {
      return end == golden_end ? "same" : "lengths differ after line " + std::to_string(line);
    }
    start = end + 1;
  }
}

// The built-in scenario's bytes are those the simulator has always loaded.
// Beside each golden file stands its `dump` listing, so that a byte that moved
// is shown as the field it belongs to.
TEST_F(Compile, BuiltInTextsGiveTheOneShotRunsBytesAndTheGoldenFiles) {
  std::filesystem::copy_file(SC_DOCUMENTS_TESTDATA "/line_text.txt",
                             dir_ / "Vardeo_Lustrella_linea.txt");
  std::filesystem::copy_file(SC_DOCUMENTS_TESTDATA "/train_text.txt",
                             dir_ / "Vardeo_Lustrella_K7306-.txt");
  const ProcessResult compiled = run_command(
      std::string(SC_EXECUTABLE) + " compile " + quoted(dir_ / "Vardeo_Lustrella_linea.txt") + " " +
      quoted(dir_ / "Vardeo_Lustrella_K7306-.txt") + " -o " + quoted(dir_ / "compiled"));
  ASSERT_EQ(compiled.status, 0) << compiled.err;

  std::filesystem::create_directory(dir_ / "oneshot");
  ASSERT_EQ(run_command("env -u DISPLAY " + install_program(dir_ / "oneshot")).status, 0);
  for (const char* name :
       {"Vardeo_Lustrella_linea.dat", "Vardeo_Lustrella_K7306.sim", "Vardeo_Lustrella_K7306.dat"}) {
    const std::string golden = read_bytes(std::filesystem::path(SC_GOLDEN) / name);
    EXPECT_EQ(compared(read_bytes(dir_ / "oneshot" / name), golden), "same") << name;
    EXPECT_EQ(compared(read_bytes(dir_ / "compiled" / name), golden), "same") << name;
    const ProcessResult listing =
        run_command(std::string(SC_EXECUTABLE) + " dump " + quoted(dir_ / "compiled" / name));
    EXPECT_EQ(compared_listing(listing.out, read_bytes(std::filesystem::path(SC_GOLDEN) /
                                                       (std::string(name) + ".txt"))),
              "same")
        << name;
  }
  // The sources are left as they were.
  EXPECT_EQ(read_bytes(dir_ / "Vardeo_Lustrella_linea.txt"),
            read_bytes(SC_DOCUMENTS_TESTDATA "/line_text.txt"));
}

TEST_F(Compile, LeavesTheSourcesUntouchedWhateverTheOutcome) {
  struct Case {
    const char* what;
    std::string line;
    std::string train;
    int status;
  };
  const Case cases[] = {
      {"clean", kShortLine, kShortTrain, 0},
      {"recorded error",
       "[generale]\nlunghezza percorso, 1000\n[pendenze]\npendenza, 99999, 1\n[fine]\n",
       kShortTrain, 1},
      // A signal at 0 stands in cell 1, whose first value the format marker needs.
      {"fatal", kShortLine, "[generale]\nsegnale, 0, 1,4,1,1,0,2,2,1,1,0\n[fine]\n", 3},
      {"run-time fault", kShortLine, "[generale]\nnumero vetture, many\n[fine]\n", 1},
  };
  for (const Case& c : cases) {
    write_sources(c.line, c.train);
    const ProcessResult result = compile();
    EXPECT_EQ(result.status, c.status) << c.what << ": " << result.err;
    EXPECT_EQ(read_bytes(line_file()), c.line) << c.what;
    EXPECT_EQ(read_bytes(train_file()), c.train) << c.what;
    std::filesystem::remove_all(out_dir());
  }
}

// A broken edit compiled into the folder of a working scenario leaves the
// working set as it was, unless --write-on-error asks for the broken one.
TEST_F(Compile, ARecordedErrorLeavesTheOlderFilesUntouched) {
  write_sources(kShortLine, kShortTrain);
  ASSERT_EQ(compile().status, 0);
  const std::vector<std::string> names = file_names(out_dir());
  ASSERT_EQ(names.size(), 3u);
  std::vector<std::string> bytes;
  std::vector<std::filesystem::file_time_type> times;
  for (const std::string& name : names) {
    bytes.push_back(read_bytes(out_dir() / name));
    times.push_back(std::filesystem::last_write_time(out_dir() / name));
  }
  // The route grows, so that a written set would differ; then an error.
  const std::string broken_line =
      "[generale]\nlunghezza percorso, 2000\n[pendenze]\npendenza, 99999, 1\n[fine]\n";
  write_sources(broken_line, kShortTrain);
  const ProcessResult broken = compile("--json");
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(nlohmann::json::parse(broken.out)["written"], false);
  EXPECT_NE(broken.err.find("no file was written"), std::string::npos) << broken.err;
  EXPECT_EQ(file_names(out_dir()), names) << "a temporary file was left";
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(read_bytes(out_dir() / names[i]), bytes[i]) << names[i];
    EXPECT_EQ(std::filesystem::last_write_time(out_dir() / names[i]), times[i]) << names[i];
  }

  const ProcessResult forced = compile("--json --write-on-error");
  EXPECT_EQ(forced.status, 1);
  const nlohmann::json report = nlohmann::json::parse(forced.out);
  EXPECT_EQ(report["written"], true);
  EXPECT_EQ(report["error_number"], 15);
  EXPECT_EQ(report["files"].size(), 3u);
  EXPECT_EQ(forced.err.find("no file was written"), std::string::npos) << forced.err;
  EXPECT_EQ(file_names(out_dir()), names);
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_NE(read_bytes(out_dir() / names[i]), bytes[i]) << names[i];
  }
}

TEST_F(Compile, AFatalErrorWritesNoBinaryFile) {
  write_sources(kShortLine, "[generale]\nsegnale, 0, 1,4,1,1,0,2,2,1,1,0\n[fine]\n");
  const ProcessResult result = compile();
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err.rfind(" Errore n. 1250\n", 0), 0u) << result.err;
  EXPECT_TRUE(std::filesystem::is_empty(out_dir()));
}

// A taken cell, or a slot of cell 1, is traced to the row that holds it.
TEST_F(Compile, NamesTheRowThatHoldsATakenCell) {
  const struct {
    const char* line;
    const char* train;
    const char* note;
  } cases[] = {
      {"[generale]\nlunghezza percorso, 1000\n[cartelli]\n"
       "indicatori_vmax, 400, 70, 75, 75, 0, , , , 0\n[fine]\n",
       "[generale]\nvelocita, 0, 80\nsegnale, 400, 1,4,1,1,0,2,2,1,1,0\n[fine]\n",
       "_linea.txt:4:1: note: the speed board of this row, at 400 m, already holds cell 9\n"
       "indicatori_vmax, 400, 70, 75, 75, 0, , , , 0\n^\n"},
      {kShortLine, "[generale]\nsegnale, 0, 1,4,1,1,0,2,2,1,1,0\n[fine]\n",
       "-.txt:2:1: note: the signal of this row, at 0 m, already holds cell 1\n"},
  };
  for (const auto& c : cases) {
    write_sources(c.line, c.train);
    const ProcessResult result = compile("-w");
    EXPECT_NE(result.err.find(c.note), std::string::npos) << result.err;
  }

  // The JSON report gives the note too.
  write_sources(cases[0].line, cases[0].train);
  const nlohmann::json report = compile_json();
  const auto& notes = report["diagnostics"][0]["notes"];
  ASSERT_EQ(notes.size(), 1u) << report.dump();
  EXPECT_EQ(notes[0]["line"], 4);
  EXPECT_EQ(notes[0]["column"], 1);
  EXPECT_EQ(notes[0]["file"], line_file().string());
}

TEST_F(Compile, NamesTheOutputFilesAfterTheSources) {
  write_sources(kShortLine, kShortTrain);
  ASSERT_EQ(compile().status, 0);
  EXPECT_TRUE(std::filesystem::exists(out_dir() / "Prova_linea.dat"));
  EXPECT_TRUE(std::filesystem::exists(out_dir() / "Prova_T1.sim"));
  EXPECT_EQ(read_bytes(out_dir() / "Prova_T1.dat").size(), 161u * 15);

  // Accented names: UTF-8 on disk and in the report, Windows-1252 inside.
  std::filesystem::remove_all(out_dir());
  const ProcessResult result =
      compile("--json --line-name Citt\xC3\xA0 --train-number R\xE2\x82\xAC");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string table_name = "Citt\xC3\xA0_R\xE2\x82\xAC.sim";
  EXPECT_EQ(nlohmann::json::parse(result.out)["files"][1], shown_path(out_dir(), table_name));
  const auto table = read_table(read_bytes(out_dir() / table_name));
  EXPECT_EQ(table[85].text, "Citt\xE0");
  EXPECT_EQ(table[86].text, "R\x80");
  EXPECT_TRUE(std::filesystem::exists(out_dir() / "Citt\xC3\xA0_linea.dat"));
}

TEST_F(Compile, ReportsEachRecordedErrorAtItsField) {
  write_sources(
      "[generale]\n"
      "lunghezza percorso, 1000\n"
      "[pendenze]\n"
      "pendenza,  99999, 1\n",
      kShortTrain);
  nlohmann::json report = compile_json();
  EXPECT_EQ(report["error_number"], 15);
  EXPECT_EQ(report["error_position"], 99999);
  EXPECT_EQ(report["fatal_error"], 0);
  EXPECT_EQ(report["written"], false);
  EXPECT_EQ(report["files"].size(), 0u);
  ASSERT_EQ(report["diagnostics"].size(), 1u);
  const auto& d = report["diagnostics"][0];
  EXPECT_EQ(d["number"], 15);
  EXPECT_EQ(d["position"], 99999);
  EXPECT_EQ(d["file"], line_file().string());
  EXPECT_EQ(d["line"], 4);
  EXPECT_EQ(d["column"], 12);
  EXPECT_NE(d["message"].get<std::string>().find("7900"), std::string::npos) << d["message"];

  const ProcessResult plain = compile("-w");
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.err.rfind(line_file().string() + ":4:12: error 15: ", 0), 0u) << plain.err;

  write_sources(kShortLine, "[generale]\nstazione, 125, 12, 600\n");
  report = compile_json();
  EXPECT_EQ(report["error_number"], 8);
  EXPECT_EQ(report["diagnostics"][0]["file"], train_file().string());
  EXPECT_EQ(report["diagnostics"][0]["line"], 2);
  EXPECT_EQ(report["diagnostics"][0]["column"], 11);
}

TEST_F(Compile, DiagnosticsPointAtTheFieldConcerned) {
  struct Case {
    std::string line;
    std::string train;
    std::string expected;  // the diagnostic up to its message
    int lines = 4;         // on standard error: the error, its source line and caret, and
                           // the line that says no file was written
  };
  const Case cases[] = {
      {"[generale]\nlunghezza percorso, 1000\n[c]\nindicatori_vmax, 300, 75,80,80,0,,,,0\n"
       "indicatori_vmax, 310, 75,80,80,0,,,,0\n[fine]\n",
       kShortTrain, "Prova_linea.txt:5:18: error 21: ", 7},  // and the note at line 4 under it
      {"[generale]\nlunghezza percorso, 2000000\n[fine]\n", kShortTrain,
       "Prova_linea.txt:2:21: error 1: ", 4},  // then " Errore n. 1": no cells to write
      {kShortLine, "[generale]\nnumero vetture, many\n[fine]\n", "Prova_T1-.txt:2:17: error 25: "},
      {kShortLine, "[generale]\nabbattimento, 200, 1\nabbattimento, 210, 1\n[fine]\n",
       "Prova_T1-.txt:3:", 7},
  };
  for (const Case& c : cases) {
    write_sources(c.line, c.train);
    const ProcessResult result = compile("-w");
    const std::string expected = (dir_ / c.expected).string();
    EXPECT_EQ(result.err.rfind(expected, 0), 0u) << "expected " << expected << "\n" << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), c.lines) << result.err;
  }
}

// Warnings come first, in the caret form, and the count closes the report;
// the bytes written and the status are those of a run without them. The
// off-grid warning of the second abbattimento point gives way to its error.
TEST_F(Compile, PrintsWarningsThatChangeNeitherBytesNorStatus) {
  write_sources(
      "[generale]\nlunghezza percorso, 1000\n[c]\npendenza, 125, 1\n[fine]\n",
      "[generale]\nvelocita, 0, 80\nabbattimento, 200, 1\nabbattimento, 210, 1\n[fine]\n");
  const ProcessResult warned = compile("--write-on-error");
  const std::string dat = read_bytes(out_dir() / "Prova_T1.dat");
  const std::string line = line_file().string();
  const std::string first = line +
                            ":4:11: warning: the gradient's position 125 m is not a multiple of "
                            "50 m: the compile rounds it to 100 m [off-grid]\n"
                            "pendenza, 125, 1\n"
                            "          ^~~\n";
  EXPECT_EQ(warned.err.rfind(first, 0), 0u) << warned.err;
  EXPECT_NE(warned.err.find("1 error and 1 warning generated.\n"), std::string::npos) << warned.err;
  EXPECT_EQ(warned.err.find('\033'), std::string::npos) << "no colour off a terminal";

  const ProcessResult silent = compile("-w --write-on-error");
  EXPECT_EQ(silent.status, warned.status);
  // The error, then the note at the row that holds its cell, each with its
  // source line and caret.
  EXPECT_EQ(std::count(silent.err.begin(), silent.err.end(), '\n'), 6) << silent.err;
  EXPECT_EQ(read_bytes(out_dir() / "Prova_T1.dat"), dat);
  EXPECT_EQ(compile("-Wno-off-grid --write-on-error").err, silent.err);
}

// Without --input-encoding a file that is UTF-8 throughout is read as UTF-8,
// and any other as Windows-1252: both spellings of a route give its bytes.
TEST_F(Compile, ReadsEachFileInTheEncodingItsBytesShow) {
  const std::string line_1252 =
      "[generale]\nlunghezza percorso, 1000\n[c]\nindicatore cartello, 300, Citt\xE0 "
      "\xC9vora\n[fine]\n";
  const std::string train_1252 =
      "[generale]\nvelocita, 0, 80\nstazione, 500, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, "
      "Santa Ges\xF9\n[fine]\n";
  const auto to_utf8 = [](std::string text) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"\xE0", "\xC3\xA0"},
                                   {"\xC9", "\xC3\x89"},
                                   {"\xF9", "\xC3\xB9"}}) {
      for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 2)) {
        text.replace(at, 1, to);
      }
    }
    return text;
  };
  write_sources(line_1252, train_1252);
  const ProcessResult twin = compile();
  ASSERT_EQ(twin.status, 0) << twin.err;
  EXPECT_EQ(twin.err, "");
  const std::string dat = read_bytes(out_dir() / "Prova_T1.dat");
  const std::string sim = read_bytes(out_dir() / "Prova_T1.sim");
  EXPECT_EQ(read_table(sim)[80].text, "Citt\xE0 \xC9vora");

  // UTF-8, and UTF-8 after a byte-order mark, without an option.
  for (const std::string& mark : {std::string(), std::string("\xEF\xBB\xBF")}) {
    write_sources(mark + to_utf8(line_1252), mark + to_utf8(train_1252));
    const ProcessResult utf8 = compile();
    EXPECT_EQ(utf8.status, 0) << utf8.err;
    EXPECT_EQ(utf8.err, "");
    EXPECT_EQ(read_bytes(out_dir() / "Prova_T1.dat"), dat);
    EXPECT_EQ(read_bytes(out_dir() / "Prova_T1.sim"), sim);
  }

  // Forced to Windows-1252, the UTF-8 file is read byte for byte and warned about.
  write_sources(to_utf8(line_1252), train_1252);
  const ProcessResult forced = compile("--input-encoding windows-1252");
  EXPECT_EQ(forced.status, 0);
  EXPECT_NE(forced.err.find("[utf8-input]"), std::string::npos) << forced.err;
  EXPECT_EQ(read_table(read_bytes(out_dir() / "Prova_T1.sim"))[80].text,
            "Citt\xC3\xA0 \xC3\x89vora");

  write_bytes(train_file(), "[generale]\n\xE2\x86\x92\n");
  for (const char* option : {"", "--input-encoding utf-8"}) {
    const ProcessResult refused = compile(option);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find(train_file().string() + ":2:1: "), std::string::npos) << refused.err;
    // Read as UTF-8 because it is UTF-8 throughout, the file's fault is the arrow alone.
    EXPECT_EQ(refused.err.find("not valid UTF-8") == std::string::npos, *option == '\0')
        << refused.err;
  }
}

TEST_F(Compile, CheckReportsWithoutWritingAndSaysSoInItsStatus) {
  const auto check = [&](const std::string& extra) {
    return run_command(std::string(SC_EXECUTABLE) + " check " + quoted(line_file()) + " " +
                       quoted(train_file()) + " " + extra);
  };
  write_sources("[generale]\nlunghezza percorso, 1000\n[c]\npendenze, 100, 1\n[fine]\n",
                kShortTrain);
  ProcessResult result = check("");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.err.find("1 warning generated.\n"), std::string::npos) << result.err;
  EXPECT_EQ(check("-Werror").status, 1);
  EXPECT_EQ(check("-Wno-unknown-keyword").err, "");
  EXPECT_EQ(check("-Wno-such-warning").status, 2);

  result = check("--json");
  const auto report = nlohmann::json::parse(result.out);
  ASSERT_EQ(report["diagnostics"].size(), 1u);
  EXPECT_EQ(report["diagnostics"][0]["severity"], "warning");
  EXPECT_EQ(report["diagnostics"][0]["name"], "unknown-keyword");
  EXPECT_EQ(report["diagnostics"][0]["line"], 4);
  EXPECT_FALSE(std::filesystem::exists(out_dir()));
}

// A short, steep line as an author writes it in a UTF-8 editor: hairpins,
// tunnels one after the other, stations close together, a timed signal, a
// slowdown with a countdown and accented board texts and names, each placed
// as the docs advise. It gives neither an error nor a warning.
TEST_F(Compile, AMountainLineWrittenFromTheDocsChecksClean) {
  const ProcessResult result = run_command(std::string(SC_EXECUTABLE) + " check " +
                                           quoted(SC_ROUTES "/Serravalle_linea.txt") + " " +
                                           quoted(SC_ROUTES "/Serravalle_M1-.txt"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

// 25 stations off the 50 m grid: 25 errors, of which check shows 20 unless
// told otherwise, and says that it stopped.
TEST_F(Compile, CheckStopsAfterTwentyErrors) {
  std::string stations;
  for (int i = 1; i <= 25; ++i) {
    stations += "stazione, " + std::to_string(1000 * i + 25) +
                ", 12, 400, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,48, 0, S\n";
  }
  write_sources("[generale]\nlunghezza percorso, 30000\n[fine]\n",
                "[generale]\n" + stations + "[fine]\n");
  const auto check = [&](const std::string& extra) {
    return run_command(std::string(SC_EXECUTABLE) + " check " + quoted(line_file()) + " " +
                       quoted(train_file()) + " " + extra);
  };
  const auto errors_in = [](const std::string& err) {
    size_t count = 0;
    for (size_t at = err.find(": error 8: "); at != std::string::npos;
         at = err.find(": error 8: ", at + 1))
      ++count;
    return count;
  };
  const ProcessResult limited = check("");
  EXPECT_EQ(limited.status, 1);
  EXPECT_EQ(errors_in(limited.err), 20u) << limited.err;
  EXPECT_NE(limited.err.find("Prova_T1-.txt:21:11: error 8: "), std::string::npos);
  EXPECT_NE(limited.err.find("check stopped after 20 errors; --error-limit 0 shows them all.\n"
                             "20 errors generated.\n"),
            std::string::npos)
      << limited.err;
  EXPECT_EQ(errors_in(check("--error-limit 0").err), 25u);
  EXPECT_EQ(errors_in(check("--error-limit 25").err), 25u);
  EXPECT_EQ(check("--error-limit 25").err.find("check stopped"), std::string::npos);
  const auto report = nlohmann::json::parse(check("--error-limit 3 --json").out);
  EXPECT_EQ(report["errors"], 3);
  EXPECT_EQ(report["stopped_at_error_limit"], true);
  EXPECT_EQ(report["diagnostics"][0]["position"], 1025);
}

TEST_F(Compile, ACleanRunSaysNothingOnStandardError) {
  write_sources(kShortLine, kShortTrain);
  const ProcessResult result = compile("--json");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const auto report = nlohmann::json::parse(result.out);
  EXPECT_EQ(report["error_number"], 0);
  EXPECT_TRUE(report["diagnostics"].empty());
}

TEST_F(Compile, RefusesAnInputItCannotReadWhole) {
  write_sources(kShortLine, kShortTrain);
  std::filesystem::create_directory(dir_ / "a_dir");
  const auto too_large = dir_ / "large_linea.txt";
  write_bytes(too_large, kShortLine);
  std::filesystem::resize_file(too_large, (64 << 20) + 1);
  const std::string exe = std::string(SC_EXECUTABLE) + " compile ";
  const std::string train = " " + quoted(train_file()) + " -o " + quoted(out_dir());
  const std::pair<std::string, std::string> cases[] = {
      {exe + "/dev/null" + train, "neither a regular file nor a pipe"},
      {exe + quoted(dir_ / "a_dir") + train, "neither a regular file nor a pipe"},
      {exe + quoted(too_large) + train, "more than 64 MiB"},
      {"head -c 67108865 /dev/zero | " + exe + "- --line-name L" + train, "more than 64 MiB"},
      {exe + "- - --line-name L --train-number T", "only one of the two files"},
      {exe + "-" + train, "--line-name is needed"},
  };
  for (const auto& [command, mention] : cases) {
    const ProcessResult result = run_command(command);
    EXPECT_EQ(result.status, 2) << command;
    EXPECT_NE(result.err.find(mention), std::string::npos) << command << "\n" << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out_dir()));

  // A pipe is read like the file it carries.
  const ProcessResult piped =
      run_command("cat " + quoted(line_file()) + " | " + exe + "- --line-name Prova" + train);
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(read_bytes(out_dir() / "Prova_T1.dat").size(), 161u * 15);
}

TEST_F(Compile, UsageErrorsEndWithStatus2) {
  write_sources(kShortLine, kShortTrain);
  const std::string exe = SC_EXECUTABLE;
  const std::pair<std::string, std::string> cases[] = {
      {exe + " compile " + quoted(dir_ / "missing.txt") + " " + quoted(train_file()),
       "missing.txt"},
      {exe + " compile " + quoted(line_file()) + " " + quoted(train_file()) + " --bogus",
       "--bogus"},
      {exe + " compile " + quoted(line_file()), "TRAIN_FILE"},
      {exe + " compile " + quoted(line_file()) + " " + quoted(train_file()) +
           " --train-number \xE4\xB8\xAD -o " + quoted(out_dir()),
       "Windows-1252"},
      // An overlong NUL would cut every output name short at "ab".
      {exe + " compile " + quoted(line_file()) + " " + quoted(train_file()) +
           " --line-name ab\xC0\x80"
           "cd -o " +
           quoted(out_dir()),
       "UTF-8"},
      // A separator would put the outputs outside the output directory.
      {exe + " compile " + quoted(line_file()) + " " + quoted(train_file()) +
           " --train-number ../T1 -o " + quoted(out_dir()),
       "\"/\""},
      {exe + " unknown", "unknown"},
  };
  for (const auto& [command, mention] : cases) {
    const ProcessResult result = run_command(command);
    EXPECT_EQ(result.status, 2) << command;
    EXPECT_NE(result.err.find(mention), std::string::npos) << command << "\n" << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out_dir()));
  // The version is the project's, set once in CMakeLists.txt.
  EXPECT_EQ(run_command(exe + " --version").out, "scenario-compiler " SC_VERSION "\n");
  EXPECT_EQ(run_command(exe + " compile --help").status, 0);
}

}  // namespace
}  // namespace sc::testing

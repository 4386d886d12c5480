// `dump`, `inspect`, `plot` and `compile --summary` run as processes on the files of the
// built-in scenario.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kCells = "Vardeo_Lustrella_K7306.dat";
constexpr const char* kTable = "Vardeo_Lustrella_K7306.sim";
constexpr const char* kProfile = "Vardeo_Lustrella_linea.dat";

// The binary files of one one-shot run, shared by every test.
class Inspect : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    ASSERT_EQ(run_command("env -u DISPLAY " + install_program(dir_->path())).status, 0);
  }
  static void TearDownTestSuite() { delete dir_; }

  static ProcessResult dump(const std::string& file, const std::string& options = "") {
    return run_command(std::string(SC_EXECUTABLE) + " dump " + quoted(*dir_ / file) + " " +
                       options);
  }
  static nlohmann::json dump_json(const std::string& file, const std::string& options = "") {
    const ProcessResult result = dump(file, "--json " + options);
    EXPECT_EQ(result.status, 0) << result.err;
    return nlohmann::json::parse(result.out);
  }
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find('\n', at);
      out.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
  }

  static TempDir* dir_;
};
TempDir* Inspect::dir_ = nullptr;

TEST_F(Inspect, TextDumpsNameWhatEachRecordHolds) {
  const ProcessResult cells = dump(kCells, "--cells 1-7");
  ASSERT_EQ(cells.status, 0) << cells.err;
  const auto cell_lines = lines(cells.out);
  ASSERT_EQ(cell_lines.size(), 8u);
  EXPECT_EQ(cell_lines[0], "cell file: 681 cells, 0 to 680");
  EXPECT_TRUE(cell_lines[1].starts_with("cell 1 at 50 m: empty; format marker 5121, check code "))
      << cell_lines[1];
  EXPECT_EQ(cell_lines[5],
            "cell 5 at 250 m: station stop of station 1; limit 80 km/h, gradient +2 \u2030, "
            "adhesion 100");

  const ProcessResult table = dump(kTable);
  ASSERT_EQ(table.status, 0) << table.err;
  const auto entry_lines = lines(table.out);
  ASSERT_EQ(entry_lines.size(), 1u + 1 + 8 + 1 + 6);  // entries 9 to 80 are empty
  EXPECT_TRUE(entry_lines[2].starts_with("entry 1: station 1 \"VARDEO\": type 12, position 0 m"));
  EXPECT_EQ(entry_lines[10], "entries 9\u201380: empty");
  EXPECT_TRUE(entry_lines[15].starts_with(
      "entry 85: line \"Vardeo_Lustrella\": background uno 0, tre 1, due 0; format marker 610"));
  EXPECT_EQ(lines(dump(kTable, "--entry 3").out).at(1).substr(0, 29),
            "entry 3: station 3 \"TOLMERA\":");

  // The whole cell file: runs of alike empty cells on one line; --occupied
  // leaves out every free cell, tunnel markers included.
  const auto all_cells = lines(dump(kCells).out);
  EXPECT_EQ(all_cells.size(), 140u);
  EXPECT_EQ(all_cells[9],
            "cells 8\u201322 from 400 m to 1150 m: empty; limit 80 km/h, gradient 0 \u2030, "
            "adhesion 100");
  const ProcessResult occupied = dump(kCells, "--occupied --cells 200-300");
  ASSERT_EQ(occupied.status, 0) << occupied.err;
  const auto occupied_lines = lines(occupied.out);
  ASSERT_EQ(occupied_lines.size(), 5u);
  EXPECT_TRUE(occupied_lines[1].starts_with("cell 229 at 11450 m: signal:"));
  EXPECT_TRUE(occupied_lines[4].starts_with("cell 296 at 14800 m: speed board:"));

  const auto points = lines(dump(kProfile).out);
  ASSERT_EQ(points.size(), 1u + 341);  // every 100 m from 0 to 34000
  EXPECT_EQ(points[2], "point 100 m: x 0.000 m, y 100.000 m");
  EXPECT_EQ(points.back(), "point 34000 m: x empty, y empty");
  EXPECT_EQ(lines(dump(kProfile, "--every 20000").out).back(), "point 34000 m: x empty, y empty");
}

TEST_F(Inspect, JsonDumpsCarryEveryFieldUnderTheModelsName) {
  const nlohmann::json cells = dump_json(kCells);
  EXPECT_EQ(cells["kind"], "cells");
  ASSERT_EQ(cells["cells"].size(), 681u);
  const nlohmann::json& cell1 = cells["cells"][1];
  EXPECT_EQ(cell1["index"], 1);
  EXPECT_EQ(cell1["info1"], 5121);
  for (const char* field : {"type_code", "info1", "info2", "info3", "info4", "signal_time", "mark",
                            "tunnel_type", "speed_limit", "gradient", "adhesion"}) {
    EXPECT_TRUE(cell1.contains(field)) << field;
  }

  const nlohmann::json table = dump_json(kTable);
  ASSERT_EQ(table["entries"].size(), 87u);
  EXPECT_EQ(table["entries"][1]["text"], "VARDEO");
  EXPECT_EQ(table["entries"][1]["value4"], 31320);
  EXPECT_EQ(table["entries"][85]["int1"], 610);
  EXPECT_EQ(table["entries"][85].size(), 18u);  // index, 16 fields and the decoded values

  // Beside the raw fields, what they mean in the units a row gives them.
  EXPECT_EQ(cells["cells"][7]["decoded"], nlohmann::json::parse(R"({
      "start_m": 350, "speed_limit_kmh": 80, "gradient_per_mille": 0,
      "row_position_m": 300, "lands_at_m": 350,
      "vas_kmh": 75, "vbs_kmh": 80, "vcs_kmh": 80, "vad_kmh": 0, "vbd_kmh": 0, "vcd_kmh": 0,
      "strisces": 0, "strisced": 0})"));
  EXPECT_EQ(cells["cells"][229]["decoded"]["s1"], 4);
  EXPECT_EQ(cells["cells"][229]["decoded"]["dx"], 2);
  EXPECT_EQ(cells["cells"][229]["decoded"]["lands_at_m"], 11450);
  EXPECT_EQ(table["entries"][1]["decoded"], nlohmann::json::parse(R"({
      "position_m": 0, "first_m": -300, "last_m": 300, "time": "08:42:00",
      "value 4": 0, "value 5": 0, "end extension": 0, "value 7": 1, "value 8": 1, "value 9": 0,
      "value 10": 4, "value 11": 1, "value 12": 1, "value 13": 1})"));
  EXPECT_EQ(table["entries"][84]["decoded"]["route_length_m"], 27000);
  EXPECT_EQ(table["entries"][86]["decoded"]["clock"], "08:41:00");
  // inspect gives a signal's row values and landing too.
  const ProcessResult objects = run_command(std::string(SC_EXECUTABLE) + " inspect --json " +
                                            quoted(*dir_ / kCells) + " " + quoted(*dir_ / kTable));
  ASSERT_EQ(objects.status, 0) << objects.err;
  const nlohmann::json first_signal = nlohmann::json::parse(objects.out)["signals"][0];
  EXPECT_EQ(first_signal["position_m"], 11400);
  EXPECT_EQ(first_signal["lands_at_m"], 11450);
  EXPECT_EQ(first_signal["s1"], 4);
  EXPECT_EQ(first_signal["d1"], 2);
  EXPECT_EQ(first_signal["sx"], 1);
  // Each station says whether the train stops there: type 12 stops, 28 passes.
  const nlohmann::json stations = nlohmann::json::parse(objects.out)["stations"];
  EXPECT_EQ(stations[0]["type"], 12);
  EXPECT_EQ(stations[0]["stops"], true);
  EXPECT_EQ(stations[1]["type"], 28);
  EXPECT_EQ(stations[1]["stops"], false);

  const nlohmann::json occupied = dump_json(kCells, "--occupied");
  ASSERT_EQ(occupied["cells"].size(), 13u);  // 24 but 11 tunnel markers
  EXPECT_EQ(occupied["cells"][0]["index"], 5);

  const nlohmann::json profile = dump_json(kProfile, "--every 17000");
  ASSERT_EQ(profile["points"].size(), 3u);
  EXPECT_EQ(profile["points"][0],
            nlohmann::json::parse(R"({"m": 0, "x": 0.0, "x_tag": 2, "y": 0.0, "y_tag": 2})"));
  EXPECT_EQ(profile["points"][2]["x"], nullptr);
  EXPECT_EQ(profile["points"][2]["y_tag"], 0);
  EXPECT_EQ(dump_json(kProfile)["points"].size(), 34001u);
}

TEST_F(Inspect, FilesThatDoNotFitTheirKindAreRefusedWithStatus2) {
  const std::string cells = read_bytes(*dir_ / kCells);
  const std::string table = read_bytes(*dir_ / kTable);
  write_bytes(*dir_ / "cut.dat", cells.substr(0, 100));
  write_bytes(*dir_ / "cut.sim", table.substr(0, 1000));
  write_bytes(*dir_ / "tag.bin", std::string("\x02\x00\x00\x00\x09\x00", 6));
  const struct {
    std::string file, options, message;
  } cases[] = {
      {"cut.dat", "", "cut.dat: byte 90: cell 6 is cut short: 10 bytes left where a cell takes 15"},
      {"cut.sim", "--json", "cut.sim: byte 1000: entry 27: the file ends inside `value2`"},
      {"tag.bin", "--kind profile", "tag.bin: byte 4: element 1 has the unknown tag 9"},
      {"tag.bin", "", "cannot tell the kind of"},
      {kTable, "--cells 1-2", "--cells needs a cell file"},
      {kProfile, "--occupied", "--occupied needs a cell file"},
      {kCells, "--cells 700-710", "lies beyond the file's last cell, 680"},
      {"missing.dat", "", "No such file or directory"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = dump(c.file, c.options);
    EXPECT_EQ(result.status, 2) << c.file << " " << c.options;
    EXPECT_EQ(result.out, "") << c.file;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

TEST_F(Inspect, CompileSummarySaysWhatTheRouteHolds) {
  const std::string sources = quoted(SC_DOCUMENTS_TESTDATA "/line_text.txt") + " " +
                              quoted(SC_DOCUMENTS_TESTDATA "/train_text.txt") + " -o " +
                              quoted(*dir_ / "compiled");
  const ProcessResult text =
      run_command(std::string(SC_EXECUTABLE) + " compile --summary " + sources);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(text.out.starts_with("route length: 27000 m\nstations: 8, first \"VARDEO\""))
      << text.out;
  const ProcessResult json =
      run_command(std::string(SC_EXECUTABLE) + " compile --summary --json " + sources);
  const nlohmann::json summary = nlohmann::json::parse(json.out)["summary"];
  EXPECT_EQ(summary["tunnels"], 4);
  EXPECT_EQ(summary["last_station"]["time"], "09:13:00");
}

TEST_F(Inspect, PlotDrawsEvenARouteWithErrors) {
  const std::string plot =
      std::string(SC_EXECUTABLE) + " plot " + quoted(SC_DOCUMENTS_TESTDATA "/line_text.txt") + " ";
  const ProcessResult clean = run_command(plot + quoted(SC_DOCUMENTS_TESTDATA "/train_text.txt") +
                                          " -o " + quoted(*dir_ / "a.svg"));
  ASSERT_EQ(clean.status, 0) << clean.err;
  const std::string svg = read_bytes(*dir_ / "a.svg");
  for (const char* name : {"VARDEO", "BODREA", "TOLMERA", "RAVATE LOMESSA", "FRELASCO",
                           "SAN VITALDO", "BORGA VENTOLARIO", "LUSTRELLA"}) {
    EXPECT_NE(svg.find(std::string(">") + name + "</text>"), std::string::npos) << name;
  }

  write_bytes(*dir_ / "bad-.txt", "[generale]\r\nstazione, 25, 12, 600, 0\r\n");
  const ProcessResult bad =
      run_command(plot + quoted(*dir_ / "bad-.txt") + " -o " + quoted(*dir_ / "b.svg"));
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("bad-.txt:2:11: error 8"), std::string::npos) << bad.err;
  EXPECT_NE(read_bytes(*dir_ / "b.svg").find("bad-.txt:2:11: error 8"), std::string::npos);

  const ProcessResult json =
      run_command(plot + quoted(*dir_ / "bad-.txt") + " -o " + quoted(*dir_ / "b.svg") + " --json");
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report["error_number"], 8);
  EXPECT_EQ(report["files"][0], (*dir_ / "b.svg").string());
  const auto& error = report["diagnostics"][0];
  EXPECT_EQ(error["severity"], "error");
  EXPECT_EQ(error["number"], 8);
  EXPECT_EQ(error["position"], 25);
  EXPECT_EQ(error["line"], 2);
  EXPECT_EQ(error["column"], 11);
}

// Two slowdowns that overlap, each listed and drawn over its own span.
TEST_F(Inspect, InspectListsTheObjectsAndPlotDrawsThemAlike) {
  write_bytes(*dir_ / "O_linea.txt",
              "[generale]\r\nlunghezza percorso, 6000\r\nripetizione segnali 4 codici, 0, 0\r\n"
              "[fine]\r\n");
  write_bytes(*dir_ / "O_T-.txt",
              "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n"
              "rallentamento, 2000, 60, 1000, 0, 0, 0\r\nrallentamento, 2500, 40, 1000, 0, 0, 0\r\n"
              "[fine]\r\n");
  const std::string sources = quoted(*dir_ / "O_linea.txt") + " " + quoted(*dir_ / "O_T-.txt");
  ASSERT_EQ(
      run_command(std::string(SC_EXECUTABLE) + " compile " + sources + " -o " + quoted(*dir_ / "o"))
          .status,
      0);
  const std::string files = quoted(*dir_ / "o" / "O_T.dat") + " " + quoted(*dir_ / "o" / "O_T.sim");
  const ProcessResult json = run_command(std::string(SC_EXECUTABLE) + " inspect --json " + files);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json objects = nlohmann::json::parse(json.out);
  EXPECT_EQ(objects["kind"], "objects");
  EXPECT_EQ(objects["slowdowns"],
            nlohmann::json::parse(
                R"([{"start_m": 2000, "end_m": 3000, "speed_kmh": 60, "warning_m": 800,
                     "countdown": false, "f_tt": 0, "d_v": 0, "lands_at_m": 2050,
                     "end_lands_at_m": 3050, "warning_lands_at_m": 850},
                    {"start_m": 2500, "end_m": 3500, "speed_kmh": 40, "warning_m": 1300,
                     "countdown": false, "f_tt": 0, "d_v": 0, "lands_at_m": 2550,
                     "end_lands_at_m": 3550, "warning_lands_at_m": 1350}])"));
  const ProcessResult text = run_command(std::string(SC_EXECUTABLE) + " inspect " + files);
  EXPECT_NE(text.out.find("\n2000 m: slowdown to 60 km/h up to 3000 m, warning at 800 m; lands "
                          "from 2050 m to 3050 m, warning at 850 m\n"),
            std::string::npos)
      << text.out;

  // The speed panel draws each slowdown from its start cell to past its end
  // cell: 2050 to 3100 m and 2550 to 3600 m, at 60 and 40 km/h, as a step
  // down from the line's 100 km/h (y 472) and back, never down to 0 km/h.
  ASSERT_EQ(run_command(std::string(SC_EXECUTABLE) + " plot " + sources + " -o " +
                        quoted(*dir_ / "o.svg"))
                .status,
            0);
  const std::string svg = read_bytes(*dir_ / "o.svg");
  size_t lines = 0;
  for (size_t at = svg.find("class=\"slowdown-line\""); at != std::string::npos;
       at = svg.find("class=\"slowdown-line\"", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 2u);
  EXPECT_NE(svg.find("592.2,472.0 592.2,524.0 849.5,524.0 849.5,472.0"), std::string::npos);
  EXPECT_NE(svg.find("714.8,472.0 714.8,550.0 972.0,550.0 972.0,472.0"), std::string::npos);
}

}  // namespace
}  // namespace sc::testing

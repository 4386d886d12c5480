// The one-shot run of the built-in scenario, run as a process in a directory
// of its own, its files read back as the simulator will read them.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "model/serialize.h"
#include "output/check_codes.h"
#include "process.h"

namespace sc::testing {
namespace {

const std::set<std::string> kDocuments = {
    "Vardeo_Lustrella_K7306_note.txt",
    "Vardeo_Lustrella_K7306_rallentamenti.txt",
    "Vardeo_Lustrella_K7306_scheda_treno.txt",
};
const std::set<std::string> kBinaries = {
    "Vardeo_Lustrella_linea.dat",
    "Vardeo_Lustrella_K7306.sim",
    "Vardeo_Lustrella_K7306.dat",
};

// A copy of the executable in an empty directory of its own.
class OneShot : public ::testing::Test {
 protected:
  OneShot() : program_(install_program(dir_.path())) {}
  ProcessResult run() const { return run_command("env -u DISPLAY " + program_); }
  std::string file(const std::string& name) const { return read_bytes(dir_ / name); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      out.insert(entry.path().filename().string());
    }
    return out;
  }

  TempDir dir_;
  std::string program_;
};

TEST_F(OneShot, LeavesTheDocumentsAndTheBinaryFilesAndNothingElse) {
  const ProcessResult result = run();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::set<std::string> expected = kDocuments;
  expected.insert(kBinaries.begin(), kBinaries.end());
  expected.insert(program_file_name());
  EXPECT_EQ(names(), expected);
  EXPECT_EQ(file("Vardeo_Lustrella_K7306_note.txt").size(), 0u);
  EXPECT_EQ(file("Vardeo_Lustrella_K7306_rallentamenti.txt").size(), 3283u);
  EXPECT_EQ(file("Vardeo_Lustrella_K7306_scheda_treno.txt").size(), 3733u);
  EXPECT_EQ(file("Vardeo_Lustrella_K7306.dat").size(), 681u * 15);
  EXPECT_EQ(file("Vardeo_Lustrella_linea.dat").size(), 679964u);
  // 87 entries of 34 bytes, the two identifiers and the eight station names.
  EXPECT_EQ(file("Vardeo_Lustrella_K7306.sim").size(), 87u * 34 + 16 + 5 + 77);
}

TEST_F(OneShot, RewritesEveryFileWholeSoTwoRunsAgree) {
  // Older files longer than the new ones, and a leftover notes file.
  for (const auto& name : kBinaries) write_bytes(dir_ / name, std::string(800000, 'x'));
  write_bytes(dir_ / "Vardeo_Lustrella_K7306_note.txt", "old notes\r\n");
  ASSERT_EQ(run().status, 0);
  std::map<std::string, std::string> first;
  for (const auto& name : names()) first[name] = file(name);
  EXPECT_EQ(first["Vardeo_Lustrella_K7306.dat"].size(), 10215u);
  EXPECT_EQ(first["Vardeo_Lustrella_K7306_note.txt"], "");
  ASSERT_EQ(run().status, 0);
  for (const auto& name : names()) EXPECT_EQ(file(name), first[name]) << name;
}

TEST_F(OneShot, EveryBinaryFileReadsBackToTheSameBytes) {
  ASSERT_EQ(run().status, 0);
  const std::string cells = file("Vardeo_Lustrella_K7306.dat");
  const std::string table = file("Vardeo_Lustrella_K7306.sim");
  const std::string profile = file("Vardeo_Lustrella_linea.dat");
  EXPECT_EQ(serialize_cells(read_cells(cells)), cells);
  EXPECT_EQ(serialize_table(read_table(table)), table);
  EXPECT_EQ(serialize_profile(read_profile(profile)), profile);
}

TEST_F(OneShot, TheCellFileCarriesTheCompiledRoute) {
  ASSERT_EQ(run().status, 0);
  const std::vector<Cell> cells = read_cells(file("Vardeo_Lustrella_K7306.dat"));
  ASSERT_EQ(cells.size(), 681u);

  struct Range {
    int first, last;
    uint8_t Cell::*field;
    uint8_t value;
  };
  const Range ranges[] = {
      {0, 6, &Cell::gradient, 102},       {7, 22, &Cell::gradient, 100},
      {23, 38, &Cell::gradient, 90},      {526, 677, &Cell::gradient, 100},
      {678, 680, &Cell::gradient, 0},     {0, 183, &Cell::speed_limit, 16},
      {184, 294, &Cell::speed_limit, 15}, {295, 423, &Cell::speed_limit, 18},
      {424, 677, &Cell::speed_limit, 12}, {678, 680, &Cell::speed_limit, 0},
      {0, 677, &Cell::adhesion, 100},     {678, 680, &Cell::adhesion, 0},
      {178, 183, &Cell::tunnel_type, 1},  {436, 459, &Cell::tunnel_type, 1},
  };
  for (const Range& r : ranges) {
    for (int i = r.first; i <= r.last; ++i) EXPECT_EQ(cells[i].*r.field, r.value) << "cell " << i;
  }
  EXPECT_EQ(cells[181].type_code, 11);  // tunnel marker

  // Markers and check code in cell 1.
  ScenarioTable ids{};
  ids[entry::kLineHeader].text = "Vardeo_Lustrella";
  ids[entry::kTrainHeader].text = "K7306";
  EXPECT_EQ(cells[1].info1, 5121);
  EXPECT_EQ(cells[1].info2, codice_gara_og(ids));

  auto occupant = [&](int i) {
    const Cell& c = cells[i];
    return std::vector<int>{c.type_code, c.info1, c.info2, c.info3, c.info4, c.signal_time};
  };
  EXPECT_EQ(occupant(7), (std::vector<int>{6, 1500, 1600, 1600, 0, 0}));
  EXPECT_EQ(occupant(165), (std::vector<int>{6, 1400, 1500, 1500, 10, 0}));
  EXPECT_EQ(occupant(229), (std::vector<int>{1, 42, 11, 11, 5, 0}));
  EXPECT_EQ(occupant(245)[0], 1);
  EXPECT_EQ(occupant(245)[4], 8);
  EXPECT_EQ(occupant(5), (std::vector<int>{10, 1, 0, 0, 0, 0}));
  EXPECT_EQ(occupant(529), (std::vector<int>{10, 8, 0, 0, 0, 0}));
  const std::pair<int, int> marks[] = {{227, 51}, {221, 54}, {243, 81}, {237, 84}, {4, 81},
                                       {2, 83},   {1, 0},    {528, 81}, {525, 84}};
  for (const auto& [i, mark] : marks) EXPECT_EQ(cells[i].mark, mark) << "cell " << i;
  // No slowdown in the built-in scenario: the post-pass adds nothing.
  for (int i = 0; i <= 680; ++i) EXPECT_NE(cells[i].type_code, 12) << "cell " << i;
}

TEST_F(OneShot, TheTableFileCarriesHeaderValuesStationsAndCodes) {
  ASSERT_EQ(run().status, 0);
  const ScenarioTable table = read_table(file("Vardeo_Lustrella_K7306.sim"));
  const TableEntry& first = table[1];
  EXPECT_EQ(first.text, "VARDEO");
  EXPECT_EQ(first.type_code, 12);
  EXPECT_EQ(first.value1, -300);
  EXPECT_EQ(first.value2, 300);
  EXPECT_EQ(first.value4, 31320);
  EXPECT_EQ(table[8].text, "LUSTRELLA");
  EXPECT_EQ(table[8].value1, 26200);
  EXPECT_EQ(table[8].value2, 26500);
  EXPECT_EQ(table[8].value4, 33180);
  EXPECT_EQ(table[9], TableEntry{});
  for (int e : {81, 82, 83}) {
    EXPECT_EQ(std::vector<int>({table[e].value1, table[e].value2, table[e].value3}),
              std::vector<int>({0, 0, 0}));
  }
  EXPECT_EQ(std::vector<int>({table[84].value1, table[84].value2, table[84].value3}),
            std::vector<int>({125, 27000, 2}));
  const TableEntry& line = table[85];
  EXPECT_EQ(line.text, "Vardeo_Lustrella");
  EXPECT_EQ(std::vector<int>({line.value1, line.value2, line.value3}), std::vector<int>({0, 1, 0}));
  EXPECT_EQ(line.int1, 610);
  ScenarioTable ids{};
  ids[entry::kLineHeader].text = "Vardeo_Lustrella";
  ids[entry::kTrainHeader].text = "K7306";
  EXPECT_EQ(line.value4, codice_gara_st(ids));
  const TableEntry& train = table[86];
  EXPECT_EQ(train.text, "K7306");
  EXPECT_EQ(std::vector<int>({train.value1, train.value2, train.value3, train.int1, train.int3,
                              train.int4, train.int5}),
            std::vector<int>({0, 0, 0, 50, 8, 41, 0}));
}

}  // namespace
}  // namespace sc::testing

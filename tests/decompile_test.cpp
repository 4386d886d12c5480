// `scenario-compiler decompile` run as a process on files compiled here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kLine =
    "[generale]\r\n"
    "lunghezza percorso, 2000\r\n"
    "[curve]\r\n"
    "curvad4, 300, 100\r\n"
    "[indicazioni]\r\n"
    "indicatore cartello, 500, \"Km 1, bivio\"\r\n"
    "[fine]\r\n";
constexpr const char* kTrain =
    "[generale]\r\n"
    "velocita, 0, 80\r\n"
    "segnale, 1000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"
    "[fine]\r\n";

class Decompile : public ::testing::Test {
 protected:
  void SetUp() override {
    write_bytes(dir_ / "Prova_linea.txt", kLine);
    write_bytes(dir_ / "Prova_T1-.txt", kTrain);
    const ProcessResult compiled =
        run_command(std::string(SC_EXECUTABLE) + " compile " + quoted(dir_ / "Prova_linea.txt") +
                    " " + quoted(dir_ / "Prova_T1-.txt") + " -o " + quoted(dir_ / "built"));
    ASSERT_EQ(compiled.status, 0) << compiled.err;
  }
  std::filesystem::path built(const char* name) const { return dir_ / "built" / name; }
  ProcessResult decompile(const std::string& files, const std::string& extra = "") const {
    return run_command(std::string(SC_EXECUTABLE) + " decompile " + files + " -o " +
                       quoted(dir_ / "back") + " " + extra);
  }
  std::string cell_and_table() const {
    return quoted(built("Prova_T1.dat")) + " " + quoted(built("Prova_T1.sim"));
  }

  TempDir dir_;
};

TEST_F(Decompile, WritesTextsThatCompileToTheSameFiles) {
  const ProcessResult run = decompile(cell_and_table() + " " + quoted(built("Prova_linea.dat")));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const ProcessResult again =
      run_command(std::string(SC_EXECUTABLE) + " compile " + quoted(dir_ / "back/Prova_linea.txt") +
                  " " + quoted(dir_ / "back/Prova_T1-.txt") + " -o " + quoted(dir_ / "again"));
  ASSERT_EQ(again.status, 0) << again.err;
  for (const char* name : {"Prova_T1.dat", "Prova_T1.sim", "Prova_linea.dat"}) {
    EXPECT_EQ(read_bytes(dir_ / "again" / name), read_bytes(built(name))) << name;
  }
  // An existing text is replaced only with --force.
  EXPECT_EQ(decompile(cell_and_table()).status, 2);
  EXPECT_EQ(decompile(cell_and_table(), "--force").status, 0);
}

TEST_F(Decompile, WarnsThatCurvesNeedTheProfile) {
  const ProcessResult run = decompile(cell_and_table());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, ::testing::HasSubstr("warning: without the line profile file the curves"));
  EXPECT_EQ(read_bytes(dir_ / "back/Prova_linea.txt").find("curva"), std::string::npos);
}

// Entry 0 is never written: no text gives it a value, and the proof says where.
TEST_F(Decompile, WritesNothingWhenTheTextsWouldNotGiveTheFiles) {
  std::string table = read_bytes(built("Prova_T1.sim"));
  table[1] = 5;  // entry 0, value1
  write_bytes(built("Prova_T1.sim"), table);
  const ProcessResult run = decompile(cell_and_table());
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err,
              ::testing::HasSubstr("(entry 0 value1: 5 expected, 0 produced); nothing written"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "back"));
}

TEST_F(Decompile, RejectsFilesThatAreNotOfTheirKind) {
  write_bytes(dir_ / "short.dat", std::string(14, '\0'));
  const ProcessResult run =
      decompile(quoted(dir_ / "short.dat") + " " + quoted(built("Prova_T1.sim")));
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, ::testing::HasSubstr("is no cell file"));
  EXPECT_EQ(decompile(quoted(dir_ / "missing.dat") + " " + quoted(built("Prova_T1.sim"))).status,
            2);
}

// dump, inspect and decompile read one signal's values alike, negative s1
// included, and a slowdown off the grid whose countdown starts a tunnel comes
// back with its own start; the texts compile to the same files.
TEST(DecompileAgrees, WithDumpAndInspect) {
  TempDir dir;
  write_bytes(dir / "Monte_linea.txt",
              "[generale]\r\nlunghezza percorso, 5000\r\n[righe]\r\nmontagna, 550, 2000, 1\r\n"
              "[fine]\r\n");
  write_bytes(dir / "Monte_R1-.txt",
              "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n"
              "segnale, 3000, 1, -1, 1, 1, 0, 2, 1, 1, 1, 0\r\n"
              "rallentamento, 1925, 150, -50, 1, 1, 0\r\n[fine]\r\n");
  const std::string program = SC_EXECUTABLE;
  const auto compile = [&](const std::filesystem::path& from, const std::filesystem::path& to) {
    const ProcessResult run =
        run_command(program + " compile " + quoted(from / "Monte_linea.txt") + " " +
                    quoted(from / "Monte_R1-.txt") + " -o " + quoted(to));
    EXPECT_EQ(run.status, 0) << run.err;
  };
  compile(dir.path(), dir / "built");
  const std::string binaries = quoted(dir / "built/Monte_R1.dat") + " " +
                               quoted(dir / "built/Monte_R1.sim") + " " +
                               quoted(dir / "built/Monte_linea.dat");
  const ProcessResult back =
      run_command(program + " decompile " + binaries + " -o " + quoted(dir / "back"));
  ASSERT_EQ(back.status, 0) << back.err;
  const std::string train = read_bytes(dir / "back/Monte_R1-.txt");
  EXPECT_NE(train.find("segnale, 3000, 1, -1, 1, 1, 0, 2, 1, 1, 1, 0\r\n"), std::string::npos)
      << train;
  EXPECT_NE(train.find("rallentamento, 1925, 150, -75, 1, 1, 0\r\n"), std::string::npos) << train;

  const ProcessResult listed = run_command(program + " inspect " + binaries + " --json");
  ASSERT_EQ(listed.status, 0) << listed.err;
  const nlohmann::json signal = nlohmann::json::parse(listed.out)["signals"].at(0);
  const ProcessResult dumped =
      run_command(program + " dump " + quoted(dir / "built/Monte_R1.dat") + " --cells 61 --json");
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  const nlohmann::json decoded = nlohmann::json::parse(dumped.out)["cells"].at(0)["decoded"];
  const std::pair<const char*, int> row[] = {{"sx", 1}, {"s1", -1},  {"s2", 1},
                                             {"s3", 1}, {"rapp", 0}, {"dx", 2},
                                             {"d1", 1}, {"d2", 1},   {"d3", 1}};
  for (const auto& [name, value] : row) {
    EXPECT_EQ(signal[name], value) << name;
    EXPECT_EQ(decoded[name], value) << name;
  }
  EXPECT_EQ(signal["position_m"], 3000);
  EXPECT_EQ(signal["tempo"], 0);
  EXPECT_EQ(nlohmann::json::parse(listed.out)["slowdowns"].at(0)["start_m"], 1925);

  compile(dir / "back", dir / "again");
  for (const char* name : {"Monte_R1.dat", "Monte_R1.sim", "Monte_linea.dat"}) {
    EXPECT_EQ(read_bytes(dir / "again" / name), read_bytes(dir / "built" / name)) << name;
  }
}

}  // namespace
}  // namespace sc::testing

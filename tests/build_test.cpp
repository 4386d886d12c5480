// `scenario-compiler build` run as a process on a folder of one line and
// many trains.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <nlohmann/json.hpp>
#include <thread>

#include "process.h"

namespace sc::testing {
namespace {

constexpr int kTrains = 20;

std::string train_name(int i) {
  return "Val_Ressa_R" + std::to_string(2200 + i) + "-.txt";
}
std::string set_of(int i) {
  return "Val_Ressa_R" + std::to_string(2200 + i);
}

// How many status lines of `out` say `word`.
int lines_saying(const std::string& out, const std::string& word) {
  int count = 0;
  for (size_t at = out.find("] " + word + " "); at != std::string::npos;
       at = out.find("] " + word + " ", at + 1)) {
    ++count;
  }
  return count;
}

class Build : public ::testing::Test {
 protected:
  // One generated line and kTrains trains, each with its own number of cars.
  void SetUp() override {
    std::filesystem::create_directory(src());
    const ProcessResult made =
        run_command(std::string(SC_GENERATE_ROUTE) + " 20000 " +
                    quoted(src() / "Val_Ressa_linea.txt") + " " + quoted(dir_ / "train.txt"));
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string train = read_bytes(dir_ / "train.txt");
    for (int i = 1; i <= kTrains; ++i) write_train(i, train_with_cars(train, 2 + i % 7));
  }
  static std::string train_with_cars(std::string train, int cars) {
    const size_t at = train.find("numero vetture, ");
    const size_t end = train.find('\n', at);
    return train.replace(at, end - at, "numero vetture, " + std::to_string(cars) + "\r");
  }
  void write_train(int i, const std::string& text) const {
    write_bytes(src() / train_name(i), text);
  }
  std::filesystem::path src() const { return dir_ / "src"; }
  std::filesystem::path out() const { return dir_ / "out"; }
  ProcessResult build(const std::string& extra = "") const {
    return run_command(std::string(SC_EXECUTABLE) + " build " + quoted(src()) + " -o " +
                       quoted(out()) + " " + extra);
  }
  // The files of pair `i` in `dir`: the line's profile, the table, the cells.
  std::vector<std::string> set_in(const std::filesystem::path& dir, int i) const {
    return {read_bytes(dir / "Val_Ressa_linea.dat"), read_bytes(dir / (set_of(i) + ".sim")),
            read_bytes(dir / (set_of(i) + ".dat"))};
  }
  std::vector<std::string> separate_compile(int i, const std::filesystem::path& dir) const {
    const ProcessResult compiled = run_command(
        std::string(SC_EXECUTABLE) + " compile -w " + quoted(src() / "Val_Ressa_linea.txt") + " " +
        quoted(src() / train_name(i)) + " -o " + quoted(dir));
    EXPECT_EQ(compiled.status, 0) << compiled.err;
    return set_in(dir, i);
  }

  TempDir dir_;
};

TEST_F(Build, BuildsEveryPairAsItsOwnCompileWouldThenOnlyWhatChanged) {
  const ProcessResult first = build();
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_EQ(lines_saying(first.out, "compiled"), kTrains) << first.out;
  EXPECT_NE(first.out.find("20 pairs: 20 compiled, 0 up to date, 0 failed\n"), std::string::npos);
  for (int i = 1; i <= kTrains; ++i) {
    EXPECT_TRUE(set_in(out(), i) == separate_compile(i, dir_ / "alone"))
        << train_name(i) << " differs from its own compile";
  }

  const ProcessResult again = build();
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(lines_saying(again.out, "up to date"), kTrains) << again.out;
  EXPECT_NE(again.out.find("20 pairs: 0 compiled, 20 up to date, 0 failed; nothing to compile\n"),
            std::string::npos)
      << again.out;

  write_train(7, train_with_cars(read_bytes(src() / train_name(7)), 12));
  const ProcessResult one = build();
  EXPECT_EQ(lines_saying(one.out, "compiled"), 1) << one.out;
  EXPECT_NE(one.out.find("] compiled " + train_name(7) + "\n"), std::string::npos) << one.out;
  EXPECT_TRUE(set_in(out(), 7) == separate_compile(7, dir_ / "alone"));

  write_bytes(src() / "Val_Ressa_linea.txt",
              read_bytes(src() / "Val_Ressa_linea.txt") + "; edited\r\n");
  EXPECT_EQ(lines_saying(build().out, "compiled"), kTrains);
  // An option that changes the files builds them all again; --force too.
  EXPECT_EQ(lines_saying(build("--no-profile").out, "compiled"), kTrains);
  EXPECT_EQ(lines_saying(build("--no-profile").out, "compiled"), 0);
  EXPECT_EQ(lines_saying(build("--no-profile --force -j 1").out, "compiled"), kTrains);
}

TEST_F(Build, AnErrorInOneTrainLeavesTheOthersBuiltAndItsOwnFilesUntouched) {
  ASSERT_EQ(build().status, 0);
  const std::vector<std::string> older = set_in(out(), 5);
  write_bytes(src() / "Val_Ressa_linea.txt",
              read_bytes(src() / "Val_Ressa_linea.txt") + "; edited\r\n");
  write_train(5, "[generale]\r\nnumero vetture, x\r\n[fine]\r\n");

  const ProcessResult failed = build();
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(lines_saying(failed.out, "compiled"), kTrains - 1) << failed.out;
  EXPECT_NE(failed.out.find("] failed " + train_name(5) + ": "), std::string::npos) << failed.out;
  // The path is the platform's own, so only its file name is looked for.
  EXPECT_NE(failed.out.find(train_name(5) + ":2:17: error 25: "), std::string::npos) << failed.out;
  EXPECT_NE(failed.err.find("numero vetture, x\n                ^"), std::string::npos)
      << failed.err;
  EXPECT_EQ(read_bytes(out() / (set_of(5) + ".sim")), older[1]);
  EXPECT_EQ(read_bytes(out() / (set_of(5) + ".dat")), older[2]);
  EXPECT_TRUE(set_in(out(), 6) == separate_compile(6, dir_ / "alone"));
  // A pair that failed is compiled, and reported, again.
  EXPECT_EQ(lines_saying(build().out, "failed"), 1);

  // check DIR checks every pair the same way, and writes nothing.
  const ProcessResult checked = run_command(std::string(SC_EXECUTABLE) + " check " + quoted(src()));
  EXPECT_EQ(checked.status, 1);
  EXPECT_NE(checked.out.find("[5/20] " + train_name(5) + ": 1 error\n"), std::string::npos)
      << checked.out;
  EXPECT_NE(checked.out.find("[6/20] " + train_name(6) + ": clean\n"), std::string::npos);
  EXPECT_NE(checked.err.find("numero vetture, x\n                ^"), std::string::npos);
}

TEST_F(Build, LoneFilesAreNamedAndEveryPairIsReportedAsJson) {
  write_bytes(src() / "Other_R1-.txt", "[generale]\r\n[fine]\r\n");
  write_bytes(src() / "Empty_linea.txt", "[generale]\r\n[fine]\r\n");
  const ProcessResult text = build();
  EXPECT_EQ(text.status, 2);
  EXPECT_NE(text.out.find("Empty_linea.txt: no train file: "), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("] failed Other_R1-.txt: no line file: "), std::string::npos);
  EXPECT_EQ(lines_saying(text.out, "compiled"), kTrains);

  const nlohmann::json report = nlohmann::json::parse(build("--json --force").out);
  ASSERT_EQ(report["pairs"].size(), kTrains + 1u);
  EXPECT_EQ(report["pairs"][0]["outcome"], "compiled");
  EXPECT_EQ(report["pairs"][0]["files"].size(), 3u);
  EXPECT_EQ(report["pairs"][kTrains]["outcome"], "failed");
  EXPECT_EQ(report["lines_without_train"].size(), 1u);
  EXPECT_EQ(report["compiled"], kTrains);
  EXPECT_EQ(report["status"], 2);
}

// An input whose size and time of change are those the log recorded with
// its digest is not read again; the log records them only for a file that
// had not changed for a while when the build began, since a second change
// within the same tick of the clock would keep them.
TEST_F(Build, AnInputIsReadAgainUnlessItsStampWasRecordedOnceSettled) {
  const std::filesystem::path third = src() / train_name(3);
  const std::string five_cars = read_bytes(third);
  const std::string six_cars = train_with_cars(five_cars, 6);
  ASSERT_EQ(six_cars.size(), five_cars.size());
  ASSERT_EQ(build().status, 0);
  // The same size and time of change, other bytes, in a file fresh when built.
  const auto fresh = std::filesystem::last_write_time(third);
  write_bytes(third, six_cars);
  std::filesystem::last_write_time(third, fresh);
  const ProcessResult fresh_build = build();
  EXPECT_EQ(lines_saying(fresh_build.out, "compiled"), 1) << fresh_build.out;
  EXPECT_NE(fresh_build.out.find("] compiled " + train_name(3) + "\n"), std::string::npos);

  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const std::string& name : file_names(src())) {
    std::filesystem::last_write_time(src() / name, an_hour_ago);
  }
  EXPECT_EQ(lines_saying(build().out, "up to date"), kTrains);
  // Now the stamps are trusted: the same trick goes unseen, as in other
  // build tools; --force, or any change of time, builds it.
  write_bytes(third, five_cars);
  std::filesystem::last_write_time(third, an_hour_ago);
  EXPECT_EQ(lines_saying(build().out, "up to date"), kTrains);
  std::filesystem::last_write_time(third, an_hour_ago + std::chrono::seconds(1));
  const ProcessResult touched = build();
  EXPECT_EQ(lines_saying(touched.out, "compiled"), 1) << touched.out;
  EXPECT_TRUE(set_in(out(), 3) == separate_compile(3, dir_ / "alone"));
}

// A signal that comes once the first line's files are in place, while the
// second line is being built: every set is whole, the older one or the new,
// and no temporary is left.
TEST_F(Build, ASignalLeavesEverySetWhole) {
  const ProcessResult made =
      run_command(std::string(SC_GENERATE_ROUTE) + " 1000000 " + quoted(src() / "Zeta_linea.txt") +
                  " " + quoted(src() / "Zeta_T1-.txt"));
  ASSERT_EQ(made.status, 0) << made.err;
  std::filesystem::copy_file(src() / "Zeta_T1-.txt", src() / "Zeta_T2-.txt");
  std::filesystem::create_directory(out());
  const std::vector<std::string> zeta = {"Zeta_linea.dat", "Zeta_T1.sim", "Zeta_T1.dat",
                                         "Zeta_T2.sim", "Zeta_T2.dat"};
  for (const std::string& name : zeta) write_bytes(out() / name, "older " + name);

  Child build({SC_EXECUTABLE, "build", src(), "-o", out()});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!std::filesystem::exists(out() / (set_of(kTrains) + ".dat")) && build.running() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(build.pid(), SIGINT);
  const int status = build.wait();
  EXPECT_TRUE(status == 0 || status == 128 + SIGINT) << status;
  EXPECT_TRUE(set_in(out(), 1) == separate_compile(1, dir_ / "alone"));
  int older = 0;
  for (const std::string& name : zeta) older += read_bytes(out() / name) == "older " + name;
  EXPECT_TRUE(older == 0 || older == static_cast<int>(zeta.size())) << older << " older files";
  for (const std::string& name : file_names(out())) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace sc::testing

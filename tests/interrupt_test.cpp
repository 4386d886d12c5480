// Runs that end early or meet another run: whatever happens, an output
// directory holds the older set of files or the new one, never a mix, and no
// temporary file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "process.h"

namespace sc::testing {
namespace {

const std::vector<std::string> kOutputs = {"Gen_T1.dat", "Gen_T1.sim", "Gen_linea.dat"};

// How soon a run ends after a signal.
constexpr std::chrono::seconds kSignalLimit{1};

// The second signal the tests send besides SIGINT. Under Wine only SIGINT
// reaches the Windows program, as the console's Ctrl-C; SIGTERM and SIGHUP end
// the Wine process itself.
int second_signal(int linux_signal) {
  return testing_windows_build() ? SIGINT : linux_signal;
}

// Takes the lock a run into `dir` holds: on Linux on the directory itself,
// for the Windows build on the first byte of its lock file, which Wine keeps
// as a POSIX record lock. Closing the descriptor lets go.
int hold_output_lock(const std::filesystem::path& dir) {
  if (!testing_windows_build()) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return ::flock(fd, LOCK_EX) == 0 ? fd : -1;
  }
  const int fd =
      ::open((dir / ".scenario-compiler.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  return ::fcntl(fd, F_SETLK, &range) == 0 ? fd : -1;
}

std::vector<std::string> outputs_in(const std::filesystem::path& dir) {
  std::vector<std::string> bytes;
  for (const std::string& name : kOutputs) bytes.push_back(read_bytes(dir / name));
  return bytes;
}

class Interrupts : public ::testing::Test {
 protected:
  // A generated route of `length` metres, to be compiled into out().
  void generate(int length) {
    const ProcessResult made =
        run_command(std::string(SC_GENERATE_ROUTE) + " " + std::to_string(length) + " " +
                    quoted(dir_ / "Gen_linea.txt") + " " + quoted(dir_ / "Gen_T1-.txt"));
    ASSERT_EQ(made.status, 0) << made.err;
  }
  std::vector<std::string> compile_into(const std::filesystem::path& out) const {
    return {SC_EXECUTABLE, "compile", dir_ / "Gen_linea.txt", dir_ / "Gen_T1-.txt", "-o", out};
  }
  // An output directory that holds an older set of the three files.
  void lay_older_set() const {
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    for (const std::string& name : kOutputs) write_bytes(out() / name, "older " + name);
  }
  std::filesystem::path out() const { return dir_ / "out"; }

  TempDir dir_;
};

TEST_F(Interrupts, ASignalLeavesTheOlderSetOrTheNewOne) {
  generate(1000000);
  lay_older_set();
  const std::vector<std::string> older = outputs_in(out());
  // The new set, and roughly how long a whole run takes here.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Child(compile_into(dir_ / "new")).wait(), 0);
  const auto whole_run = std::chrono::steady_clock::now() - start;
  const std::vector<std::string> newer = outputs_in(dir_ / "new");

  // Signals sent at points spread over a run; those that come before the
  // files are in place end it with 128 + the signal's number.
  constexpr int kAttempts = 12;
  int interrupted = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    lay_older_set();
    const int signal = attempt % 2 == 0 ? SIGINT : second_signal(SIGTERM);
    Child run(compile_into(out()));
    std::this_thread::sleep_for(whole_run * attempt / kAttempts);
    ::kill(run.pid(), signal);
    const int status = run.wait();
    EXPECT_TRUE(status == 0 || status == 128 + signal) << "attempt " << attempt << ": " << status;
    if (status != 0) ++interrupted;
    EXPECT_EQ(file_names(out()), kOutputs) << "attempt " << attempt;
    const std::vector<std::string> left = outputs_in(out());
    EXPECT_TRUE(left == older || left == newer) << "attempt " << attempt << " left a mixed set";
  }
  EXPECT_GT(interrupted, 0) << "no signal came before the end of its run";
}

// What a run that finds the folder taken prints once.
constexpr const char* kWaitingLine = "waiting for ";

TEST_F(Interrupts, ALaterRunIntoTheSameDirectoryWaitsForTheEarlier) {
  generate(10000);
  lay_older_set();
  const std::vector<std::string> older = outputs_in(out());
  // The test holds the lock an earlier run would hold.
  const int held = hold_output_lock(out());
  ASSERT_GE(held, 0);
  Child waiting(compile_into(out()));
  waiting.wait_for_error_text(kWaitingLine);
  EXPECT_NE(waiting.err().find(out().string()), std::string::npos)
      << "the waiting run does not name the folder: " << waiting.err();
  EXPECT_TRUE(outputs_in(out()) == older) << "a run wrote while another held the directory";
  // A signal ends a waiting run like any other.
  Child ended(compile_into(out()));
  ended.wait_for_error_text(kWaitingLine);
  ::kill(ended.pid(), second_signal(SIGHUP));
  EXPECT_EQ(ended.wait(), 128 + second_signal(SIGHUP));

  ::close(held);
  EXPECT_EQ(waiting.wait(), 0) << waiting.err();
  EXPECT_EQ(file_names(out()), kOutputs);
  EXPECT_TRUE(outputs_in(out()) != older) << "the waiting run wrote nothing";
}

// Ctrl-C reaches a run into a folder that another run holds before it comes
// to the lock, as it comes there, or while it waits: whenever it comes, the
// run ends at once with 130 and the older files stay.
TEST_F(Interrupts, CtrlCEndsARunThatMeetsATakenFolderAtOnce) {
  // Under Wine a signal sent early reaches the loader before the program's
  // console handler stands, so the moments before the lock are not alike there.
  if (testing_windows_build()) GTEST_SKIP() << "signal timing under Wine differs from Windows";
  generate(1000000);
  lay_older_set();
  const std::vector<std::string> older = outputs_in(out());
  const int held = hold_output_lock(out());
  ASSERT_GE(held, 0);
  // How long a run takes to reach the lock here, from its first words.
  const auto start = std::chrono::steady_clock::now();
  {
    Child reaching(compile_into(out()));
    reaching.wait_for_error_text(kWaitingLine);
    ::kill(reaching.pid(), SIGINT);
    EXPECT_EQ(reaching.wait(kSignalLimit), 130) << reaching.err();
  }
  const auto to_the_lock = std::chrono::steady_clock::now() - start;
  constexpr int kMoments = 8;
  for (int moment = 0; moment <= kMoments; ++moment) {
    Child run(compile_into(out()));
    std::this_thread::sleep_for(to_the_lock * moment / kMoments);
    ::kill(run.pid(), SIGINT);
    EXPECT_EQ(run.wait(kSignalLimit), 130) << "at moment " << moment << ": " << run.err();
    EXPECT_TRUE(outputs_in(out()) == older) << "at moment " << moment;
  }
  ::close(held);
  for (const std::string& name : file_names(out())) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << "a temporary was left: " << name;
  }
}

// A line file of about 50 MB, UTF-8 throughout, whose rows past the route's
// first kilometres come again and again: each compile of check finds errors
// in them, without end with --error-limit 0.
std::string fifty_megabyte_line_file(const std::string& route_line_text) {
  const size_t rows = route_line_text.find("[pendenze]");
  const size_t end = route_line_text.rfind("[fine]");
  std::string text = route_line_text.substr(0, end) + "[indicazioni]\n";
  text += "indicatore cartello, 1000, Piazza Ca\xC3\xA8\n";
  const std::string again = route_line_text.substr(rows, end - rows);
  while (text.size() < 50'000'000) text += again;
  return text + "[fine]\n";
}

// The check of a 50 MB file ends soon after SIGTERM, whenever it comes: while
// the file is read, decoded, compiled or checked again. Within a second on an
// idle machine; the bound here leaves room for a loaded one, where a run
// beside it and two busy processes have been seen to stretch that.
TEST_F(Interrupts, ACheckOfA50MbFileEndsSoonAfterTheSignal) {
  constexpr std::chrono::seconds kLoadedSignalLimit{5};
  if (testing_windows_build()) GTEST_SKIP() << "signal timing under Wine differs from Windows";
  generate(1000000);
  write_bytes(dir_ / "Big_linea.txt", fifty_megabyte_line_file(read_bytes(dir_ / "Gen_linea.txt")));
  constexpr int kMoments = 8;
  constexpr auto kSpread = std::chrono::seconds(2);
  for (int moment = 0; moment < kMoments; ++moment) {
    Child run({SC_EXECUTABLE, "check", "--error-limit", "0", dir_ / "Big_linea.txt",
               dir_ / "Gen_T1-.txt"});
    std::this_thread::sleep_for(kSpread * moment / kMoments);
    ::kill(run.pid(), SIGTERM);
    EXPECT_EQ(run.wait(kLoadedSignalLimit), 128 + SIGTERM) << "at moment " << moment;
  }
}

// Ctrl-C at moments spread over a run of decompile, plot and the one-shot
// run: each ends with 130 and leaves the files it would have replaced as they
// were, or it has finished and left the new ones; never a temporary.
TEST_F(Interrupts, CtrlCLeavesDecompilePlotAndTheOneShotRunsFilesOlderOrNew) {
  if (testing_windows_build()) GTEST_SKIP() << "signal timing under Wine differs from Windows";
  generate(100000);
  ASSERT_EQ(Child(compile_into(dir_ / "built")).wait(), 0);
  const auto built = [&](const std::string& name) { return (dir_ / "built" / name).string(); };
  struct Command {
    std::string name;
    // Its words, writing into `folder`.
    std::function<std::vector<std::string>(const std::filesystem::path& folder)> argv;
    std::vector<std::string> outputs;
  };
  const Command commands[] = {
      {"decompile",
       [&](const std::filesystem::path& folder) -> std::vector<std::string> {
         return {SC_EXECUTABLE,
                 "decompile",
                 built("Gen_T1.dat"),
                 built("Gen_T1.sim"),
                 built("Gen_linea.dat"),
                 "-o",
                 folder,
                 "--force"};
       },
       {"Gen_T1-.txt", "Gen_linea.txt"}},
      {"plot",
       [&](const std::filesystem::path& folder) -> std::vector<std::string> {
         return {SC_EXECUTABLE,        "plot", dir_ / "Gen_linea.txt",
                 dir_ / "Gen_T1-.txt", "-o",   folder / "Gen.svg"};
       },
       {"Gen.svg"}},
      {"the one-shot run",
       [&](const std::filesystem::path& folder) -> std::vector<std::string> {
         // exec keeps the process id, which the signal is sent to.
         return {"/bin/sh", "-c",
                 "exec env -u DISPLAY " + install_program(folder) + " > /dev/null"};
       },
       {"Vardeo_Lustrella_K7306.dat", "Vardeo_Lustrella_K7306.sim",
        "Vardeo_Lustrella_K7306_note.txt", "Vardeo_Lustrella_K7306_rallentamenti.txt",
        "Vardeo_Lustrella_K7306_scheda_treno.txt", "Vardeo_Lustrella_linea.dat"}},
  };
  for (const Command& command : commands) {
    SCOPED_TRACE(command.name);
    const auto files_in = [&](const std::filesystem::path& folder) {
      std::vector<std::string> bytes;
      for (const std::string& name : command.outputs) bytes.push_back(read_bytes(folder / name));
      return bytes;
    };
    const auto lay_older = [&](const std::filesystem::path& folder) {
      std::filesystem::remove_all(folder);
      std::filesystem::create_directory(folder);
      for (const std::string& name : command.outputs) write_bytes(folder / name, "older " + name);
    };
    lay_older(dir_ / "new");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Child(command.argv(dir_ / "new")).wait(), 0);
    const auto whole_run = std::chrono::steady_clock::now() - start;
    const std::vector<std::string> newer = files_in(dir_ / "new");
    const std::vector<std::string> names = file_names(dir_ / "new");

    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      lay_older(out());
      const std::vector<std::string> older = files_in(out());
      Child run(command.argv(out()));
      std::this_thread::sleep_for(whole_run * attempt / kAttempts);
      ::kill(run.pid(), SIGINT);
      const int status = run.wait(kSignalLimit);
      EXPECT_TRUE(status == 0 || status == 130) << "attempt " << attempt << ": " << status;
      EXPECT_EQ(file_names(out()), names) << "attempt " << attempt;
      EXPECT_TRUE(files_in(out()) == (status == 0 ? newer : older)) << "attempt " << attempt;
    }
  }
}

}  // namespace
}  // namespace sc::testing

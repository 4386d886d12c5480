#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace sc::testing {

// The scenario-compiler under test, a file that can be run or spawned: the
// build's own, or SC_TEST_PROGRAM from the environment (a wrapper that starts
// the Windows build under Wine). SC_EXECUTABLE stands for this.
const char* program_under_test();

// True when the program under test is the Windows build.
bool testing_windows_build();

// Copies the program under test into `dir` under its own file name, for a
// run whose program folder must be `dir`, and returns the command that runs
// the copy. The Windows build's file is SC_TEST_PROGRAM_FILE, run through
// SC_TEST_RUNNER.
std::string install_program(const std::filesystem::path& dir);
// The file name install_program gives the copy.
std::string program_file_name();

// `dir` / `name` as the program under test prints it: with the platform's
// separator before `name`.
std::string shown_path(const std::filesystem::path& dir, const std::string& name);

// A fresh directory under the system's temporary directory, removed with its
// contents at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

// How long a test waits for a program it started, at most: one that runs
// longer has hung, and the test fails with what it printed.
constexpr std::chrono::seconds kProcessLimit{300};

// Runs a shell command line, capturing its standard output and error; its
// standard input is empty. Throws, with what it printed, when it runs longer
// than `limit` (it is then killed).
ProcessResult run_command(const std::string& command,
                          std::chrono::milliseconds limit = kProcessLimit);

// What a Child reads: nothing, or what the test writes to it.
enum class ChildInput { kEmpty, kFromTest };

// A program started (no shell) with its standard output and error kept. One
// still running when the Child goes is killed.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv, ChildInput input = ChildInput::kEmpty);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int pid() const { return pid_; }
  // Its exit status, or 128 + the signal that ended it, as a shell reports
  // it. Throws, with what it printed, when it runs longer than `limit`.
  int wait(std::chrono::milliseconds limit = kProcessLimit);
  bool running();
  // Waits until its standard error (output) holds `text`. Throws, with what
  // it printed, when it ends first or `limit` passes.
  void wait_for_error_text(const std::string& text,
                           std::chrono::milliseconds limit = kProcessLimit);
  void wait_for_output_text(const std::string& text,
                            std::chrono::milliseconds limit = kProcessLimit);
  // Writes `bytes` to its standard input (ChildInput::kFromTest). Throws, with
  // what it printed, when it ends or has not read them within `limit`.
  void write_input(const std::string& bytes, std::chrono::milliseconds limit = kProcessLimit);
  // What it printed so far.
  std::string out() const;
  std::string err() const;

 private:
  [[noreturn]] void fail(const std::string& what);
  void wait_for_text(const std::string& stream, const std::string& text,
                     std::chrono::milliseconds limit);

  std::string command_;  // as the failures name it
  TempDir scratch_;      // its standard output and error
  int pid_ = -1;
  int input_ = -1;   // the end of its standard input's pipe the test writes to
  int status_ = -1;  // once it has ended
};

std::string read_bytes(const std::filesystem::path& path);
// The names of the entries of a directory, sorted.
std::vector<std::string> file_names(const std::filesystem::path& dir);
void write_bytes(const std::filesystem::path& path, const std::string& bytes);
// Single-quotes a path for the shell.
std::string quoted(const std::filesystem::path& path);

}  // namespace sc::testing

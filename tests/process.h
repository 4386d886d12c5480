#pragma once

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

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line, capturing its standard output and error.
ProcessResult run_command(const std::string& command);

// Starts a program (no shell) with its standard output and error discarded,
// and returns its process id.
int start_process(const std::vector<std::string>& argv);
// Waits for a started process: its exit status, or 128 + the signal that
// killed it, as a shell reports it.
int wait_for(int pid);
// True while a started process is still running.
bool is_running(int pid);

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

std::string read_bytes(const std::filesystem::path& path);
// The names of the entries of a directory, sorted.
std::vector<std::string> file_names(const std::filesystem::path& dir);
void write_bytes(const std::filesystem::path& path, const std::string& bytes);
// Single-quotes a path for the shell.
std::string quoted(const std::filesystem::path& path);

}  // namespace sc::testing

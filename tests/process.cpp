#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sc::testing {

namespace {

const char* environment_or(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

const char* program_under_test() {
  return environment_or("SC_TEST_PROGRAM", SC_BUILT_EXECUTABLE);
}

bool testing_windows_build() {
  return environment_or("SC_TEST_PROGRAM_FILE", nullptr) != nullptr;
}

std::string program_file_name() {
  return std::filesystem::path(environment_or("SC_TEST_PROGRAM_FILE", SC_BUILT_EXECUTABLE))
      .filename()
      .string();
}

std::string install_program(const std::filesystem::path& dir) {
  const std::filesystem::path copy = dir / program_file_name();
  std::filesystem::copy_file(environment_or("SC_TEST_PROGRAM_FILE", SC_BUILT_EXECUTABLE), copy);
  const std::string runner = environment_or("SC_TEST_RUNNER", "");
  return (runner.empty() ? "" : runner + " ") + quoted(copy);
}

std::string shown_path(const std::filesystem::path& dir, const std::string& name) {
  return dir.string() + (testing_windows_build() ? "\\" : "/") + name;
}

ProcessResult run_command(const std::string& command) {
  TempDir scratch;
  const auto err_file = scratch / "stderr";
  const std::string full = "(" + command + ") 2>" + quoted(err_file);
  FILE* pipe = ::popen(full.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("popen failed");
  ProcessResult result;
  std::array<char, 4096> buffer;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.out.append(buffer.data(), got);
  }
  const int raw = ::pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.err = read_bytes(err_file);
  return result;
}

int start_process(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("posix_spawn failed");
  return pid;
}

int wait_for(int pid) {
  int raw = 0;
  if (::waitpid(pid, &raw, 0) != pid) throw std::runtime_error("waitpid failed");
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

bool is_running(int pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sc-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> file_names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string quoted(const std::filesystem::path& path) {
  std::string out = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

}  // namespace sc::testing

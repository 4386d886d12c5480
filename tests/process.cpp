#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

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

ProcessResult run_command(const std::string& command, std::chrono::milliseconds limit) {
  Child child({"/bin/sh", "-c", command});
  ProcessResult result;
  result.status = child.wait(limit);
  result.out = child.out();
  result.err = child.err();
  return result;
}

// In a process group of its own, so that a child that hangs is killed with
// whatever it started (by the destructor, as the failure unwinds the test).
Child::Child(const std::vector<std::string>& argv, ChildInput input) {
  for (const std::string& arg : argv) command_ += (command_.empty() ? "" : " ") + arg;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipe_ends[2] = {-1, -1};
  if (input == ChildInput::kFromTest) {
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    // A write to a child that has ended fails with EPIPE instead of ending the test.
    std::signal(SIGPIPE, SIG_IGN);
    ::fcntl(pipe_ends[1], F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[0], 0);
    input_ = pipe_ends[1];
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 1, (scratch_ / "out").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (scratch_ / "err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_ends[0] >= 0) ::close(pipe_ends[0]);
  if (error != 0) {
    if (input_ >= 0) ::close(input_);
    throw std::runtime_error("cannot start " + command_);
  }
  pid_ = pid;
}

Child::~Child() {
  if (input_ >= 0) ::close(input_);
  if (status_ >= 0) return;
  ::kill(-pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

bool Child::running() {
  if (status_ >= 0) return false;
  int raw = 0;
  const pid_t ended = ::waitpid(pid_, &raw, WNOHANG);
  if (ended == 0) return true;
  if (ended != pid_) fail("could not be waited for");
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return false;
}

namespace {

// How often a wait looks at the child again.
constexpr std::chrono::milliseconds kPollInterval{5};

std::string seconds_of(std::chrono::milliseconds limit) {
  return std::to_string(static_cast<double>(limit.count()) / 1000) + " s";
}

}  // namespace

int Child::wait(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid_, SIGKILL);
      fail("still ran after " + seconds_of(limit) + " and was killed");
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return status_;
}

void Child::wait_for_error_text(const std::string& text, std::chrono::milliseconds limit) {
  wait_for_text("err", text, limit);
}

void Child::wait_for_output_text(const std::string& text, std::chrono::milliseconds limit) {
  wait_for_text("out", text, limit);
}

void Child::wait_for_text(const std::string& stream, const std::string& text,
                          std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (read_bytes(scratch_ / stream).find(text) == std::string::npos) {
    if (!running()) {
      fail("ended (status " + std::to_string(status_) + ") before it printed \"" + text + "\"");
    }
    if (std::chrono::steady_clock::now() > deadline) {
      fail("did not print \"" + text + "\" within " + seconds_of(limit));
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

void Child::write_input(const std::string& bytes, std::chrono::milliseconds limit) {
  if (input_ < 0) fail("was given no input to write to");
  const auto deadline = std::chrono::steady_clock::now() + limit;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(input_, bytes.data() + written, bytes.size() - written);
    if (count > 0) {
      written += static_cast<size_t>(count);
      continue;
    }
    if (count < 0 && errno != EAGAIN && errno != EINTR) fail("stopped reading its input");
    if (!running()) fail("ended (status " + std::to_string(status_) + ") before it read its input");
    if (std::chrono::steady_clock::now() > deadline) {
      fail("did not read its input within " + seconds_of(limit));
    }
    pollfd writable{input_, POLLOUT, 0};
    ::poll(&writable, 1, static_cast<int>(kPollInterval.count()));
  }
}

std::string Child::out() const {
  return read_bytes(scratch_ / "out");
}

std::string Child::err() const {
  return read_bytes(scratch_ / "err");
}

void Child::fail(const std::string& what) {
  const std::string message = command_ + " " + what + "\n--- its standard output:\n" + out() +
                              "--- its standard error:\n" + err();
  throw std::runtime_error(message);
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

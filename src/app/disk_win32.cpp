// The file side of a run on Windows, through the wide-character API: the same
// staging, the same swap into place and the same lock per output folder as on
// Linux, in Windows' own terms.
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "app/disk.h"
#include "app/disk_platform.h"
#include "app/interrupt.h"
#include "app/interrupt_win32.h"
#include "app/win32_text.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

// The file in each output folder whose lock a run holds while it writes there.
// Every run opens it to be deleted once the last of them closes it, so it
// stays only while a run is at work.
constexpr const wchar_t* kLockFileName = L".scenario-compiler.lock";

// How often a name being deleted is tried again.
constexpr DWORD kLockPollMilliseconds = 20;

IoError io_error(const std::string& action, const std::filesystem::path& path, DWORD error) {
  return IoError("cannot " + action + " " + utf8_of(path) + ": " + system_message(error));
}

IoError unreadable_input(const std::filesystem::path& path, const std::string& reason) {
  return IoError("cannot read " + utf8_of(path) + ": " + reason);
}

IoError too_large(const std::filesystem::path& path) {
  return unreadable_input(path, "it holds more than " + std::to_string(kMaxInputBytes >> 20) +
                                    " MiB, the limit for an input file");
}

IoError not_a_file(const std::filesystem::path& path) {
  return unreadable_input(path, "it is neither a regular file nor a pipe");
}

// Closes the handle on every way out.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Closes now, so that a failure of the close itself can be reported.
  bool close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// A call that failed because a Ctrl-C broke it off is tried again, unless the
// run is to stop.
bool broken_off(DWORD error) {
  if (error != ERROR_OPERATION_ABORTED) return false;
  stop_if_interrupted();
  return true;
}

std::filesystem::path temporary_name(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path tmp = path;
  tmp.replace_filename(path_from_utf8("." + utf8_of(path.filename()) + ".tmp" +
                                      std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(counter++)));
  return tmp;
}

void write_all(HANDLE file, std::string_view bytes, const std::filesystem::path& path) {
  stop_if_interrupted();
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), piece, &written, nullptr)) {
      const DWORD error = GetLastError();
      if (broken_off(error)) continue;
      throw io_error("write", path, error);
    }
    bytes.remove_prefix(written);
  }
}

// Everything `file` still holds, up to kMaxInputBytes; `expected` is the size
// announced, if any. The end of a pipe is its writer's close.
std::string read_all(HANDLE file, const std::filesystem::path& path, size_t expected) {
  std::string bytes;
  bytes.reserve(std::min(expected, kMaxInputBytes));
  char buffer[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return bytes;
      if (broken_off(error)) continue;
      throw io_error("read", path, error);
    }
    if (got == 0) {
      stop_if_interrupted();
      return bytes;
    }
    if (bytes.size() + got > kMaxInputBytes) throw too_large(path);
    bytes.append(buffer, got);
  }
}

// Reads an input file: a disk file or a pipe, or anything at all when it is
// standard input, which the user chose to hand over.
std::string read_input(HANDLE file, const std::filesystem::path& path, bool any_kind) {
  const DWORD type = GetFileType(file);
  if (type == FILE_TYPE_DISK) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) throw io_error("read", path, GetLastError());
    if (static_cast<uint64_t>(size.QuadPart) > kMaxInputBytes) throw too_large(path);
    return read_all(file, path, static_cast<size_t>(size.QuadPart));
  }
  if (type == FILE_TYPE_PIPE || any_kind) return read_all(file, path, 0);
  throw not_a_file(path);
}

// Opens `path` for reading, as others may write or replace it meanwhile;
// an invalid handle when it does not exist.
HANDLE open_input(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) return file;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return file;
  // A folder cannot be opened as a file: say what it is.
  if (disk_platform::names_a_directory(path)) throw not_a_file(path);
  throw io_error("open", path, error);
}

// Opens the lock file of `dir`, creating it where missing. A name being
// deleted by the last run to let go of it cannot be opened for a moment.
HANDLE open_lock_file(const std::filesystem::path& dir, const std::filesystem::path& for_path) {
  const std::filesystem::path lock_file = dir / kLockFileName;
  for (int attempt = 0;; ++attempt) {
    const HANDLE file =
        CreateFileW(lock_file.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED || attempt >= 50) throw io_error("create", for_path, error);
    stop_if_interrupted();
    Sleep(kLockPollMilliseconds);
  }
}

}  // namespace

namespace disk_platform {

bool names_a_directory(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Puts the staged file `temporary` in place of `path`: ReplaceFileW where an
// older file stands there, which keeps its attributes and permissions, and a
// rename onto the name where it is free.
void put_in_place(const std::filesystem::path& temporary, const std::filesystem::path& path) {
  if (ReplaceFileW(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    return;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    throw io_error("replace", path, error);
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    throw io_error("replace", path, GetLastError());
  }
}

void delete_file(const std::filesystem::path& path) {
  if (DeleteFileW(path.c_str())) return;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND) throw io_error("delete", path, error);
}

void discard_file(const std::filesystem::path& path) {
  DeleteFileW(path.c_str());
}

void close_lock(int fd) {
  _close(fd);
}

}  // namespace disk_platform

std::optional<std::string> RealDisk::read_file(const std::filesystem::path& path) {
  if (path == "-") return read_input(GetStdHandle(STD_INPUT_HANDLE), "standard input", true);
  std::filesystem::path source = path;
  if (const Staged* s = staged(path)) {
    if (s->temporary.empty()) return std::nullopt;
    source = s->temporary;
  }
  const Handle file(open_input(source));
  if (!file.valid()) return std::nullopt;
  return read_input(file.get(), path, false);
}

void RealDisk::write_file(const std::filesystem::path& path,
                          const std::function<void(const ByteSink&)>& write) {
  lock_directory_of(path);
  stop_if_interrupted();
  const std::filesystem::path tmp = temporary_name(path);
  Handle file(CreateFileW(tmp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw io_error("create", path, GetLastError());
  // Staged at once, so that the temporary goes whatever happens next.
  if (Staged* s = staged(path)) {
    if (!s->temporary.empty()) disk_platform::discard_file(s->temporary);
    s->temporary = tmp;
  } else {
    staged_.push_back({path, tmp});
  }
  write([&](std::string_view piece) { write_all(file.get(), piece, path); });
  if (!file.close()) throw io_error("write", path, GetLastError());
}

// The lock's handle is kept as a C runtime descriptor, the form the class
// holds on every platform; closing it closes the handle and lets go.
void RealDisk::lock_directory_of(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  for (const auto& [locked, fd] : locks_) {
    if (locked == dir) return;
  }
  const HANDLE file = open_lock_file(dir, path);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
  if (fd < 0) {
    CloseHandle(file);
    throw IoError("cannot create " + utf8_of(path) + ": no descriptor left for its folder's lock");
  }
  locks_.emplace_back(dir, fd);
  // Takes the lock on the first byte of the file, trying again while another
  // run holds it; Ctrl-C ends the wait.
  for (bool told = false;;) {
    stop_if_interrupted();
    OVERLAPPED at{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return;
    // The lock is advisory: where the file system cannot lock, the run goes
    // on without it.
    if (GetLastError() != ERROR_LOCK_VIOLATION) return;
    if (!told) say_waiting_for(dir);
    told = true;
    WaitForSingleObject(interrupt_event(), kLockRetryMilliseconds);
  }
}

}  // namespace sc

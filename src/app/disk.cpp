// The staging and the swap into place of RealDisk, the same on every
// platform; the platform's own calls are in disk_posix.cpp and disk_win32.cpp.
#include "app/disk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "app/disk_platform.h"
#include "app/interrupt.h"
#include "textio/utf8_path.h"

namespace sc {

RealDisk::~RealDisk() {
  discard_staged();
  unlock_directories();
}

RealDisk::Staged* RealDisk::staged(const std::filesystem::path& path) {
  const auto it =
      std::find_if(staged_.begin(), staged_.end(), [&](const Staged& s) { return s.path == path; });
  return it == staged_.end() ? nullptr : &*it;
}

void RealDisk::remove_file(const std::filesystem::path& path) {
  lock_directory_of(path);
  if (Staged* s = staged(path)) {
    if (!s->temporary.empty()) disk_platform::discard_file(s->temporary);
    s->temporary.clear();
  } else {
    staged_.push_back({path, {}});
  }
}

void RealDisk::commit() {
  {
    const InterruptsHeld held;
    stop_if_interrupted();
    // A directory under a final name fails the run before anything is
    // replaced.
    for (const Staged& s : staged_) {
      if (disk_platform::names_a_directory(s.path)) {
        throw IoError("cannot " + std::string(s.temporary.empty() ? "delete" : "replace") + " " +
                      utf8_of(s.path) + ": " + std::strerror(EISDIR));
      }
    }
    while (!staged_.empty()) {
      const Staged& s = staged_.front();
      if (s.temporary.empty()) {
        disk_platform::delete_file(s.path);
      } else {
        disk_platform::put_in_place(s.temporary, s.path);
      }
      staged_.erase(staged_.begin());
    }
  }
  unlock_directories();
}

void RealDisk::say_waiting_for(const std::filesystem::path& dir) {
  if (!notices_) return;
  *notices_ << "scenario-compiler: waiting for " << utf8_of(dir)
            << ", which another run is writing into\n"
            << std::flush;
}

void RealDisk::discard_staged() {
  for (const Staged& s : staged_) {
    if (!s.temporary.empty()) disk_platform::discard_file(s.temporary);
  }
  staged_.clear();
}

void RealDisk::unlock_directories() {
  for (const auto& [dir, fd] : locks_) disk_platform::close_lock(fd);
  locks_.clear();
}

}  // namespace sc

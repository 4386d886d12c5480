#pragma once

#include <filesystem>

// What the staging and the swap into place of RealDisk need from the
// platform, one file each: disk_posix.cpp and disk_win32.cpp.
namespace sc::disk_platform {

bool names_a_directory(const std::filesystem::path& path);

// Puts the staged file `temporary` in place of `path`; throws IoError.
void put_in_place(const std::filesystem::path& temporary, const std::filesystem::path& path);

// Deletes `path`, which may be missing; throws IoError on any other failure.
void delete_file(const std::filesystem::path& path);

// Deletes a staged temporary, as well as it can: nothing is reported.
void discard_file(const std::filesystem::path& path);

// Lets go of a lock that lock_directory_of took.
void close_lock(int fd);

}  // namespace sc::disk_platform

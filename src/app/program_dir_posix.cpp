#include <system_error>

#include "app/program_dir.h"

namespace sc {

std::optional<std::filesystem::path> program_directory() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return exe.parent_path();
}

}  // namespace sc

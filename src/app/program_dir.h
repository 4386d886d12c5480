#pragma once

#include <filesystem>
#include <optional>

namespace sc {

// The directory of the running executable, as the operating system reports
// it; nullopt when it cannot be found.
std::optional<std::filesystem::path> program_directory();

}  // namespace sc

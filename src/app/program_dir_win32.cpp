#include <windows.h>

#include <string>

#include "app/program_dir.h"

namespace sc {

std::optional<std::filesystem::path> program_directory() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::nullopt;
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    // The name was cut short: a longer buffer.
    name.resize(name.size() * 2);
  }
}

}  // namespace sc

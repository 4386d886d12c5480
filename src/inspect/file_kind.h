#pragma once

#include <optional>
#include <string_view>

namespace sc {

// The three binary files of a scenario.
enum class FileKind { kCells, kTable, kProfile };

// The kind a file's name gives: "..._linea.dat" is a line profile, ".sim" a
// scenario table, any other ".dat" a cell file; nullopt otherwise.
std::optional<FileKind> kind_from_name(std::string_view file_name);

}  // namespace sc

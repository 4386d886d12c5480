#include "inspect/file_kind.h"

namespace sc {

std::optional<FileKind> kind_from_name(std::string_view file_name) {
  if (file_name.ends_with("_linea.dat")) return FileKind::kProfile;
  if (file_name.ends_with(".sim")) return FileKind::kTable;
  if (file_name.ends_with(".dat")) return FileKind::kCells;
  return std::nullopt;
}

}  // namespace sc

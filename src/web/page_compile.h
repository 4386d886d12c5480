#pragma once

#include <string>
#include <vector>

namespace sc::web {

// The two files of the page as it holds them: their names (UTF-8, as the user
// typed them) and their bytes (UTF-8 or Windows-1252, as a file on disk).
struct PagePair {
  std::string line_file;
  std::string line_text;
  std::string train_file;
  std::string train_text;
};

struct DownloadFile {
  std::string name;  // UTF-8
  std::string bytes;
};

// What the page shows after a compile: the run's outcome as `compile` reports
// it, the files to download (none when an error was recorded), and the route
// picture, summary and objects listing when cells were built.
struct PageCompile {
  enum class Status { kClean, kErrorRecorded, kFatal, kUnusable };
  Status status = Status::kUnusable;
  std::string findings;  // as `compile` writes them, without colours
  std::vector<DownloadFile> files;
  std::string summary;
  std::string svg;
  std::string objects;
};

// Compiles the pair with the line profile, as `compile` does; a name or text
// the program would refuse makes kUnusable with the reason in `findings`.
PageCompile compile_page_pair(const PagePair& pair);

// A file's bytes for the editor: UTF-8, read as `compile` reads the file
// (UTF-8 when it is UTF-8 throughout, else Windows-1252).
std::string text_for_editor(std::string bytes);
// The editor's UTF-8 text as the Windows-1252 bytes the simulator reads;
// nullopt-like empty `failed` says where a character has no Windows-1252 form.
struct SavedText {
  std::string bytes;
  std::string failed;  // "LINE:COLUMN" of the first character with no form, or empty
};
SavedText text_for_disk(std::string utf8);

// The built-in example's two texts (Windows-1252) and their file names.
PagePair built_in_example();

}  // namespace sc::web

// Compiles an arbitrary pair of line and train texts through the whole driver
// and serializes the result; the lint of check reads the rows it recorded.
// Input: one byte whose low bit is j and whose next bit says whether the lint
// takes the texts as forced to Windows-1252 or as found to be Windows-1252,
// then the line text, a NUL byte, the train text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "check/lint.h"
#include "driver/pipeline.h"
#include "output/binary_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const sc::ProfileChoice profile =
      (data[0] & 1) != 0 ? sc::ProfileChoice::kBuild : sc::ProfileChoice::kWithout;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = rest.find('\0');
  sc::SourceTexts texts;
  texts.line_text = rest.substr(0, split);
  texts.train_text = split == std::string::npos ? std::string() : rest.substr(split + 1);

  const sc::FileEncoding encoding{sc::InputEncoding::kWindows1252, (data[0] & 2) != 0};
  sc::RowRecords records;
  const sc::RunOutcome run =
      sc::memorizza_percorso(texts, "Linea", "T1", profile, sc::RowErrors::kStopTheFile, &records);
  sc::lint_records(records, *texts.line_text, *texts.train_text, {encoding, encoding});
  if (run.fatal_error != 0) return 0;
  const auto names = sc::scenario_file_names("out", "Linea", "T1");
  for (const sc::OutputFile& file : sc::binary_files(run.model, names)) {
    if (file.path != names.cells) continue;
    size_t size = 0;
    file.write([&size](std::string_view piece) { size += piece.size(); });
    if (size != run.model.cells.size() * 15) __builtin_trap();
  }
  return 0;
}

#include "web/page_compile.h"

#include <sstream>
#include <utility>

#include "check/encoding.h"
#include "diagnostics/render.h"
#include "documents/documents.h"
#include "driver/pipeline.h"
#include "inspect/object_listing.h"
#include "inspect/summary.h"
#include "objects/route_objects.h"
#include "output/binary_files.h"
#include "plot/route_plot.h"
#include "textio/codepage.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc::web {
namespace {

struct Unusable {
  std::string reason;
};

std::string name_in_1252(const std::string& utf8, const char* what) {
  if (utf8.find_first_of(kPathSeparators) != std::string::npos)
    throw Unusable{std::string(what) + " \"" + utf8 + "\" may not contain a path separator"};
  auto converted = name_to_1252(utf8);
  if (!converted)
    throw Unusable{std::string(what) + " \"" + utf8 +
                   "\" holds a character that Windows-1252 cannot represent"};
  return std::move(*converted);
}

std::string compiler_text(std::string bytes, const std::string& file) {
  DecodedText decoded = decode_input(std::move(bytes), std::nullopt);
  if (decoded.failed_at) {
    throw Unusable{file + ":" + std::to_string(decoded.failed_at->line) + ":" +
                   std::to_string(decoded.failed_at->column) +
                   ": this character has no Windows-1252 form; the files may hold only the "
                   "characters of the Windows-1252 code page"};
  }
  return std::move(decoded.text);
}

std::vector<DownloadFile> files_of(const Scenario& model, const ScenarioFileNames& names) {
  std::vector<DownloadFile> files;
  for (const OutputFile& file : binary_files(model, names)) {
    DownloadFile out{utf8_of(file.path.filename()), {}};
    file.write([&out](std::string_view piece) { out.bytes.append(piece); });
    files.push_back(std::move(out));
  }
  return files;
}

std::string error_lines(const RunOutcome& run, const PagePair& pair) {
  std::string lines;
  for (const Finding& f : run.errors.diagnostics())
    lines += first_line(f, pair.line_file, pair.train_file) + '\n';
  if (run.fatal_error != 0) lines += " Errore n. " + std::to_string(run.fatal_error) + '\n';
  return lines;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

PageCompile compile_page_pair(const PagePair& pair) {
  PageCompile page;
  try {
    const std::string line_utf8 = line_name_of(path_from_utf8(pair.line_file));
    const std::string line_name = name_in_1252(line_utf8, "the line name");
    const std::string train_number = name_in_1252(
        train_number_of(path_from_utf8(pair.train_file), line_utf8), "the train number");
    const SourceTexts texts{compiler_text(pair.line_text, pair.line_file),
                            compiler_text(pair.train_text, pair.train_file)};
    const RunOutcome run =
        memorizza_percorso(texts, line_name, train_number, ProfileChoice::kBuild);
    page.findings = error_lines(run, pair);
    if (run.fatal_error != 0) {
      page.status = PageCompile::Status::kFatal;
    } else if (run.errors.has_error()) {
      page.status = PageCompile::Status::kErrorRecorded;
    } else {
      page.status = PageCompile::Status::kClean;
      page.files = files_of(run.model, scenario_file_names({}, line_name, train_number));
    }
    if (run.model.has_cells()) {
      const objects::RouteObjects route = objects::decode_objects(run.model);
      page.summary = route_summary(route);
      page.objects = object_listing(route);
      page.svg = plot_route(run.model, lines_of(page.findings));
    }
  } catch (const Unusable& e) {
    page.status = PageCompile::Status::kUnusable;
    page.findings = e.reason + '\n';
  }
  return page;
}

std::string text_for_editor(std::string bytes) {
  DecodedText decoded = decode_input(std::move(bytes), std::nullopt);
  return cp1252_to_utf8(decoded.text);
}

SavedText text_for_disk(std::string utf8) {
  DecodedText decoded = decode_input(std::move(utf8), InputEncoding::kUtf8);
  if (!decoded.failed_at) return {std::move(decoded.text), {}};
  return {
      {},
      std::to_string(decoded.failed_at->line) + ":" + std::to_string(decoded.failed_at->column)};
}

PagePair built_in_example() {
  const std::string line = kBuiltInLineName;
  const std::string train = kBuiltInTrainNumber;
  return {line + "_linea.txt", render_document(dati_linea()), line + "_" + train + "-.txt",
          render_document(dati_treno())};
}

}  // namespace sc::web

#include "app/run.h"

#include <ostream>
#include <utility>
#include <vector>

#include "app/interrupt.h"
#include "diagnostics/render.h"
#include "documents/documents.h"
#include "output/binary_files.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

constexpr const char* kLineName = kBuiltInLineName;
constexpr const char* kTrainNumber = kBuiltInTrainNumber;

// The built-in documents in the order their writers run.
void write_documents(const ScenarioFileNames& names, Disk& disk) {
  const std::pair<const std::filesystem::path&, DocumentLines (*)()> writers[] = {
      {names.line_text, dati_linea},    {names.train_text, dati_treno},
      {names.notes, dati_note},         {names.slowdown_form, dati_rallentamenti},
      {names.train_sheet, dati_scheda},
  };
  for (const auto& [path, lines] : writers) disk.write_file(path, render_document(lines()));
}

void delete_read_texts(const TextFilesRead& read, const ScenarioFileNames& names, Disk& disk) {
  if (read.line) disk.remove_file(names.line_text);
  if (read.train) disk.remove_file(names.train_text);
}

}  // namespace

std::string format_diagnostic(const Finding& d, const SourceNames& sources) {
  return first_line(d, sources.line_file, sources.train_file);
}

void list_errors(const RunOutcome& run, const SourceNames& sources, std::ostream& err) {
  for (const Finding& d : run.errors.diagnostics()) err << format_diagnostic(d, sources) << '\n';
}

int finish_run(const RunOutcome& run, const ScenarioFileNames& names, Disk& disk, Ui& ui,
               std::ostream& err, std::vector<std::filesystem::path>& written, OnError on_error) {
  if (run.fatal_error != 0) {
    disk.commit();
    err.flush();
    ui.show_fatal_error(" Errore n. " + std::to_string(run.fatal_error));
    return exit_status::kFatal;
  }
  // Nothing was staged: the older files stay, and no temporary is left.
  if (run.errors.has_error() && on_error == OnError::kWriteNothing) {
    return exit_status::kErrorRecorded;
  }
  for (const OutputFile& file : binary_files(run.model, names)) {
    disk.write_file(file.path, file.write);
    written.push_back(file.path);
  }
  disk.commit();
  return run.errors.has_error() ? exit_status::kErrorRecorded : exit_status::kClean;
}

int run_one_shot(const std::filesystem::path& program_dir, Disk& disk, Ui& ui, std::ostream& err) {
  const ScenarioFileNames names = scenario_file_names(program_dir, kLineName, kTrainNumber);
  ui.show_waiting();
  int status = exit_status::kClean;
  try {
    write_documents(names, disk);
    const SourceTexts texts{disk.read_file(names.line_text), disk.read_file(names.train_text)};
    const RunOutcome run = memorizza_percorso(texts, kLineName, kTrainNumber, ProfileChoice::kBuild,
                                              RowErrors::kStopTheFile, nullptr, interrupt_flag());
    delete_read_texts(run.read, names, disk);
    std::vector<std::filesystem::path> written;
    list_errors(run, {utf8_of(names.line_text), utf8_of(names.train_text)}, err);
    status = finish_run(run, names, disk, ui, err, written, OnError::kWrite);
  } catch (const IoError& e) {
    err << "scenario-compiler: " << e.what() << '\n';
    status = exit_status::kInputOutput;
  } catch (const Interrupted& e) {
    status = exit_status::interrupted(e.signal);
  } catch (const WorkStopped&) {
    status = exit_status::interrupted(arrived_signal());
  }
  ui.close();
  return status;
}

}  // namespace sc

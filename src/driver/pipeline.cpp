#include "driver/pipeline.h"

#include "line/line_compiler.h"
#include "output/check_codes.h"
#include "output/post_pass.h"
#include "train/train_compiler.h"

namespace sc {

TextFilesRead memorizza_dati(const SourceTexts& texts, ProfileChoice profile, Scenario& model,
                             ErrorLog& errors) {
  if (!texts.line_text) {
    errors.record(ErrorCode::kNoLineFile, Source::kLineFile, {},
                  "the line text file does not exist");
    return {};
  }
  Source running = Source::kLineFile;
  try {
    const LineResult line = compile_line_file(*texts.line_text, profile, model, errors);
    if (line.end == Flow::kStop) return {.line = true, .train = false};
    running = Source::kTrainFile;
    if (!texts.train_text) {
      throw Fault("the train text file does not exist or cannot be read");
    }
    compile_train_file(*texts.train_text, line.board_cursor, model, errors);
  } catch (const Fault& fault) {
    // The trap deletes both text files, whichever half failed.
    errors.record(ErrorCode::kRunTimeFault, running, fault.where(), fault.what());
  }
  return {.line = true, .train = true};
}

RunOutcome memorizza_percorso(const SourceTexts& texts, const std::string& line_name,
                              const std::string& train_number, int32_t j) {
  RunOutcome run;
  run.model.table[entry::kLineHeader].text = line_name;
  run.model.table[entry::kTrainHeader].text = train_number;
  const ProfileChoice profile = j != 0 ? ProfileChoice::kBuild : ProfileChoice::kWithout;
  run.read = memorizza_dati(texts, profile, run.model, run.errors);
  if (!run.model.has_cells()) {
    // Nothing to post-process or write: the line file stopped before its
    // route length.
    run.fatal_error =
        run.errors.has_error() ? run.errors.error_number() : error_number(ErrorCode::kRunTimeFault);
    return run;
  }
  block_post_pass(run.model, run.errors);
  run.fatal_error = store_markers_and_codes(run.model);
  return run;
}

}  // namespace sc

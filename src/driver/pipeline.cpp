#include "driver/pipeline.h"

#include "line/line_compiler.h"
#include "output/check_codes.h"
#include "output/post_pass.h"
#include "train/train_compiler.h"

namespace sc {

namespace {

// The line half of a run; a fault is caught and recorded as error 25.
LineOfRun compile_line_half(const std::optional<std::string>& line_text, ProfileChoice profile,
                            RunOutcome run, RowListener* listener, const StopFlag& stop) {
  LineOfRun out{std::move(run)};
  if (!line_text) {
    out.run.errors.record(ErrorCode::kNoLineFile, Source::kLineFile, {},
                          "the line text file does not exist");
    return out;
  }
  out.run.read.line = true;
  try {
    const LineResult line =
        compile_line_file(*line_text, profile, out.run.model, out.run.errors, listener, stop);
    out.train_follows = line.end != Flow::kStop;
    out.board_cursor = line.board_cursor;
  } catch (const Fault& fault) {
    // The trap deletes both text files, whichever half failed.
    out.run.errors.record(ErrorCode::kRunTimeFault, Source::kLineFile, fault.where(), fault.what());
    out.run.read.train = true;
  }
  return out;
}

void compile_train_half(const std::optional<std::string>& train_text, int board_cursor,
                        RunOutcome& run, RowListener* listener, const StopFlag& stop) {
  run.read.train = true;
  try {
    if (!train_text) throw Fault("the train text file does not exist or cannot be read");
    compile_train_file(*train_text, board_cursor, run.model, run.errors, listener, stop);
  } catch (const Fault& fault) {
    run.errors.record(ErrorCode::kRunTimeFault, Source::kTrainFile, fault.where(), fault.what());
  }
}

// Post-pass, format markers and check codes, once both halves are over.
void finish_compile(RunOutcome& run) {
  if (!run.model.has_cells()) {
    // Nothing to post-process or write: the line file stopped before its
    // route length.
    run.fatal_error =
        run.errors.has_error() ? run.errors.error_number() : error_number(ErrorCode::kRunTimeFault);
    return;
  }
  block_post_pass(run.model, run.errors);
  run.fatal_error = store_markers_and_codes(run.model);
}

}  // namespace

LineOfRun compile_line_of_run(const std::optional<std::string>& line_text,
                              const std::string& line_name, ProfileChoice profile,
                              RowErrors row_errors, RowListener* listener, const StopFlag& stop) {
  RunOutcome run;
  if (row_errors == RowErrors::kReadOn) run.errors.read_past_stopping_rows();
  run.model.table[entry::kLineHeader].text = line_name;
  return compile_line_half(line_text, profile, std::move(run), listener, stop);
}

RunOutcome compile_train_of_run(LineOfRun line, const std::optional<std::string>& train_text,
                                const std::string& train_number, RowListener* listener,
                                const StopFlag& stop) {
  RunOutcome& run = line.run;
  run.model.table[entry::kTrainHeader].text = train_number;
  if (line.train_follows) compile_train_half(train_text, line.board_cursor, run, listener, stop);
  finish_compile(run);
  return std::move(run);
}

RunOutcome memorizza_percorso(const SourceTexts& texts, const std::string& line_name,
                              const std::string& train_number, ProfileChoice profile,
                              RowErrors row_errors, RowListener* listener, const StopFlag& stop) {
  return compile_train_of_run(
      compile_line_of_run(texts.line_text, line_name, profile, row_errors, listener, stop),
      texts.train_text, train_number, listener, stop);
}

}  // namespace sc

#include "app/run.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "app/compile_command.h"

namespace sc {
namespace {

// Files in memory, written at once; commit only counts. A path listed in
// `unwritable` fails like a full disk.
class MemoryDisk : public Disk {
 public:
  std::optional<std::string> read_file(const std::filesystem::path& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  using Disk::write_file;
  void write_file(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& write) override {
    if (path == unwritable) throw IoError("cannot write " + path.string() + ": No space left");
    std::string& bytes = files[path];
    bytes.clear();
    write([&bytes](std::string_view piece) { bytes += piece; });
  }
  void remove_file(const std::filesystem::path& path) override { files.erase(path); }
  void commit() override { ++commits; }

  std::map<std::filesystem::path, std::string> files;
  int commits = 0;
  std::filesystem::path unwritable;
};

class RecordingUi : public Ui {
 public:
  void show_waiting() override { events += "wait;"; }
  void show_fatal_error(const std::string& text) override { events += "fatal(" + text + ");"; }
  void close() override { events += "close;"; }
  std::string events;
};

const ScenarioFileNames kNames = scenario_file_names("/d", "L", "T");

TEST(FinishRun, AFatalErrorShowsItsNumberAndWritesNoBinaryFile) {
  RunOutcome run;
  run.model.cells.resize(141);
  run.fatal_error = error_number(ErrorCode::kFormatMarkerSlotTaken);
  MemoryDisk disk;
  RecordingUi ui;
  std::ostringstream err;
  std::vector<std::filesystem::path> written;
  EXPECT_EQ(finish_run(run, kNames, disk, ui, err, written, OnError::kWrite), exit_status::kFatal);
  EXPECT_EQ(ui.events, "fatal( Errore n. 1250);");
  EXPECT_TRUE(disk.files.empty());
  EXPECT_TRUE(written.empty());
}

TEST(FinishRun, WritesTheBinaryFilesInOrderAndReportsRecordedErrors) {
  RunOutcome run;
  run.model.cells.resize(141);
  run.model.profile.emplace(7000);
  run.errors.record_at(ErrorCode::kBeyondRoute, 33901, Source::kLineFile, {12, 11},
                       "position beyond the route");
  run.errors.record(ErrorCode::kKmReferenceGrid, Source::kTrainFile, {},
                    "reference not a multiple of 50");
  run.errors.record_at(ErrorCode::kSlowdownMarkBlocked, 650, Source::kRoute, {},
                       "no free cell at 650 m");
  MemoryDisk disk;
  RecordingUi ui;
  std::ostringstream err;
  std::vector<std::filesystem::path> written;
  list_errors(run, {"a_linea.txt", "a_T-.txt"}, err);
  EXPECT_EQ(finish_run(run, kNames, disk, ui, err, written, OnError::kWrite),
            exit_status::kErrorRecorded);
  EXPECT_EQ(written,
            (std::vector<std::filesystem::path>{kNames.line_profile, kNames.table, kNames.cells}));
  EXPECT_EQ(disk.files[kNames.cells].size(), 141u * 15);
  EXPECT_EQ(disk.commits, 1);
  EXPECT_EQ(err.str(),
            "a_linea.txt:12:11: error 15: position beyond the route\n"
            "a_T-.txt: error 2: reference not a multiple of 50\n"
            "error 13: no free cell at 650 m\n");

  // As `compile` runs it (which reports the errors itself): nothing staged or
  // put in place.
  MemoryDisk untouched;
  std::ostringstream compile_err;
  written.clear();
  EXPECT_EQ(finish_run(run, kNames, untouched, ui, compile_err, written, OnError::kWriteNothing),
            exit_status::kErrorRecorded);
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(untouched.files.empty());
  EXPECT_EQ(untouched.commits, 0);
  EXPECT_EQ(compile_err.str(), "");
}

TEST(FinishRun, WithoutProfileWritesTableAndCellsOnly) {
  RunOutcome run;
  run.model.cells.resize(141);
  MemoryDisk disk;
  RecordingUi ui;
  std::ostringstream err;
  std::vector<std::filesystem::path> written;
  EXPECT_EQ(finish_run(run, kNames, disk, ui, err, written, OnError::kWriteNothing),
            exit_status::kClean);
  EXPECT_EQ(written, (std::vector<std::filesystem::path>{kNames.table, kNames.cells}));
  EXPECT_EQ(err.str(), "");
}

TEST(OneShot, AWriteFailureEndsTheRunWithStatus2AndTheReason) {
  MemoryDisk disk;
  disk.unwritable = scenario_file_names("/p", "Vardeo_Lustrella", "K7306").slowdown_form;
  RecordingUi ui;
  std::ostringstream err;
  EXPECT_EQ(run_one_shot("/p", disk, ui, err), exit_status::kInputOutput);
  EXPECT_EQ(ui.events, "wait;close;");
  EXPECT_NE(err.str().find("Vardeo_Lustrella_K7306_rallentamenti.txt: No space left"),
            std::string::npos);
  // Nothing after the failure is written, and nothing is put in place.
  EXPECT_EQ(disk.files.size(), 3u);
  EXPECT_EQ(disk.commits, 0);
}

}  // namespace
}  // namespace sc

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "app/build_command.h"
#include "app/check_command.h"
#include "app/compile_command.h"
#include "app/console.h"
#include "app/decompile_command.h"
#include "app/disk.h"
#include "app/dump_command.h"
#include "app/findings_output.h"
#include "app/inspect_command.h"
#include "app/interrupt.h"
#include "app/lsp_command.h"
#include "app/plot_command.h"
#include "app/program_dir.h"
#include "app/reference_commands.h"
#include "app/run.h"
#include "app/ui.h"
#include "textio/utf8_path.h"

namespace {

// SC_VERSION is the project's version, set once in CMakeLists.txt.
constexpr const char* kVersion = "scenario-compiler " SC_VERSION;

// A path option, built from the UTF-8 text typed (not through the narrow
// path(std::string), which Windows reads in its ANSI code page).
template <typename Path>
CLI::Option* add_path_option(CLI::App& command, const std::string& name, Path& path,
                             const std::string& help) {
  return command.add_option_function<std::string>(
      name, [&path](const std::string& text) { path = sc::path_from_utf8(text); }, help);
}

void add_source_names(CLI::App& command, sc::CompileOptions& options) {
  command.add_option("--line-name", options.line_name,
                     "Line name, for the output files and titles (default: from LINE_FILE)");
  command.add_option("--train-number", options.train_number,
                     "Train number, for the output files and titles (default: from TRAIN_FILE)");
}

void add_source_options(CLI::App& command, sc::CompileOptions& options) {
  add_path_option(command, "LINE_FILE", options.line_file, "The line text file")->required();
  add_path_option(command, "TRAIN_FILE", options.train_file, "The train text file")->required();
  add_source_names(command, options);
}

// -Werror and -Wno-NAME, taken as -W with the rest of the word as its value.
void add_warning_flags(CLI::App& command, std::vector<std::string>& flags, const char* help) {
  command.add_option("-W", flags, help)->type_size(1)->allow_extra_args(false);
}

void add_input_encoding(CLI::App& command, sc::CompileOptions& options) {
  command
      .add_option("--input-encoding", options.input_encoding,
                  "Code page of LINE_FILE and TRAIN_FILE: windows-1252 or utf-8 (default: utf-8 "
                  "for a file that is UTF-8 throughout and holds a character beyond ASCII or "
                  "starts with a byte-order mark, else windows-1252)")
      ->check(CLI::IsMember({"windows-1252", "utf-8"}));
}

void add_compile_options(CLI::App& compile, sc::CompileOptions& options) {
  add_source_options(compile, options);
  add_path_option(compile, "-o,--output-dir", options.output_dir,
                  "Directory for the binary files (default: the current directory)");
  compile.add_flag("--no-profile", options.no_profile,
                   "Build no line profile and write no line profile file");
  compile.add_flag("--write-on-error", options.write_on_error,
                   "Write the binary files even when an error is recorded (by default a run that "
                   "records an error writes nothing)");
  compile.add_flag("--json", options.json, "Print a JSON report on standard output");
  compile.add_flag("--summary", options.summary,
                   "Print what the route holds: length, stations, signals, boards, ...");
  compile.add_flag("-w", options.no_warnings, "Print no warning");
  add_warning_flags(compile, options.warning_flags, "-Wno-NAME: leave out the warning NAME");
  add_input_encoding(compile, options);
}

void add_check_options(CLI::App& check, sc::CheckCommandOptions& options) {
  add_path_option(check, "LINE_FILE", options.sources.line_file,
                  "The line text file, or a folder: every pair of its files")
      ->required();
  add_path_option(check, "TRAIN_FILE", options.sources.train_file,
                  "The train text file (none with a folder)");
  add_source_names(check, options.sources);
  check.add_flag("--no-profile", options.sources.no_profile,
                 "Read the files as compile --no-profile does: curve rows are passed over");
  check.add_flag("--json", options.json, "Print the diagnostics as JSON on standard output");
  check.add_option("--error-limit", options.error_limit,
                   "Stop after N errors (default 20); 0 for no limit");
  add_warning_flags(check, options.warning_flags,
                    "-Werror: make warnings errors; -Wno-NAME: leave out the warning NAME");
  add_input_encoding(check, options.sources);
}

void add_build_options(CLI::App& build, sc::BuildOptions& options) {
  add_path_option(build, "DIR", options.dir,
                  "The folder of line files (L_linea.txt) and train files (L_T-.txt); default: .");
  add_path_option(build, "-o,--output-dir", options.output_dir,
                  "Folder for the binary files and the build's record (default: DIR)");
  build.add_option("-j,--jobs", options.jobs, "Compile N pairs at once (default: one per core)")
      ->check(CLI::PositiveNumber);
  build.add_flag("--force", options.force, "Compile every pair, up to date or not");
  build.add_flag("--no-profile", options.no_profile,
                 "Skip the line profile (_linea.dat); curve rows are passed over");
  build.add_flag("--json", options.json, "Print a JSON report of every pair on standard output");
  build.add_flag("-w", options.no_warnings, "Print no warning");
  add_warning_flags(build, options.warning_flags, "-Wno-NAME: leave out the warning NAME");
  build
      .add_option("--input-encoding", options.input_encoding,
                  "Code page of the text files: windows-1252 or utf-8 (default: from each "
                  "file's bytes, as compile reads them)")
      ->check(CLI::IsMember({"windows-1252", "utf-8"}));
}

void add_dump_options(CLI::App& dump, sc::DumpOptions& options) {
  add_path_option(dump, "FILE", options.file,
                  "A cell file (.dat), scenario table (.sim) or line "
                  "profile (_linea.dat)")
      ->required();
  dump.add_flag("--json", options.json,
                "Print JSON with the model's field names and the decoded values");
  dump.add_option("--kind", options.kind, "cells, table or profile (default: from FILE's name)")
      ->check(CLI::IsMember({"cells", "table", "profile"}));
  dump.add_option("--cells", options.cells, "Only cells A to B, as A-B, or one cell A");
  dump.add_flag("--occupied", options.occupied, "Only the cells that hold an object");
  dump.add_option("--entry", options.entry, "Only table entry N")->check(CLI::Range(0, 86));
  dump.add_option("--every", options.every,
                  "Profile points every M metres (default: 100 as text, 1 as JSON)")
      ->check(CLI::PositiveNumber);
}

void add_plot_options(CLI::App& plot, sc::PlotOptions& options) {
  add_source_options(plot, options.sources);
  add_path_option(plot, "-o,--output", options.svg, "The SVG file to write")->required();
  plot.add_flag("--json", options.json, "Print a JSON report on standard output");
}

void add_scenario_files(CLI::App& command, sc::ScenarioFiles& files, const char* without_profile) {
  add_path_option(command, "CELL_FILE", files.cell_file, "The cell file (L_T.dat)")->required();
  add_path_option(command, "TABLE_FILE", files.table_file, "The scenario table file (L_T.sim)")
      ->required();
  add_path_option(command, "PROFILE_FILE", files.profile_file,
                  std::string("The line profile file (L_linea.dat); ") + without_profile);
}

void add_inspect_options(CLI::App& inspect, sc::InspectOptions& options) {
  add_scenario_files(inspect, options.files, "without it the listing is the same");
  inspect.add_flag("--json", options.json, "Print the objects as JSON");
}

void add_decompile_options(CLI::App& decompile, sc::DecompileOptions& options) {
  add_scenario_files(decompile, options.files, "without it no curve is recovered");
  add_path_option(decompile, "-o,--output-dir", options.output_dir,
                  "Directory for the two text files (default: the current directory)");
  decompile.add_flag("--force", options.force, "Replace text files that already exist");
}

void add_example_options(CLI::App& example, sc::ExampleOptions& options) {
  add_path_option(example, "DIR", options.dir,
                  "Directory to write them into, created when missing (default: the current "
                  "directory)");
  example.add_flag("--force", options.force, "Replace files that already exist");
}

// The one-shot run: the built-in scenario in the program's directory.
int run_built_in(sc::Disk& disk) {
  const auto program_dir = sc::program_directory();
  if (!program_dir) {
    std::cerr << "scenario-compiler: cannot find the directory that holds the program\n";
    return sc::exit_status::kInputOutput;
  }
  const auto ui = sc::make_ui();
  return sc::run_one_shot(*program_dir, disk, *ui, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  sc::prepare_process(argc, argv);
  // Without arguments there is nothing to parse: the one-shot run starts at
  // once, without building the command line's description.
  if (argc <= 1) {
    sc::catch_interrupts();
    sc::RealDisk disk(&std::cerr);
    return run_built_in(disk);
  }

  CLI::App app(
      "Compiles a railway line and a train service into the simulator's scenario "
      "files.\nWithout a command, compiles the built-in scenario in the program's "
      "directory.",
      "scenario-compiler");
  // "/data/x" is a path on every platform, never a Windows-style option.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", kVersion);
  sc::CompileOptions options;
  CLI::App* compile = app.add_subcommand("compile", "Compile your own line and train files");
  compile->set_version_flag("--version", kVersion);
  add_compile_options(*compile, options);
  sc::ExampleOptions example_options;
  CLI::App* example = app.add_subcommand(
      "example", "Write the built-in line and train text files, a scenario that compiles");
  add_example_options(*example, example_options);
  sc::ExplainOptions explain_options;
  CLI::App* explain =
      app.add_subcommand("explain", "Explain what an error or a warning means and how to fix it");
  explain->add_option("N|NAME", explain_options.what,
                      "An error number, or the name of an error or a warning");
  explain->add_flag("--list", explain_options.list,
                    "List every error's number and name and every warning's name");
  sc::DumpOptions dump_options;
  CLI::App* dump = app.add_subcommand("dump", "Decode a binary scenario file");
  add_dump_options(*dump, dump_options);
  sc::InspectOptions inspect_options;
  CLI::App* inspect = app.add_subcommand(
      "inspect", "List the objects of a compiled route in route order, in metres and km/h");
  add_inspect_options(*inspect, inspect_options);
  sc::PlotOptions plot_options;
  sc::DecompileOptions decompile_options;
  CLI::App* decompile = app.add_subcommand(
      "decompile", "Write line and train text files that compile to the given binary files");
  add_decompile_options(*decompile, decompile_options);
  CLI::App* plot = app.add_subcommand("plot", "Draw a route as an SVG picture");
  add_plot_options(*plot, plot_options);
  sc::BuildOptions build_options;
  build_options.version = SC_VERSION;
  CLI::App* build = app.add_subcommand(
      "build", "Compile every line of a folder with its trains, only what changed, on every core");
  build->set_version_flag("--version", kVersion);
  add_build_options(*build, build_options);
  sc::CheckCommandOptions check_options;
  CLI::App* check =
      app.add_subcommand("check", "Report every error and warning of both files; write nothing");
  check->set_version_flag("--version", kVersion);
  add_check_options(*check, check_options);

  CLI::App* lsp = app.add_subcommand(
      "lsp",
      "Serve line and train files to an editor: a language server on standard input and "
      "output");
  const std::string stdio_help =
      "Talk on standard input and output, as it always does (some editors add it)";
  lsp->add_flag("--stdio", stdio_help);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return sc::exit_status::kInputOutput;
  }

  // The server keeps the default signal handling: Ctrl-C ends it at once.
  if (lsp->parsed()) sc::run_lsp(std::cin, std::cout, std::cerr);
  sc::catch_interrupts();
  sc::RealDisk disk(&std::cerr);
  if (example->parsed()) return sc::run_example(example_options, disk, std::cout, std::cerr);
  if (explain->parsed()) return sc::run_explain(explain_options, std::cout, std::cerr);
  if (compile->parsed()) {
    options.colour = sc::colour_wanted(STDERR_FILENO);
    return sc::run_compile(options, disk, std::cout, std::cerr);
  }
  if (build->parsed()) {
    build_options.colour = sc::colour_wanted(STDERR_FILENO);
    return sc::run_build(build_options, disk, std::cout, std::cerr);
  }
  if (check->parsed()) {
    check_options.colour = sc::colour_wanted(STDERR_FILENO);
    return sc::run_check(check_options, disk, std::cout, std::cerr);
  }
  if (dump->parsed()) return sc::run_dump(dump_options, disk, std::cout, std::cerr);
  if (inspect->parsed()) return sc::run_inspect(inspect_options, disk, std::cout, std::cerr);
  if (decompile->parsed()) {
    return sc::run_decompile(decompile_options, disk, std::cout, std::cerr);
  }
  if (plot->parsed()) return sc::run_plot(plot_options, disk, std::cout, std::cerr);
  return run_built_in(disk);
}

#include "app/plot_command.h"

#include <ostream>
#include <vector>

#include "app/findings_output.h"
#include "plot/route_plot.h"

namespace sc {

namespace {

nlohmann::json json_report(const CompiledFiles& compiled, const std::filesystem::path& svg) {
  const RunOutcome& run = compiled.run;
  std::vector<std::filesystem::path> files;
  if (run.model.has_cells()) files.push_back(svg);
  return run_report_json(run, compiled.sources, files, run.errors.diagnostics());
}

}  // namespace

int run_plot(const PlotOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  return run_command_body("plot", err, [&] {
    const CompiledFiles compiled = compile_files(options.sources, disk, ProfileChoice::kBuild);
    const RunOutcome& run = compiled.run;
    std::vector<std::string> errors;
    for (const Finding& d : run.errors.diagnostics())
      errors.push_back(format_diagnostic(d, compiled.sources));
    if (run.fatal_error != 0) errors.push_back(" Errore n. " + std::to_string(run.fatal_error));
    for (const std::string& e : errors) err << e << '\n';
    if (options.json) {
      out << json_report(compiled, options.svg)
                 .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
          << '\n';
    }
    if (!run.model.has_cells()) {
      err << "scenario-compiler plot: nothing was compiled that could be drawn\n";
      return exit_status::kFatal;
    }
    disk.write_file(options.svg, plot_route(run.model, errors));
    disk.commit();
    if (run.fatal_error != 0) return exit_status::kFatal;
    return run.errors.has_error() ? exit_status::kErrorRecorded : exit_status::kClean;
  });
}

}  // namespace sc

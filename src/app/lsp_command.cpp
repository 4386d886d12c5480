#include "app/lsp_command.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "check/check.h"
#include "lsp/server.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace sc {
namespace {

// The protocol counts bytes: no line-end translation on either stream.
void use_binary_standard_streams() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

}  // namespace

void run_lsp(std::istream& in, std::ostream& out, std::ostream& log) {
  use_binary_standard_streams();
#ifdef SIGPIPE
  // A client that goes away closes the pipe: the server then finds the end of
  // its input and stops, rather than being killed in the middle of a write.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  lsp::ServerOptions options;
  options.compiler = [](const std::filesystem::path& line_file,
                        const std::filesystem::path& train_file, const StopFlag& stop) {
    return compile_named_after(line_file, train_file, {}, {}, ProfileChoice::kBuild, stop);
  };
  const int status = lsp::serve(in, out, log, std::move(options));
  // A check may still run, or a write to a client that has stopped reading
  // may still wait: neither holds up the end. Every message was flushed as it
  // was written.
  log.flush();
  std::_Exit(status);
}

}  // namespace sc

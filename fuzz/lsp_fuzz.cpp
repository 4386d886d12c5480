// Feeds an arbitrary byte stream to the language server as a client's input,
// after an initialize request, and runs every check it schedules. The server
// must answer or log each message and never fail.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "check/check.h"
#include "lsp/server.h"

namespace {

constexpr std::string_view kInitialize =
    R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})";

std::string framed(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(framed(kInitialize) +
                        std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream log;
  sc::lsp::ServerOptions options;
  options.compiler = [](const std::filesystem::path&, const std::filesystem::path&,
                        const sc::StopFlag& stop) {
    return sc::compile_as_compile_does("Linea", "T1", sc::ProfileChoice::kBuild,
                                       sc::RowErrors::kReadOn, stop);
  };
  size_t written = 0;
  sc::lsp::Server server(
      options, [&written](const std::string& body) { written += body.size(); }, log);
  sc::lsp::FrameReader reader(in);
  while (!server.finished()) {
    const sc::lsp::Frame frame = reader.next();
    if (frame.kind == sc::lsp::Frame::Kind::kEnd) break;
    server.receive(frame);
    server.analyse_pending();
  }
  if (written == 0) __builtin_trap();  // initialize is always answered
  return 0;
}

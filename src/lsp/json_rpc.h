#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace sc::lsp {

// One message of the stream as it came: its body, the end of the input, or a
// header that could not be read (then `problem` says why and the body is
// skipped).
struct Frame {
  enum class Kind { kMessage, kEnd, kMalformed };
  Kind kind = Kind::kEnd;
  std::string body;
  std::string problem;
};

// Reads Content-Length framed messages: header lines ending in CR LF, an
// empty line, then exactly Content-Length bytes of body.
class FrameReader {
 public:
  explicit FrameReader(std::istream& in) : in_(in) {}
  Frame next();

  // A body larger than this is refused unread (and then skipped).
  static constexpr size_t kLargestBody = size_t{256} << 20;

 private:
  std::istream& in_;
};

// Writes `body` as one framed message and flushes it.
void write_frame(std::ostream& out, std::string_view body);

// The error codes of JSON-RPC and of the protocol.
namespace error_code {
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;
inline constexpr int kRequestCancelled = -32800;
inline constexpr int kContentModified = -32801;
}  // namespace error_code

}  // namespace sc::lsp

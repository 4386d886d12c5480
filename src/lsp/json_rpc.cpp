#include "lsp/json_rpc.h"

#include <charconv>
#include <istream>
#include <optional>
#include <ostream>

namespace sc::lsp {
namespace {

constexpr size_t kLongestHeaderLine = 4096;

// One header line without its CR LF; nullopt at the end of the input.
std::optional<std::string> read_header_line(std::istream& in) {
  std::string line;
  char c = 0;
  while (in.get(c)) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (line.size() < kLongestHeaderLine) line += c;
  }
  if (line.empty()) return std::nullopt;
  return line;
}

// Where `field` starts in `line`, in any case; npos when it does not occur.
size_t find_any_case(std::string_view line, std::string_view field) {
  for (size_t start = 0; start + field.size() <= line.size(); ++start) {
    size_t i = 0;
    while (i < field.size() && (line[start + i] | 0x20) == (field[i] | 0x20)) ++i;
    if (i == field.size()) return start;
  }
  return std::string_view::npos;
}

std::optional<size_t> parse_length(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  size_t length = 0;
  const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), length);
  if (failure != std::errc() || end != value.data() + value.size() || value.empty()) {
    return std::nullopt;
  }
  return length;
}

}  // namespace

Frame FrameReader::next() {
  constexpr std::string_view kLengthField = "content-length:";
  std::optional<size_t> length;
  std::string problem;
  bool any_header = false;
  while (true) {
    const std::optional<std::string> line = read_header_line(in_);
    if (!line) {
      if (!any_header) return {Frame::Kind::kEnd, {}, {}};
      return {Frame::Kind::kMalformed, {}, "the input ended inside a message header"};
    }
    if (line->empty()) {
      if (!any_header) continue;  // stray blank lines between messages
      break;
    }
    any_header = true;
    // Found anywhere in the line, so that the stream is found again after the
    // rest of a message that was not read.
    const size_t field = find_any_case(*line, kLengthField);
    if (field == std::string::npos) continue;  // Content-Type and the like
    length = parse_length(std::string_view(*line).substr(field + kLengthField.size()));
    if (!length) problem = "the Content-Length header holds no byte count: \"" + *line + "\"";
  }
  if (!problem.empty()) return {Frame::Kind::kMalformed, {}, problem};
  if (!length) return {Frame::Kind::kMalformed, {}, "a message header without Content-Length"};
  if (*length > kLargestBody) {
    in_.ignore(static_cast<std::streamsize>(*length));
    return {Frame::Kind::kMalformed,
            {},
            "a message of " + std::to_string(*length) + " bytes is larger than the " +
                std::to_string(kLargestBody) + " bytes accepted"};
  }
  std::string body(*length, '\0');
  in_.read(body.data(), static_cast<std::streamsize>(*length));
  if (static_cast<size_t>(in_.gcount()) != *length) {
    return {Frame::Kind::kMalformed, {}, "the input ended inside a message body"};
  }
  return {Frame::Kind::kMessage, std::move(body), {}};
}

void write_frame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace sc::lsp

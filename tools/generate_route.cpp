// generate_route [--labelled | --dense] LENGTH LINE_FILE TRAIN_FILE
// Writes the line text file and the train text file of a synthetic route of
// LENGTH metres (0 to 1000000) that compiles without a recorded error; with
// --labelled, a route crowded with named objects (2000 to 100000 m); with
// --dense, a route with rows as dense as a real line's (see dense_route.h).
#include <charconv>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string_view>

#include "dense_route.h"
#include "labelled_route.h"
#include "route_generator.h"

namespace {

constexpr int kUsageOrOutputFailure = 2;

bool parse_length(std::string_view text, int32_t& length) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
  return error == std::errc() && end == text.data() + text.size() && length >= 0 &&
         length <= sc::kLongestRoute;
}

bool write_file(const char* path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "generate_route: cannot write " << path << '\n';
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view kind = argc > 1 && std::string_view(argv[1]).starts_with("--")
                                    ? std::string_view(argv[1])
                                    : std::string_view();
  if (!kind.empty()) {
    --argc;
    ++argv;
  }
  int32_t length = 0;
  if (argc != 4 || !parse_length(argv[1], length) ||
      (!kind.empty() && kind != "--labelled" && kind != "--dense")) {
    std::cerr << "usage: generate_route [--labelled | --dense] LENGTH LINE_FILE TRAIN_FILE\n"
                 "  LENGTH: route length in metres, 0 to "
              << sc::kLongestRoute << " (--labelled: 2000 to 50000)\n";
    return kUsageOrOutputFailure;
  }
  try {
    const sc::RouteTexts texts = kind == "--labelled" ? sc::labelled_route(length)
                                 : kind == "--dense"  ? sc::dense_route(length)
                                                      : sc::generate_route(length);
    if (!write_file(argv[2], texts.line) || !write_file(argv[3], texts.train))
      return kUsageOrOutputFailure;
  } catch (const std::invalid_argument& e) {
    std::cerr << "generate_route: " << e.what() << '\n';
    return kUsageOrOutputFailure;
  }
  return 0;
}

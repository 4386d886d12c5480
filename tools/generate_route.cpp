// generate_route LENGTH LINE_FILE TRAIN_FILE
// Writes the line text file and the train text file of a synthetic route of
// LENGTH metres (0 to 1000000) that compiles without a recorded error.
#include <charconv>
#include <fstream>
#include <iostream>
#include <string_view>

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
  int32_t length = 0;
  if (argc != 4 || !parse_length(argv[1], length)) {
    std::cerr << "usage: generate_route LENGTH LINE_FILE TRAIN_FILE\n"
                 "  LENGTH: route length in metres, 0 to "
              << sc::kLongestRoute << '\n';
    return kUsageOrOutputFailure;
  }
  const sc::RouteTexts texts = sc::generate_route(length);
  if (!write_file(argv[2], texts.line) || !write_file(argv[3], texts.train))
    return kUsageOrOutputFailure;
  return 0;
}

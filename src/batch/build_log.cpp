#include "batch/build_log.h"

#include <cstdint>
#include <cstring>

namespace sc {
namespace {

constexpr std::string_view kHeading = "# scenario-compiler build log 2\n";
constexpr std::string_view kSetTag = "set";
constexpr std::string_view kFileTag = "file";

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t at = 0;;) {
    const size_t end = text.find(separator, at);
    parts.push_back(text.substr(at, end - at));
    if (end == std::string_view::npos) return parts;
    at = end + 1;
  }
}

// FNV-1a, 64 bits, taken eight bytes at a time (a folder's texts run to
// tens of megabytes, all read whenever a build looks for what changed).
void mix(uint64_t& hash, std::string_view bytes) {
  constexpr uint64_t kPrime = 0x100000001b3ULL;
  size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    hash = (hash ^ word) * kPrime;
    hash ^= hash >> 29;
  }
  for (; at < bytes.size(); ++at) {
    hash = (hash ^ static_cast<unsigned char>(bytes[at])) * kPrime;
  }
}

bool keepable(const std::string& name) {
  return !name.empty() && name.find_first_of("\t\n") == std::string::npos;
}

}  // namespace

BuildLog BuildLog::parse(std::string_view text) {
  BuildLog log;
  if (!text.starts_with(kHeading)) return log;
  text.remove_prefix(kHeading.size());
  for (const std::string_view line : split(text, '\n')) {
    const std::vector<std::string_view> fields = split(line, '\t');
    if (fields.size() < 3 || fields[1].empty()) continue;
    const std::string name(fields[1]);
    if (fields[0] == kSetTag) {
      BuildRecord& record = log.records_[name] = {std::string(fields[2]), {}};
      for (size_t i = 3; i < fields.size(); ++i) record.outputs.emplace_back(fields[i]);
    } else if (fields[0] == kFileTag && fields.size() == 4) {
      log.files_[name] = {std::string(fields[2]), std::string(fields[3])};
    }
  }
  return log;
}

const BuildRecord* BuildLog::find(const std::string& set) const {
  const auto found = records_.find(set);
  return found == records_.end() ? nullptr : &found->second;
}

void BuildLog::set(const std::string& set, BuildRecord record) {
  if (keepable(set)) records_[set] = std::move(record);
}

void BuildLog::drop(const std::string& set) {
  records_.erase(set);
}

const FileRecord* BuildLog::find_file(const std::string& path) const {
  const auto found = files_.find(path);
  return found == files_.end() ? nullptr : &found->second;
}

void BuildLog::set_files(std::map<std::string, FileRecord> files) {
  std::erase_if(files, [](const auto& file) { return !keepable(file.first); });
  files_ = std::move(files);
}

std::string BuildLog::text() const {
  std::string text(kHeading);
  for (const auto& [path, file] : files_) {
    text += std::string(kFileTag) + '\t' + path + '\t' + file.stamp + '\t' + file.digest + '\n';
  }
  for (const auto& [set, record] : records_) {
    text += std::string(kSetTag) + '\t' + set + '\t' + record.inputs;
    for (const std::string& output : record.outputs) text += '\t' + output;
    text += '\n';
  }
  return text;
}

std::string digest_of(std::initializer_list<std::string_view> parts) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const std::string_view part : parts) {
    mix(hash, std::to_string(part.size()) + ':');
    mix(hash, part);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string digits(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) digits[static_cast<size_t>(i)] = kHex[hash & 15];
  return digits;
}

}  // namespace sc

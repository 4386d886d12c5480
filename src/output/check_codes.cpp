#include "output/check_codes.h"

#include <string>
#include <string_view>

#include "model/error_catalogue.h"
#include "textio/codepage.h"

namespace sc {
namespace {

constexpr std::string_view kPadding = "kkzzyyxxwwvvuuttssrrqqppjj";
constexpr size_t kKeyLength = 25;

// Train number, then line name, in lower case, padded and cut to 25 bytes.
std::string key_text(const ScenarioTable& table) {
  std::string key = table[entry::kTrainHeader].text + table[entry::kLineHeader].text;
  for (char& c : key) c = to_lower_1252(c);
  key += kPadding;
  key.resize(kKeyLength);
  return key;
}

int32_t byte_value(char c) {
  return static_cast<unsigned char>(c);
}

}  // namespace

int32_t codice_gara_st(const ScenarioTable& table) {
  const std::string key = key_text(table);
  int32_t sum = 0;
  for (size_t i = 0; i < key.size(); ++i) sum += static_cast<int32_t>(i + 1) * byte_value(key[i]);
  return sum;
}

int32_t codice_gara_og(const ScenarioTable& table) {
  int32_t sum = 0;
  for (char c : key_text(table)) sum += byte_value(c);
  return sum;
}

int store_markers_and_codes(Scenario& model) {
  TableEntry& line_header = model.table[entry::kLineHeader];
  Cell& cell1 = model.cells.at(kMarkerCell);
  if (line_header.*slot::kFormatMarker != 0 || cell1.info1 != 0)
    return error_number(ErrorCode::kFormatMarkerSlotTaken);
  line_header.*slot::kFormatMarker = kTableFormatMarker;
  cell1.info1 = kCellFormatMarker;
  if (line_header.*slot::kCheckCode != 0 || cell1.info2 != 0)
    return error_number(ErrorCode::kCheckCodeSlotTaken);
  line_header.*slot::kCheckCode = codice_gara_st(model.table);
  // At most 25 * 255 = 6375: always fits 16 bits.
  cell1.info2 = static_cast<int16_t>(codice_gara_og(model.table));
  return 0;
}

}  // namespace sc

#include "scenario_files.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace sc::testing {
namespace {

class ByteCursor {
 public:
  explicit ByteCursor(const std::string& bytes) : bytes_(bytes) {}
  template <typename T>
  T next() {
    if (pos_ + sizeof(T) > bytes_.size()) throw std::runtime_error("file cut short");
    T value;
    std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }
  std::string text(size_t n) {
    if (pos_ + n > bytes_.size()) throw std::runtime_error("file cut short");
    std::string out = bytes_.substr(pos_, n);
    pos_ += n;
    return out;
  }
  bool done() const { return pos_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<Cell> parse_cell_file(const std::string& bytes) {
  if (bytes.size() % 15 != 0) throw std::runtime_error("cell file length not a multiple of 15");
  ByteCursor in(bytes);
  std::vector<Cell> cells;
  while (!in.done()) {
    Cell c;
    c.type_code = in.next<uint8_t>();
    c.info1 = in.next<int16_t>();
    c.info2 = in.next<int16_t>();
    c.info3 = in.next<int16_t>();
    c.info4 = in.next<int16_t>();
    c.signal_time = in.next<uint8_t>();
    c.mark = in.next<uint8_t>();
    c.tunnel_type = in.next<uint8_t>();
    c.speed_limit = in.next<uint8_t>();
    c.gradient = in.next<uint8_t>();
    c.adhesion = in.next<uint8_t>();
    cells.push_back(c);
  }
  return cells;
}

std::vector<TableEntry> parse_table_file(const std::string& bytes) {
  ByteCursor in(bytes);
  std::vector<TableEntry> table;
  while (!in.done()) {
    TableEntry e;
    e.type_code = in.next<uint8_t>();
    e.value1 = in.next<int32_t>();
    e.value2 = in.next<int32_t>();
    e.value3 = in.next<int32_t>();
    e.flag = in.next<uint8_t>();
    e.text = in.text(in.next<uint16_t>());
    e.int1 = in.next<int16_t>();
    e.int2 = in.next<int16_t>();
    e.int3 = in.next<int16_t>();
    e.int4 = in.next<int16_t>();
    e.int5 = in.next<int16_t>();
    e.byte1 = in.next<uint8_t>();
    e.byte2 = in.next<uint8_t>();
    e.byte3 = in.next<uint8_t>();
    e.byte4 = in.next<uint8_t>();
    e.value4 = in.next<int32_t>();
    table.push_back(e);
  }
  return table;
}

}  // namespace sc::testing

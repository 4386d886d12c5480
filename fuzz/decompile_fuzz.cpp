// Decompiles compiled models, sound and damaged, and compiles the texts it
// finds again: a DecompileError is a refusal, any other way out a fault.
// Input: the pipeline target's input (one byte whose low bit is j, the line
// text, a NUL byte, the train text), then optionally a NUL byte and damage in
// groups of five bytes: a field selector, a 16-bit index and a 16-bit value
// written into a cell, a table entry or a profile point.
#include <cstddef>
#include <cstdint>
#include <string>

#include "decompile/decompile.h"
#include "driver/pipeline.h"

namespace {

uint16_t u16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

void damage_cell(sc::Cell& c, int field, uint16_t v) {
  const auto i16 = static_cast<int16_t>(v);
  const auto u8 = static_cast<uint8_t>(v);
  switch (field) {
    case 0:
      c.type_code = u8;
      break;
    case 1:
      c.info1 = i16;
      break;
    case 2:
      c.info2 = i16;
      break;
    case 3:
      c.info3 = i16;
      break;
    case 4:
      c.info4 = i16;
      break;
    case 5:
      c.signal_time = u8;
      break;
    case 6:
      c.mark = u8;
      break;
    case 7:
      c.tunnel_type = u8;
      break;
    case 8:
      c.speed_limit = u8;
      break;
    case 9:
      c.gradient = u8;
      break;
    default:
      c.adhesion = u8;
      break;
  }
}

void damage_entry(sc::TableEntry& e, int field, uint16_t v) {
  const auto i16 = static_cast<int16_t>(v);
  switch (field) {
    case 0:
      e.type_code = static_cast<uint8_t>(v);
      break;
    case 1:
      e.value1 = i16;
      break;
    case 2:
      e.value2 = i16;
      break;
    case 3:
      e.value3 = i16;
      break;
    case 4:
      e.value4 = i16;
      break;
    case 5:
      e.int1 = i16;
      break;
    case 6:
      e.byte3 = static_cast<uint8_t>(v);
      break;
    default:
      e.text.assign(v % 4, static_cast<char>(v >> 8));
      break;
  }
}

void damage(sc::Scenario& model, const std::string& bytes) {
  for (size_t at = 0; at + 5 <= bytes.size() && !model.cells.empty(); at += 5) {
    const int selector = static_cast<uint8_t>(bytes[at]) % 21;
    const uint16_t index = u16(bytes, at + 1);
    const uint16_t value = u16(bytes, at + 3);
    if (selector < 11) {
      damage_cell(model.cells[index % model.cells.size()], selector, value);
    } else if (selector < 19) {
      damage_entry(model.table[index % sc::kTableEntries], selector - 11, value);
    } else if (selector == 19) {
      model.cells.resize(model.cells.size() - 1);
    } else if (model.profile) {
      const int32_t m = index % (model.profile->last_point() + 1);
      model.profile->set_double(m, value & 1, static_cast<int16_t>(value) / 7.0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const sc::ProfileChoice profile =
      (data[0] & 1) != 0 ? sc::ProfileChoice::kBuild : sc::ProfileChoice::kWithout;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = rest.find('\0');
  const size_t split2 = split == std::string::npos ? split : rest.find('\0', split + 1);
  sc::SourceTexts texts;
  texts.line_text = rest.substr(0, split);
  texts.train_text =
      split == std::string::npos ? std::string() : rest.substr(split + 1, split2 - split - 1);

  sc::RunOutcome run = sc::memorizza_percorso(texts, "Linea", "T1", profile);
  if (run.fatal_error != 0) return 0;
  if (split2 != std::string::npos) damage(run.model, rest.substr(split2 + 1));
  try {
    const sc::DecompiledTexts found = sc::decompile(run.model);
    const sc::RunOutcome again =
        sc::memorizza_percorso({found.line, found.train}, "Linea", "T1", profile);
    if (again.fatal_error == 0) (void)sc::first_difference(run.model, again.model);
  } catch (const sc::DecompileError&) {
  }
  return 0;
}

#include "line/header_values.h"

#include <array>
#include <string>

#include "format/row_kinds.h"
#include "textio/fault.h"
#include "textio/keywords.h"
#include "textio/narrow.h"

namespace sc {
namespace {

struct KmReference {
  int32_t a = 0;  // the ordering key
  int32_t b = 0;
  int32_t c = 0;  // 1 adds 100 to b once ordered
  SourceLocation a_at;
  SourceLocation b_at;
};

// References by slot: entry 81 ("tre"), 82 ("due"), 83 ("uno").
using Slots = std::array<KmReference, 3>;

KmReference reference_in(const ScenarioTable& table, int table_entry,
                         const ReferenceFields& fields) {
  const TableEntry& e = table[table_entry];
  const size_t i = static_cast<size_t>(table_entry - entry::kReferenceTre);
  return {e.*slot::kReferenceA, e.*slot::kReferenceB, e.*slot::kReferenceC, fields.a[i],
          fields.b[i]};
}

// A1 + A2 + A3 in 32 bits, in the order read.
int32_t sum_of_first_values(const std::array<KmReference, 3>& read) {
  int32_t sum = 0;
  for (const KmReference& ref : read) {
    sum = checked_add(sum, ref.a, "the sum of the kilometre references' first values", ref.a_at);
  }
  return sum;
}

// All first values add up to 0: the second values decide which reference
// comes first.
Slots order_by_second_values(const KmReference& r1, const KmReference& r2, const KmReference& r3) {
  if (r1.b > 0) return {r1, r2, r3};
  if (r2.b > 0) return {r2, r3, r1};
  if (r3.b > 0) return {r3, r2, r1};
  return {};
}

// The reference with the strictly greatest first value leads; of the other
// two, on equal first values the one read first takes the middle slot. A
// shared greatest value clears all three.
Slots order_by_first_values(const std::array<KmReference, 3>& read) {
  for (size_t lead = 0; lead < read.size(); ++lead) {
    const KmReference& first_other = read[lead == 0 ? 1 : 0];
    const KmReference& second_other = read[lead == 2 ? 1 : 2];
    if (read[lead].a <= first_other.a || read[lead].a <= second_other.a) continue;
    if (second_other.a > first_other.a) return {read[lead], second_other, first_other};
    return {read[lead], first_other, second_other};
  }
  return {};
}

void add_hundred_when_flagged(KmReference& ref) {
  if (ref.c != 1) return;
  ref.b = checked_add(ref.b, 100, "a kilometre reference's second value plus 100", ref.b_at);
}

}  // namespace

RepetitionCheck store_signal_repetition(TableEntry& train_header, std::string_view keyword,
                                        int32_t first, int32_t second) {
  train_header.*slot::kRepetitionFirst = first;
  train_header.*slot::kRepetitionSecond = second;
  if (first % 50 != 0) return RepetitionCheck::kFirstNotMultipleOf50;
  if (second % 50 != 0) return RepetitionCheck::kSecondNotMultipleOf50;
  const std::optional<int32_t> code = repetition_code(keyword);
  if (!code) return RepetitionCheck::kNoCode;
  train_header.*slot::kRepetitionCode = second == 0 ? 0 : *code;
  return RepetitionCheck::kAccepted;
}

ReferenceFields progressive_ordina(ScenarioTable& table, const ReferenceFields& fields) {
  const std::array<KmReference, 3> read = {reference_in(table, entry::kReferenceUno, fields),
                                           reference_in(table, entry::kReferenceDue, fields),
                                           reference_in(table, entry::kReferenceTre, fields)};
  Slots slots = sum_of_first_values(read) == 0 ? order_by_second_values(read[0], read[1], read[2])
                                               : order_by_first_values(read);
  const std::array<int, 3> entries = {entry::kReferenceTre, entry::kReferenceDue,
                                      entry::kReferenceUno};
  for (KmReference& ref : slots) add_hundred_when_flagged(ref);
  ReferenceFields ordered;
  for (size_t i = 0; i < slots.size(); ++i) {
    TableEntry& e = table[entries[i]];
    e.*slot::kReferenceA = slots[i].a;
    e.*slot::kReferenceB = slots[i].b;
    e.*slot::kReferenceC = slots[i].c;
    const size_t by_entry = static_cast<size_t>(entries[i] - entry::kReferenceTre);
    ordered.a[by_entry] = slots[i].a_at;
    ordered.b[by_entry] = slots[i].b_at;
  }
  return ordered;
}

}  // namespace sc

#include "decompile/decompile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "crowded_route.h"
#include "driver/pipeline.h"
#include "model/serialize.h"
#include "route_generator.h"

namespace sc {
namespace {

const char* const kLine = "Linea_Prova";
const char* const kTrain = "R101";

RunOutcome compile(const std::string& line, const std::string& train, ProfileChoice profile) {
  return memorizza_percorso({line, train}, kLine, kTrain, profile);
}

// Compiles, decompiles and compiles again; the two compiles must give the
// same bytes.
void expect_round_trip(const std::string& line, const std::string& train, ProfileChoice profile) {
  const RunOutcome original = compile(line, train, profile);
  ASSERT_EQ(original.fatal_error, 0);
  const DecompiledTexts texts = decompile(original.model);
  const RunOutcome again = compile(texts.line, texts.train, profile);
  ASSERT_EQ(again.fatal_error, 0) << texts.line << texts.train;
  EXPECT_EQ(first_difference(original.model, again.model), std::nullopt)
      << texts.line << texts.train;
  EXPECT_EQ(serialize_cells(original.model.cells), serialize_cells(again.model.cells));
  EXPECT_EQ(serialize_table(original.model.table), serialize_table(again.model.table));
  if (profile == ProfileChoice::kBuild) {
    EXPECT_EQ(serialize_profile(*original.model.profile), serialize_profile(*again.model.profile));
  }
}

TEST(DecompileRoundTrip, GeneratedRoutes) {
  for (const int32_t length : {0, 4000, 27000, 83150}) {
    for (const ProfileChoice profile : {ProfileChoice::kWithout, ProfileChoice::kBuild}) {
      SCOPED_TRACE("length " + std::to_string(length) +
                   (profile == ProfileChoice::kBuild ? ", with profile" : ", without profile"));
      const RouteTexts route = generate_route(length);
      expect_round_trip(route.line, route.train, profile);
    }
  }
}

// A 3000 m route (cells 0 to 200) with the given rows after each header.
std::string line_text(const std::string& rows) {
  return "[generale]\r\nlunghezza percorso, 3000\r\nripetizione segnali 4 codici, 0, 0\r\n"
         "[righe]\r\n" +
         rows + "[fine]\r\n";
}
std::string train_text(const std::string& rows) {
  return "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n" + rows + "[fine]\r\n";
}

struct AmbiguityCase {
  const char* name;
  std::string line_rows;
  std::string train_rows;
};

// Each case holds one kind of information the files keep only in part; the
// decompiler must find rows that give the same bytes.
TEST(DecompileRoundTrip, EveryKindOfAmbiguity) {
  const AmbiguityCase cases[] = {
      {"gradient and speed rows out of order, filling the last cells",
       "pendenza, 1000, 5\r\npendenza, 400, -3\r\npendenza, 9900, 7\r\npendenza, 50, 1\r\n"
       "pendenza, 50, 2\r\n",
       "velocita, 9900, 60\r\nvelocita, 50, 70\r\naderenza, 500, 300\r\n"},
      {"overlapping tunnels with markers",
       "montagna, 500, 1500, 11\r\nmontagna, 700, 900, 14\r\nmontagna, 1325, 2000, 12\r\n", ""},
      {"adjacent tunnels of their own types",
       "montagna, 1000, 1400, 5\r\nmontagna, 100, 150, 0\r\nmontagna, 1200, 1400, 4\r\n", ""},
      {"objects under station stop cells",
       "indicatori_vmax, 1300, 60, 70, 80, 1, 5, 0, 0, 2\r\n"
       "indicatore cartello, 3300, Bivio\r\n",
       "segnale, 5300, 2, 1, 2, 3, 1, 1, 4, 5, 6, 30\r\n"
       "rallentamento, 7800, 120, 0, 2, 1, 3\r\n"
       "stazione, 1300, 12, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, Uno\r\n"
       "stazione, 3300, 22, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 5, 0, Due\r\n"
       "stazione, 5300, 12, 200, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 8, 10, 0, Tre\r\n"
       "stazione, 6550, 5, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 15, 0, Quattro\r\n"},
      {"signal marks overwritten by a station and the other way round", "",
       "segnale, 1500, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"
       "stazione, 1500, 12, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, Uno\r\n"
       "segnale, 1650, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0\r\n"},
      {"points of value 180 beside slowdowns", "",
       "segnale, 4000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"
       "rallentamento, 5000, 60, 1500, 1, 1, 0\r\n"
       "abbattimento, 5450, 180\r\nabbattimento, 4800, 180\r\nabbattimento, 4000, 250\r\n"
       "abbattimento, 5800, 180\r\nsegnale, 6600, 2, 1, 1, 1, 0, 0, 1, 1, 1, 0\r\n"},
      {"slowdowns near the route's start", "",
       "rallentamento, 1000, 60, 200, 0, 1, 0\r\nrallentamento, 1450, 120, 0, 0, 1, 0\r\n"
       "rallentamento, 1510, 80, 100, 1, 1, 2\r\nrallentamento, 3500, 130, -100, 0, 1, 0\r\n"},
      {"empty and quoted texts",
       "indicatore cartello, 600, \"\"\r\nindicatore cartello, 800, \"Km 3, deviata\"\r\n"
       "indicatore cartello, 900, \"  rientro\"\r\nindicatore cartello, 1000, Galleria "
       "\"Colle\"\r\n",
       "stazione, 2000, 28, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, \"Porto, Molo\"\r\n"},
      {"kilometre references in any order",
       "progressiva chilometrica uno, 5000, 300, 1\r\nprogressiva chilometrica due, 0, 0, 0\r\n"
       "progressiva chilometrica tre, 2000, 100, 0\r\n",
       ""},
      {"curves out of order and overlapping",
       "curvad4, 500, 100\r\ncurvas2, 550, 200\r\ncurvad6, 300, 50\r\ncurvas1, 9900, 300\r\n", ""},
      {"an arc that an earlier row starts and that runs past the last row position",
       "curvad1, 0, 9950\r\ncurvas2, 10, 9995\r\n", ""},
      {"a slowdown off the grid whose countdown starts a tunnel", "montagna, 550, 2000, 1\r\n",
       "rallentamento, 1925, 150, -50, 1, 1, 0\r\n"},
      {"a signal of negative aspect values", "",
       "segnale, 3000, 1, -1, 1, 1, 0, 2, 1, 1, 1, 0\r\n"
       "segnale, 4000, 1, -3, -1, 0, -2, 1, 9, 0, 5, 0\r\n"},
      {"a slowdown of negative length whose start a stop cell takes", "",
       "rallentamento, 2500, 60, -500, 0, 1, 0\r\n"
       "stazione, 2500, 12, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, Uno\r\n"},
  };
  for (const AmbiguityCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (const ProfileChoice profile : {ProfileChoice::kWithout, ProfileChoice::kBuild}) {
      const RunOutcome original =
          compile(line_text(c.line_rows), train_text(c.train_rows), profile);
      ASSERT_FALSE(original.errors.has_error()) << original.errors.diagnostics().back().message;
      expect_round_trip(line_text(c.line_rows), train_text(c.train_rows), profile);
    }
  }
}

TEST(Decompile, NamesTheFirstDifference) {
  const RunOutcome run =
      compile(line_text(""), train_text("segnale, 4000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\r\n"),
              ProfileChoice::kBuild);
  Scenario changed = run.model;
  changed.cells[73].mark = 0;
  EXPECT_EQ(first_difference(run.model, changed), "cell 73 mark: 54 expected, 0 produced");
  changed = run.model;
  changed.table[85].text = "X";
  EXPECT_EQ(first_difference(run.model, changed),
            "entry 85 text: \"Linea_Prova\" expected, \"X\" produced");
  changed = run.model;
  changed.profile->set_double(451, Profile::kX, 0.5);
  EXPECT_EQ(first_difference(run.model, changed),
            "line profile point 451 x: 0 expected, 0.5 produced");
}

// Models that no text compiles to are refused with the reason.
TEST(Decompile, RefusesWhatNoRowGives) {
  const RunOutcome run = compile(line_text(""), train_text(""), ProfileChoice::kWithout);
  const struct {
    const char* name;
    void (*change)(Scenario&);
    const char* reason;
  } cases[] = {
      {"unknown type code", [](Scenario& m) { m.cells[50].type_code = 7; },
       "cell 50 holds type code 7"},
      {"mark without a writer", [](Scenario& m) { m.cells[40].mark = 12; },
       "cell 40 holds the approach mark 12"},
      {"cells for another length", [](Scenario& m) { m.cells.pop_back(); },
       "the cell file holds 200 cells, but a route of 3000 m has 201"},
      {"slowdown end without a start", [](Scenario& m) { m.cells[60].type_code = 2; },
       "cell 60 holds type code 2"},
      {"tunnel marker in cell 2", [](Scenario& m) { m.cells[2].type_code = 11; },
       "cell 2 holds a tunnel marker"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario changed = run.model;
    c.change(changed);
    try {
      decompile(changed);
      ADD_FAILURE() << "decompiled";
    } catch (const DecompileError& e) {
      EXPECT_THAT(e.what(), ::testing::HasSubstr(c.reason));
    }
  }
}

// Seeds whose crowded texts compile without error, and how many of their
// round trips hold, with and without the profile.
struct Sample {
  int clean = 0;
  int held = 0;
};

Sample crowded_round_trips(uint32_t first_seed, int count) {
  Sample sample;
  for (uint32_t seed = first_seed; seed < first_seed + static_cast<uint32_t>(count); ++seed) {
    const RouteTexts route = crowded_route(seed);
    for (const ProfileChoice profile : {ProfileChoice::kWithout, ProfileChoice::kBuild}) {
      const RunOutcome original = compile(route.line, route.train, profile);
      if (original.errors.has_error() || original.fatal_error != 0) continue;
      ++sample.clean;
      try {
        const DecompiledTexts texts = decompile(original.model);
        const RunOutcome again = compile(texts.line, texts.train, profile);
        if (again.fatal_error == 0 && !first_difference(original.model, again.model)) {
          ++sample.held;
          continue;
        }
        ADD_FAILURE() << "seed " << seed
                      << (profile == ProfileChoice::kBuild ? ", with profile: "
                                                           : ", without profile: ")
                      << first_difference(original.model, again.model).value_or("fatal error");
      } catch (const DecompileError& e) {
        ADD_FAILURE() << "seed " << seed
                      << (profile == ProfileChoice::kBuild ? ", with profile: "
                                                           : ", without profile: ")
                      << e.what();
      }
    }
  }
  return sample;
}

// A bounded sample; SC_CROWDED_SEEDS=N runs N seeds instead, by hand.
TEST(DecompileRoundTrip, CrowdedRoutes) {
  const char* seeds = std::getenv("SC_CROWDED_SEEDS");
  const int count = seeds ? std::atoi(seeds) : 150;
  const Sample sample = crowded_round_trips(1, count);
  EXPECT_GT(sample.clean, count);
  EXPECT_EQ(sample.held, sample.clean);
  std::cout << sample.held << " of " << sample.clean << " clean round trips held\n";
}

}  // namespace
}  // namespace sc

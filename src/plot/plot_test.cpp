#include <gtest/gtest.h>

#include "crowded_route.h"
#include "documents/documents.h"
#include "driver/pipeline.h"
#include "labelled_route.h"
#include "plot/labels.h"
#include "plot/route_plot.h"
#include "plot/svg.h"
#include "route_generator.h"

namespace sc {
namespace {

RunOutcome compiled(const std::string& line, const std::string& train) {
  return memorizza_percorso({line, train}, "Vardeo_Lustrella", "K7306", ProfileChoice::kBuild);
}

RunOutcome built_in(const std::string& line_rows_before_end = {}) {
  std::string line = render_document(dati_linea());
  line.insert(line.find("[fine]"), line_rows_before_end);
  return compiled(line, render_document(dati_treno()));
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool has_text(const std::string& svg, const std::string& text) {
  return svg.find(">" + text + "</text>") != std::string::npos;
}

TEST(Plot, TheBuiltInRouteNamesEveryStationInOneStrip) {
  const RunOutcome run = built_in();
  const StripLayout layout = strip_layout(run.model);
  EXPECT_EQ(layout.count, 1);
  EXPECT_EQ(layout.strip_metres, 27000);
  const std::string svg = plot_route(run.model, {});
  EXPECT_TRUE(svg.starts_with("<?xml"));
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  for (const char* name : {"VARDEO", "BODREA", "TOLMERA", "RAVATE LOMESSA", "FRELASCO",
                           "SAN VITALDO", "BORGA VENTOLARIO", "LUSTRELLA"}) {
    // Once on the plan view, once under the distance axis.
    EXPECT_EQ(count(svg, ">" + std::string(name) + "</text>"), 2u) << name;
  }
  EXPECT_EQ(count(svg, "class=\"signal\""), 4u + 1);  // and the legend's
  EXPECT_EQ(svg.find("errors recorded"), std::string::npos);
  EXPECT_EQ(svg.find("abbattimento"), std::string::npos) << "the legend is in English";
}

// Each board shows the speeds or the text written for it, and its marker
// names the metre it landed on, one cell after the written position.
TEST(Plot, BoardsShowWhatTheAuthorWroteAtTheMetreTheyLandOn) {
  const RunOutcome run = built_in(
      "indicatori_vmax, 5000, 40, 50, 60, 1, 10, 20, 30, 0\r\n"
      "indicatore cartello, 9400, \"Galleria Tolmera, lato Lustrella\"\r\n"
      "indicatore cartello, 16000, Una scritta lunga che nessun cartello vero potrebbe portare\r\n"
      "indicatore cartello, 17000, \"\"\r\n");
  ASSERT_FALSE(run.errors.has_error());
  const std::string svg = plot_route(run.model, {});
  EXPECT_TRUE(has_text(svg, "75/80/80"));             // the first built-in board: vas, vbs, vcs
  EXPECT_TRUE(has_text(svg, "40/50/60 | 10/20/30"));  // and the right-hand speeds
  EXPECT_TRUE(has_text(svg, "Galleria Tolmera, lato Lustrella"));
  EXPECT_TRUE(has_text(svg, "Una scritta lunga che nessun cartello v\u2026"));
  EXPECT_TRUE(has_text(svg, "(no text)"));
  EXPECT_NE(svg.find("<title>speed board 75/80/80 km/h, stripes 0/0, at 350 m (written 300 m)"),
            std::string::npos);
  EXPECT_NE(svg.find("<title>text board &quot;Galleria Tolmera, lato Lustrella&quot; at 9450 m "
                     "(written 9400 m)"),
            std::string::npos);
  EXPECT_NE(svg.find("<title>signal at 11450 m (written 11400 m)"), std::string::npos);
}

bool same_box(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

// Every label of the picture: none covers another, each keeps to its frame,
// and a second drawing places them all alike.
void expect_labels_apart(const RunOutcome& run, const std::string& route) {
  const RoutePicture picture = draw_route(run.model, {});
  ASSERT_FALSE(picture.labels.empty()) << route;
  for (size_t i = 0; i < picture.labels.size(); ++i) {
    const PlacedLabel& a = picture.labels[i];
    EXPECT_TRUE(inside(a.box, a.frame)) << route << ": \"" << a.text << "\" leaves its frame";
    for (size_t j = i + 1; j < picture.labels.size(); ++j) {
      const PlacedLabel& b = picture.labels[j];
      EXPECT_FALSE(overlap(a.box, b.box))
          << route << ": \"" << a.text << "\" covers \"" << b.text << "\"";
    }
  }
  const RoutePicture again = draw_route(run.model, {});
  EXPECT_EQ(again.svg, picture.svg) << route;
  ASSERT_EQ(again.labels.size(), picture.labels.size()) << route;
  for (size_t i = 0; i < again.labels.size(); ++i)
    EXPECT_TRUE(same_box(again.labels[i].box, picture.labels[i].box)) << route;
}

TEST(Plot, NoLabelCoversAnotherOrLeavesItsFrame) {
  expect_labels_apart(built_in(), "built-in");
  for (int32_t length : {2000, 40000, 50000}) {
    const RouteTexts texts = labelled_route(length);
    const RunOutcome run = compiled(texts.line, texts.train);
    ASSERT_FALSE(run.errors.has_error()) << length;
    expect_labels_apart(run, "labelled " + std::to_string(length));
  }
  const RouteTexts generated = generate_route(100000);
  expect_labels_apart(compiled(generated.line, generated.train), "generated 100000");
  // Short routes full of rows that overlap, some of them with errors.
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    const RouteTexts texts = crowded_route(seed);
    const RunOutcome run = compiled(texts.line, texts.train);
    if (run.model.has_cells()) expect_labels_apart(run, "crowded seed " + std::to_string(seed));
  }
}

TEST(Plot, LongRoutesAreCutIntoStripsOfOneScale) {
  const RouteTexts texts = generate_route(100000);
  const RunOutcome run = compiled(texts.line, texts.train);
  const StripLayout layout = strip_layout(run.model);
  EXPECT_EQ(layout.count, 4);
  EXPECT_EQ(layout.strip_metres, 25000);
  EXPECT_EQ(count(plot_route(run.model, {}), "class=\"strip-title\""), 4u);
}

TEST(Plot, ARouteWithErrorsIsDrawnWithTheErrorsUnderIt) {
  const RunOutcome run =
      compiled(render_document(dati_linea()), "[generale]\r\nstazione, 25, 12, 600, 0, 0, 0\r\n");
  ASSERT_EQ(run.errors.error_number(), 8);
  const std::string svg = plot_route(run.model, {"treno.txt:2:11: error 8: a <b> & c"});
  EXPECT_NE(svg.find("1 error recorded while compiling"), std::string::npos);
  EXPECT_NE(svg.find("error 8: a &lt;b&gt; &amp; c"), std::string::npos);
}

TEST(Plot, TextIsEscapedForXml) {
  EXPECT_EQ(xml_escaped("SANT'ANNA & \"<X>\"\x01"), "SANT'ANNA &amp; &quot;&lt;X&gt;&quot;?");
}

TEST(LabelPlacer, TakesTheCheapestPlaceThatCoversNoLabelAndKeepsInBounds) {
  const Box taken{10, 0, 20, 10};
  const Box obstacle{50, 0, 20, 10};
  const Box free_near{10, 20, 20, 10};
  const Box free_far{10, 40, 20, 10};
  const Box out_of_bounds{-5, 60, 20, 10};
  struct Case {
    const char* what;
    std::vector<Candidate> candidates;
    std::optional<Box> chosen;
  };
  const std::vector<Case> cases = {
      {"the cheaper of two free places", {{free_far, 5}, {free_near, 2}}, free_near},
      {"equal costs: the first", {{free_far, 2}, {free_near, 2}}, free_far},
      {"not over a label", {{taken, 0}, {free_far, 9}}, free_far},
      {"not out of bounds", {{out_of_bounds, 0}, {free_far, 9}}, free_far},
      {"over an obstacle when that is still cheaper", {{obstacle, 0}, {free_far, 11}}, obstacle},
      {"over an obstacle at the same cost, being first", {{obstacle, 0}, {free_far, 10}}, obstacle},
      {"free rather than over an obstacle", {{obstacle, 0}, {free_far, 9}}, free_far},
      {"nowhere", {{taken, 0}, {out_of_bounds, 0}}, std::nullopt},
  };
  for (const Case& c : cases) {
    LabelPlacer placer(0, 100);
    ASSERT_TRUE(placer.place(std::vector<Candidate>{{taken, 0}}));
    placer.add_obstacle(obstacle);
    const std::optional<Box> chosen = placer.place(c.candidates, 10);
    ASSERT_EQ(chosen.has_value(), c.chosen.has_value()) << c.what;
    if (chosen) {
      EXPECT_TRUE(same_box(*chosen, *c.chosen)) << c.what;
    }
  }
}

TEST(LabelPlacer, BeyondAllIsFreeAndInBounds) {
  LabelPlacer placer(0, 100);
  for (const Box& b : {Box{0, 0, 40, 10}, Box{30, -20, 40, 10}, Box{60, 30, 40, 10}})
    ASSERT_TRUE(placer.place(std::vector<Candidate>{{b, 0}}));
  for (bool above : {true, false}) {
    const Box beyond = placer.beyond_all(90, 30, 10, above);
    EXPECT_TRUE(placer.place(std::vector<Candidate>{{beyond, 0}})) << above;
    EXPECT_EQ(beyond.right(), 100) << above;
  }
}

}  // namespace
}  // namespace sc

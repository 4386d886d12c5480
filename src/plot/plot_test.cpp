#include <gtest/gtest.h>

#include "documents/documents.h"
#include "driver/pipeline.h"
#include "plot/route_plot.h"
#include "plot/svg.h"
#include "route_generator.h"

namespace sc {
namespace {

RunOutcome compiled(const std::string& line, const std::string& train) {
  return memorizza_percorso({line, train}, "Vardeo_Lustrella", "K7306", 1);
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Plot, TheBuiltInRouteNamesEveryStationInOneStrip) {
  const RunOutcome run = compiled(render_document(dati_linea()), render_document(dati_treno()));
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
  EXPECT_EQ(count(svg, "class=\"speed-board\""), 6u + 1);
  EXPECT_EQ(svg.find("errors recorded"), std::string::npos);
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

}  // namespace
}  // namespace sc

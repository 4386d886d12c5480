#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "textio/xml_text.h"

namespace sc {

struct Point {
  double x = 0;
  double y = 0;
};
inline Point operator+(Point a, Point b) {
  return {a.x + b.x, a.y + b.y};
}
inline Point operator*(Point a, double k) {
  return {a.x * k, a.y * k};
}

// A small writer of self-contained SVG documents: shapes and text with CSS
// classes from one style sheet, coordinates in pixels with one decimal.
class Svg {
 public:
  Svg(double width, double height, std::string_view style_sheet);

  void line(Point from, Point to, std::string_view css_class);
  void polyline(const std::vector<Point>& points, std::string_view css_class);
  void polygon(const std::vector<Point>& points, std::string_view css_class);
  void rect(Point corner, double width, double height, std::string_view css_class);
  void circle(Point centre, double radius, std::string_view css_class);
  // UTF-8 text; its anchor is start, middle or end.
  void text(Point at, std::string_view utf8, std::string_view css_class,
            std::string_view anchor = "start");
  // The document's title, shown by viewers in place of the file name.
  void title(std::string_view utf8);
  // Shapes between these two calls form one group whose title a viewer
  // shows when the pointer rests on any of them.
  void begin_titled(std::string_view utf8);
  void end_titled();

  // The finished document.
  std::string finish() &&;

 private:
  void open_shape(std::string_view tag, std::string_view css_class);

  std::string out_;
};

}  // namespace sc

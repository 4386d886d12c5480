#include "plot/svg.h"

#include <cstdio>

namespace sc {
namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string points_attribute(const std::vector<Point>& points) {
  std::string text;
  for (const Point& p : points) {
    if (!text.empty()) text += ' ';
    text += number(p.x) + "," + number(p.y);
  }
  return text;
}

}  // namespace

Svg::Svg(double width, double height, std::string_view style_sheet) {
  out_ =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"" +
      number(width) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(width) + " " +
      number(height) + "\">\n<style>\n" + std::string(style_sheet) +
      "</style>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void Svg::open_shape(std::string_view tag, std::string_view css_class) {
  out_ += "<";
  out_ += tag;
  out_ += " class=\"";
  out_ += css_class;
  out_ += "\"";
}

void Svg::line(Point from, Point to, std::string_view css_class) {
  open_shape("line", css_class);
  out_ += " x1=\"" + number(from.x) + "\" y1=\"" + number(from.y) + "\" x2=\"" + number(to.x) +
          "\" y2=\"" + number(to.y) + "\"/>\n";
}

void Svg::polyline(const std::vector<Point>& points, std::string_view css_class) {
  if (points.size() < 2) return;
  open_shape("polyline", css_class);
  out_ += " points=\"" + points_attribute(points) + "\"/>\n";
}

void Svg::polygon(const std::vector<Point>& points, std::string_view css_class) {
  if (points.size() < 3) return;
  open_shape("polygon", css_class);
  out_ += " points=\"" + points_attribute(points) + "\"/>\n";
}

void Svg::rect(Point corner, double width, double height, std::string_view css_class) {
  open_shape("rect", css_class);
  out_ += " x=\"" + number(corner.x) + "\" y=\"" + number(corner.y) + "\" width=\"" +
          number(width) + "\" height=\"" + number(height) + "\"/>\n";
}

void Svg::circle(Point centre, double radius, std::string_view css_class) {
  open_shape("circle", css_class);
  out_ += " cx=\"" + number(centre.x) + "\" cy=\"" + number(centre.y) + "\" r=\"" + number(radius) +
          "\"/>\n";
}

void Svg::text(Point at, std::string_view utf8, std::string_view css_class,
               std::string_view anchor) {
  open_shape("text", css_class);
  out_ += " x=\"" + number(at.x) + "\" y=\"" + number(at.y) + "\" text-anchor=\"";
  out_ += anchor;
  out_ += "\">" + xml_escaped(utf8) + "</text>\n";
}

void Svg::title(std::string_view utf8) {
  out_ += "<title>" + xml_escaped(utf8) + "</title>\n";
}

void Svg::begin_titled(std::string_view utf8) {
  out_ += "<g><title>" + xml_escaped(utf8) + "</title>\n";
}

void Svg::end_titled() {
  out_ += "</g>\n";
}

std::string Svg::finish() && {
  out_ += "</svg>\n";
  return std::move(out_);
}

}  // namespace sc

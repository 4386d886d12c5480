#pragma once

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "plot/svg.h"

namespace sc {

// An upright rectangle on the page, in pixels.
struct Box {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};

// Whether the insides of two boxes meet; boxes that only touch do not.
bool overlap(const Box& a, const Box& b);
// Whether `inner` lies wholly within `outer`.
bool inside(const Box& inner, const Box& outer);
// The smallest box that holds both.
Box united(const Box& a, const Box& b);

// Boxes filed by the columns of the page they cross, so that a test for an
// overlap looks only at the boxes nearby.
class BoxIndex {
 public:
  void add(const Box& box);
  bool hits(const Box& box) const;

 private:
  std::unordered_map<long, std::vector<Box>> columns_;
};

// A place a label may take, and what taking it costs (its distance from
// what it names, say).
struct Candidate {
  Box box;
  double cost = 0;
};

// Places labels one by one, each at the candidate of least cost that keeps
// between `left` and `right` and covers no label placed before; covering an
// obstacle adds `covering_cost`, and of equal costs the earlier candidate
// wins. The order of the calls decides, so the result is always the same.
class LabelPlacer {
 public:
  LabelPlacer(double left, double right) : left_(left), right_(right) {}

  // Something a label had better not cover: the track, a marker.
  void add_obstacle(const Box& box) { obstacles_.add(box); }
  // The chosen box, or none when every candidate covers a label or leaves
  // the bounds.
  std::optional<Box> place(std::span<const Candidate> candidates, double covering_cost = 0);
  // A box of the given size, horizontally at `left` (moved within the
  // bounds), above or below every label placed so far.
  Box beyond_all(double left, double width, double height, bool above) const;

 private:
  bool within_bounds(const Box& box) const { return box.left >= left_ && box.right() <= right_; }

  double left_;
  double right_;
  BoxIndex labels_;
  BoxIndex obstacles_;
  std::optional<Box> extent_;  // of the labels placed
};

// A box of the given size centred on `centre`.
Box box_around(Point centre, double width, double height);

// Places for a number just past a post across the track: on the side
// against `normal` (below where the track runs left to right), then on the
// other side, then a little further out on each; after these, the same
// places slid along the track just clear of the post, for a post at the
// edge of the frame.
std::vector<Candidate> places_beside_post(Point post, Point normal, Box size);

// Places for a label of the given size that leave `anchor` free: in rows
// above and below it, slid left and right, and beside it. Each costs its
// distance from the anchor, a little more on the side not preferred or
// slid further.
std::vector<Candidate> places_around(Point anchor, Box size, bool above_first);

}  // namespace sc

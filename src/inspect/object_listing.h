#pragma once

#include <string>

#include "objects/route_objects.h"

namespace sc {

// The route's objects for its author, one line each in route order, in
// metres and km/h as the rows give them; texts converted to UTF-8. Signals,
// slowdowns and boards also say where they land on the track, and the
// gradient, line speed and adhesion that change at one metre share a line.
std::string object_listing(const objects::RouteObjects& route);

}  // namespace sc

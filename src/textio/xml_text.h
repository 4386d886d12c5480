#pragma once

#include <string>
#include <string_view>

namespace sc {

// XML character data or attribute text.
std::string xml_escaped(std::string_view utf8);

}  // namespace sc

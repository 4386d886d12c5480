#pragma once

#include <string_view>

namespace sc {

// The width in pixels that `utf8` takes at `font_size` in the picture's
// font, regular or bold: the advance widths of DejaVu Sans, the first font
// the style sheet names (Arial, the next, is narrower). A character beyond
// ASCII counts one em, wider than any accented letter.
double text_width(std::string_view utf8, double font_size, bool bold);

}  // namespace sc

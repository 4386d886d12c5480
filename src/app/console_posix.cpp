#include <unistd.h>

#include <cstdlib>

#include "app/findings_output.h"

namespace sc {

bool colour_wanted(int fd) {
  const char* no_colour = std::getenv("NO_COLOR");
  return isatty(fd) != 0 && (no_colour == nullptr || *no_colour == '\0');
}

}  // namespace sc

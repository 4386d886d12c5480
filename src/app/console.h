#pragma once

namespace sc {

// Readies the process for the commands before they start. On Windows: the
// arguments as UTF-8 (read from the UTF-16 command line), standard input,
// output and error in binary mode, and UTF-8 console output. Elsewhere there is
// nothing to do.
#ifdef _WIN32
void prepare_process(int& argc, char**& argv);
#else
inline void prepare_process(int& /*argc*/, char**& /*argv*/) {}
#endif

}  // namespace sc

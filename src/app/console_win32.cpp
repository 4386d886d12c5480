// The process's start on Windows: the command line as UTF-8, binary standard
// streams, UTF-8 console output, and colours through the console's
// virtual-terminal mode.
#include <windows.h>
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/findings_output.h"
#include "app/win32_text.h"

namespace sc {
namespace {

UINT g_console_output_cp = 0;

void restore_console_output_cp() {
  if (g_console_output_cp != 0) SetConsoleOutputCP(g_console_output_cp);
}

// The arguments as the user typed them, UTF-16 from the system, in UTF-8.
// They live as long as the process.
void utf8_arguments(int& argc, char**& argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return;
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  for (int i = 0; i < count; ++i) texts.push_back(utf8_from_wide(wide[i]));
  LocalFree(wide);
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  argc = count;
  argv = pointers.data();
}

}  // namespace

void prepare_process(int& argc, char**& argv) {
  utf8_arguments(argc, argv);
  // Text mode would turn "\n" into "\r\n" and end a read at byte 0x1A.
  for (FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
  // The console shows the UTF-8 bytes written to it as the characters they
  // are; its own code page is given back at exit.
  g_console_output_cp = GetConsoleOutputCP();
  if (g_console_output_cp != 0 && g_console_output_cp != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(restore_console_output_cp);
  } else {
    g_console_output_cp = 0;
  }
}

bool colour_wanted(int fd) {
  const char* no_colour = std::getenv("NO_COLOR");
  if (no_colour != nullptr && *no_colour != '\0') return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  // A console that takes the escape sequences; a file, a pipe or NUL is none.
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) &&
         SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace sc

// Loads the window module from the bytes linked into the executable: they are
// copied into an anonymous memory file and opened with dlopen, so the program
// stays a single file and a run without a display never maps the X libraries.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/ui.h"
#include "app/window_module.h"

namespace sc {
namespace {

class WindowUi : public Ui {
 public:
  explicit WindowUi(const ScWindowModule& module) : module_(module) {}
  void show_waiting() override { module_.show_waiting(); }
  void show_fatal_error(const std::string& text) override {
    module_.show_fatal_error(text.c_str());
  }
  void close() override { module_.close(); }

 private:
  const ScWindowModule& module_;
};

bool write_all(int fd, const unsigned char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// The module opened from its bytes; nullptr when the system cannot load it.
// It stays loaded until the process ends.
const ScWindowModule* load_window_module() {
  const int fd = ::memfd_create("scenario-compiler-window", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  void* handle = nullptr;
  if (write_all(fd, sc_window_module_start,
                static_cast<size_t>(sc_window_module_end - sc_window_module_start))) {
    handle = ::dlopen(("/proc/self/fd/" + std::to_string(fd)).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  ::close(fd);
  if (handle == nullptr) return nullptr;
  const auto entry = reinterpret_cast<ScWindowModuleEntry>(::dlsym(handle, kScWindowModuleEntry));
  return entry != nullptr ? entry() : nullptr;
}

}  // namespace

std::unique_ptr<Ui> make_ui() {
  const char* display_name = std::getenv("DISPLAY");
  if (display_name == nullptr || *display_name == '\0') return make_terminal_ui();
  const ScWindowModule* module = load_window_module();
  if (module == nullptr || !module->open_display()) return make_terminal_ui();
  return std::make_unique<WindowUi>(*module);
}

}  // namespace sc

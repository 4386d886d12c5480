#pragma once

#include <memory>
#include <string>

namespace sc {

// The one-shot run's window ("Attendere" while the work runs) and its fatal
// message box.
class Ui {
 public:
  virtual ~Ui() = default;
  // Shows the waiting window and paints it before the work starts.
  virtual void show_waiting() = 0;
  // Shows `text` with one OK button and waits for it to be pressed.
  virtual void show_fatal_error(const std::string& text) = 0;
  virtual void close() = 0;
};

// A real window when a display can be opened; otherwise no window, and the
// fatal message goes to standard error.
std::unique_ptr<Ui> make_ui();

// The terminal form used without a display and by the compile command.
std::unique_ptr<Ui> make_terminal_ui();

}  // namespace sc

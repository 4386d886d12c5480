#include <iostream>

#include "app/ui.h"

namespace sc {
namespace {

class TerminalUi : public Ui {
 public:
  void show_waiting() override {}
  void show_fatal_error(const std::string& text) override { std::cerr << text << '\n'; }
  void close() override {}
};

}  // namespace

std::unique_ptr<Ui> make_terminal_ui() {
  return std::make_unique<TerminalUi>();
}

}  // namespace sc

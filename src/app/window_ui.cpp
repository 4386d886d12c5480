#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <cstdlib>

#include "app/ui.h"

namespace sc {
namespace {

// The form's layout in pixels (its twips at 96 dots per inch). FLTK sizes
// fonts in pixels: 24 points is 32 pixels.
constexpr int kFormWidth = 280;
constexpr int kFormHeight = 179;
constexpr int kLabelLeft = 64;
constexpr int kLabelTop = 64;
constexpr int kLabelWidth = 177;
constexpr int kLabelHeight = 53;
constexpr int kLabelFontPixels = 32;

class WindowUi : public Ui {
 public:
  void show_waiting() override {
    form_ = std::make_unique<Fl_Window>(kFormWidth, kFormHeight, "Form1");
    auto* label = new Fl_Box(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight, "Attendere");
    label->labelfont(FL_HELVETICA_BOLD);
    label->labelsize(kLabelFontPixels);
    label->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    form_->end();
    form_->show();
    // Let the window be mapped and painted before the work starts.
    Fl::check();
    form_->redraw();
    Fl::flush();
  }

  void show_fatal_error(const std::string& text) override {
    Fl_Window box(260, 110, "scenario-compiler");
    Fl_Box message(10, 15, 240, 40);
    message.copy_label(text.c_str());
    Fl_Button ok(90, 65, 80, 30, "OK");
    ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
    box.end();
    box.set_modal();
    box.show();
    while (box.shown()) Fl::wait();
  }

  void close() override {
    if (form_) form_->hide();
    form_.reset();
    Fl::flush();
  }

 private:
  std::unique_ptr<Fl_Window> form_;
};

}  // namespace

std::unique_ptr<Ui> make_ui() {
  const char* display_name = std::getenv("DISPLAY");
  if (display_name == nullptr || *display_name == '\0') return make_terminal_ui();
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return make_terminal_ui();
  fl_open_display(display);
  return std::make_unique<WindowUi>();
}

}  // namespace sc

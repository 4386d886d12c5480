// The window module: the one-shot run's "Attendere" form and its fatal message
// box, built as a shared object with the toolkit linked in.
#include "app/window_module.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <memory>

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

// The waiting form remembers that it has been painted at least once.
class WaitingForm : public Fl_Window {
 public:
  WaitingForm() : Fl_Window(kFormWidth, kFormHeight, "Form1") {}
  bool painted() const { return painted_; }

 private:
  void draw() override {
    Fl_Window::draw();
    painted_ = true;
  }
  bool painted_ = false;
};

// How long the run waits for the display to paint the form before it starts.
constexpr double kPaintWaitStep = 0.01;
constexpr int kPaintWaitSteps = 200;

// The toolkit is process-wide, and so is the one form the run shows.
std::unique_ptr<WaitingForm>& waiting_form() {
  static std::unique_ptr<WaitingForm> form;
  return form;
}

int open_display() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 0;
  fl_open_display(display);
  return 1;
}

void show_waiting() {
  auto& form = waiting_form();
  form = std::make_unique<WaitingForm>();
  auto* label = new Fl_Box(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight, "Attendere");
  label->labelfont(FL_HELVETICA_BOLD);
  label->labelsize(kLabelFontPixels);
  label->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
  form->end();
  form->show();
  // The form is painted once it is mapped; no event is handled after that.
  for (int step = 0; step < kPaintWaitSteps && !form->painted(); ++step) {
    Fl::wait(kPaintWaitStep);
  }
  Fl::flush();
}

void show_fatal_error(const char* text) {
  Fl_Window box(260, 110, "scenario-compiler");
  Fl_Box message(10, 15, 240, 40);
  message.copy_label(text);
  Fl_Button ok(90, 65, 80, 30, "OK");
  ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
  box.end();
  box.set_modal();
  box.show();
  while (box.shown()) Fl::wait();
}

void close() {
  auto& form = waiting_form();
  if (form) form->hide();
  form.reset();
  Fl::flush();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const ScWindowModule* sc_window_module() {
  static const ScWindowModule module{open_display, show_waiting, show_fatal_error, close};
  return &module;
}

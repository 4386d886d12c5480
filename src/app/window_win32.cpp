// The one-shot run's window on Windows: a plain Win32 form "Form1" with the
// label "Attendere", and the fatal error in a message box. Without an
// interactive desktop (a service, or Wine without a display) there is no
// window and the message goes to standard error, as on Linux.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/ui.h"
#include "app/win32_text.h"

namespace sc {
namespace {

// The form's client area and its label, in pixels at 96 dots per inch.
constexpr int kFormWidth = 280;
constexpr int kFormHeight = 179;
constexpr int kLabelLeft = 64;
constexpr int kLabelTop = 64;
// The label reaches to the form's right edge: a font wider than Arial, such as
// the one Wine puts in its place, would otherwise cut off its last letter.
constexpr int kLabelWidth = kFormWidth - kLabelLeft;
constexpr int kLabelHeight = 53;
constexpr int kLabelFontPoints = 24;
constexpr const wchar_t* kFormClass = L"ScenarioCompilerForm1";

bool environment_set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Wine shows its windows on the X or Wayland display it was given.
bool wine_without_display() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  return wine && !environment_set("DISPLAY") && !environment_set("WAYLAND_DISPLAY");
}

// A desktop the user sees: not a service's hidden window station.
bool interactive_desktop() {
  const HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station == nullptr ||
      !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return false;
  }
  return !wine_without_display();
}

// Handles what is waiting in the queue, without waiting for more.
void handle_pending_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class Win32Ui : public Ui {
 public:
  ~Win32Ui() override { close(); }

  void show_waiting() override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW form_class{};
    form_class.lpfnWndProc = DefWindowProcW;
    form_class.hInstance = instance;
    form_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form_class.lpszClassName = kFormClass;
    RegisterClassW(&form_class);
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, kFormWidth, kFormHeight};
    AdjustWindowRect(&frame, kStyle, FALSE);
    form_ = CreateWindowExW(0, kFormClass, L"Form1", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            instance, nullptr);
    if (form_ == nullptr) return;
    const HDC screen = GetDC(nullptr);
    const int height = -MulDiv(kLabelFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"Arial");
    const HWND label =
        CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT, kLabelLeft,
                        kLabelTop, kLabelWidth, kLabelHeight, form_, nullptr, instance, nullptr);
    if (label != nullptr && font_ != nullptr) {
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    ShowWindow(form_, SW_SHOWNORMAL);
    UpdateWindow(form_);
    handle_pending_messages();
  }

  void show_fatal_error(const std::string& text) override {
    MessageBoxW(form_, wide_from_utf8(text).c_str(), L"scenario-compiler",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }

  void close() override {
    if (form_ != nullptr) DestroyWindow(form_);
    form_ = nullptr;
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
    handle_pending_messages();
  }

 private:
  HWND form_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Ui> make_ui() {
  if (!interactive_desktop()) return make_terminal_ui();
  return std::make_unique<Win32Ui>();
}

}  // namespace sc

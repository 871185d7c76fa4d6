// StyledMessageBox: a skinned MyWindow-class window with an icon, a text and one button,
// faded in.
#include "app/styled_message_box_win.h"

#include "app/shell_texts.h"
#include "app/startup_win.h"
#include "ui/controls_win.h"
#include "ui/skin_engine_win.h"
#include "ui/window_win.h"

namespace app {

namespace {

constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT kFadeStepMs = 15;
constexpr int kFadeStep = 48;  // alpha added per step: about 0.1 s from clear to opaque

constexpr int kMargin = 14;
constexpr int kIconSide = 32;
constexpr int kButtonWidth = 80, kButtonHeight = 24;

LPCSTR systemIconFor(UINT icon) {
  switch (icon & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    default:
      return IDI_ASTERISK;  // MB_ICONINFORMATION
  }
}

// One box on screen. It owns itself: it is deleted with its window.
class StyledMessageBox : public ui::Window {
 public:
  explicit StyledMessageBox(StyledMessageBoxOptions options) : options_(std::move(options)) {}

  void reportDeletionTo(bool* deleted) { deleted_ = deleted; }

  HWND show(const std::string& text, const std::string& title) {
    RECT area{};
    if (options_.owner != nullptr && IsWindow(options_.owner)) {
      GetWindowRect(options_.owner, &area);
    } else {
      area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int x = area.left + (area.right - area.left - options_.width) / 2;
    const int y = area.top + (area.bottom - area.top - options_.height) / 2;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_LAYERED;
    if (createWindow(exStyle, kMyWindowClass, title, style, x, y, options_.width, options_.height,
                     options_.owner) == nullptr) {
      return nullptr;
    }
    // The skin draws its frame, caption and background, as for the program's other windows.
    ui::attachSkin(hwnd());
    layOut(text);
    // Start transparent and fade in; the call returns with the box on screen.
    SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    UpdateWindow(hwnd());
    if (SetTimer(hwnd(), kFadeTimer, kFadeStepMs, nullptr) == 0) finishFade();
    return hwnd();
  }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) == kStyledBoxButton && HIWORD(wParam) == BN_CLICKED) {
          DestroyWindow(hwnd());
        }
        return 0;
      case WM_TIMER:
        if (wParam == kFadeTimer) {
          alpha_ = alpha_ + kFadeStep >= 255 ? 255 : alpha_ + kFadeStep;
          if (alpha_ >= 255) {
            finishFade();
          } else {
            SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
          }
        }
        return 0;
      case WM_DESTROY:
        KillTimer(hwnd(), kFadeTimer);
        return 0;
      default:
        return Window::handleMessage(message, wParam, lParam);
    }
  }

  void onFinalMessage() override {
    std::function<void()> onClosed = std::move(options_.onClosed);
    if (deleted_ != nullptr) *deleted_ = true;
    delete this;
    if (onClosed) onClosed();
  }

 private:
  void layOut(const std::string& text) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    HFONT font = interfaceFont();

    // Below the skin's caption strip.
    const int top = ui::kSkinCaptionHeight;
    const ui::ControlDefinition icon{kStyledBoxIcon, "Static",  "",        SS_ICON, kMargin + 4,
                                     top + kMargin,  kIconSide, kIconSide, true};
    HWND iconControl = ui::createControl(hwnd(), icon, nullptr);
    SendMessageA(iconControl, STM_SETICON,
                 reinterpret_cast<WPARAM>(LoadIconA(nullptr, systemIconFor(options_.icon))), 0);

    const int textLeft = kMargin + 4 + kIconSide + kMargin;
    const int buttonTop = height - kMargin + 4 - kButtonHeight;
    const ui::ControlDefinition message{kStyledBoxText,
                                        "Static",
                                        text,
                                        SS_LEFT | SS_NOPREFIX,
                                        textLeft,
                                        top + kMargin - 4,
                                        width - textLeft - kMargin,
                                        buttonTop - top - kMargin + 2,
                                        true};
    ui::createControl(hwnd(), message, font);

    const ui::ControlDefinition button{kStyledBoxButton,
                                       "Button",
                                       shellTexts().okButton,
                                       BS_DEFPUSHBUTTON | WS_TABSTOP,
                                       width - kMargin - kButtonWidth,
                                       buttonTop,
                                       kButtonWidth,
                                       kButtonHeight,
                                       true};
    SetFocus(ui::createControl(hwnd(), button, font));
  }

  void finishFade() {
    KillTimer(hwnd(), kFadeTimer);
    alpha_ = 255;
    // Fully opaque: draw as an ordinary window again.
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & ~WS_EX_LAYERED);
    RedrawWindow(hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }

  StyledMessageBoxOptions options_;
  int alpha_ = 0;
  bool* deleted_ = nullptr;
};

}  // namespace

HWND showStyledMessageBox(const std::string& text, const std::string& title,
                          const StyledMessageBoxOptions& options) {
  auto* box = new StyledMessageBox(options);
  bool gone = false;
  box->reportDeletionTo(&gone);
  HWND shown = box->show(text, title);
  if (gone) return nullptr;  // destroyed while being made: it has deleted itself
  box->reportDeletionTo(nullptr);
  if (shown == nullptr) delete box;  // no window ever existed to delete it
  return shown;
}

}  // namespace app

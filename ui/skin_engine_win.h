// The skin engine: a top-level window given over to it loses the system's frame and caption
// and draws its own over the skin canvas (icon, title in the text colour, minimise and close
// buttons), paints its whole area from the canvas, and lets labels and group boxes show the
// canvas behind their text. The system menu, Alt+F4 and the taskbar work as for any window.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

// The strip along the top that carries the icon, the title and the caption buttons and that
// moves the window when dragged; the window's own controls start below it (or beside the
// caption buttons, as the picture buttons do).
constexpr int kSkinCaptionHeight = 30;
constexpr int kSkinButtonWidth = 27, kSkinButtonHeight = 20;

enum class SkinButton { none, minimise, close };

struct SkinOptions {
  // Draws the window's own texts or marks over its background each time the skin composes
  // it (client coordinates; the DC's text mode is transparent, its text colour textColour).
  // They then show behind labels too. A skinned window's own WM_PAINT and WM_ERASEBKGND
  // are not called: what it draws, it draws here.
  std::function<void(HDC dc, const RECT& client)> paint;
};

// Skins `window`: the outer size stays as it is and becomes the client area. Attaching a
// window that is already skinned only replaces its options. The window leaves the skin when
// it is destroyed. False when the window cannot be subclassed.
bool attachSkin(HWND window, SkinOptions options = {});

bool isSkinned(HWND window);

// Composes the window's background again (after its `paint` would draw something else) and
// repaints it with its controls.
void refreshSkin(HWND window);

// The font of the drawn titles; the system's GUI font until set. Not owned.
void setSkinFont(HFONT font);

// Where a caption button lies in a skinned window of that client width.
RECT skinButtonRect(int clientWidth, SkinButton button);

}  // namespace ui

// The skin's program-wide state: the background picture, the screen-sized canvas built from
// it once per change, the three theme colours, and the windows that paint from them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The two messages every skinned window is sent, in this order, after each change: the
// first says the canvas and colours are new, the second asks for a full repaint.
constexpr UINT kSkinChanged = WM_USER + 1;
constexpr UINT kSkinRepaint = WM_USER + 2;

// The canvas: a top-down 32-bit DIB section, screen width + 10 by screen height + 10, whose
// pixels are opaque ARGB (0xAARRGGBB in memory order B, G, R, A).
struct SkinCanvas {
  HBITMAP bitmap = nullptr;
  const std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::uint32_t pixel(int x, int y) const { return pixels[y * width + x]; }
  // The same pixel as a colour value (0x00BBGGRR).
  COLORREF colour(int x, int y) const {
    const std::uint32_t p = pixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

// A top-down 32-bit DIB section of that size (row 0 first), its pixels in `bits`; null when
// it cannot be made. The canvas and each skinned window's face are made this way.
HBITMAP createTopDownDib(int width, int height, void** bits);

// ---- the state (valid on the GUI thread between start-up and releaseSkin) ----------------
const std::string& skinPicture();  // the encoded picture now shown, "" for a plain colour
const SkinCanvas& skinCanvas();
int canvasScreenWidth();  // the screen width at the last build; 0 before the first
COLORREF averageColour();
COLORREF textColour();      // black or white, whichever stands out on the average colour
COLORREF contrastColour();  // the opposite of textColour
const std::vector<HWND>& skinnedWindows();

// ---- colours ------------------------------------------------------------------------------
// The mean colour of a JPEG, BMP or PNG picture: each of red, green and blue averaged over
// every pixel weighted by its alpha and rounded to the nearest integer; a wholly transparent
// picture is black. Nothing when the bytes do not decode.
std::optional<COLORREF> averageColourOf(const std::string& picture);

// Black on a light average (R + G + B above half of 765), white on a dark or mid-grey one.
COLORREF textColourFor(COLORREF average);

// ---- changes ------------------------------------------------------------------------------
// Makes `picture` the background: theme colours, a new canvas, every skinned window told.
// A picture that does not decode changes nothing, but the windows are told all the same.
void applySkinPicture(const std::string& picture);

// Makes a plain colour the background: a diagonal gradient from the colour lightened twice
// towards white (top right) to the colour itself (bottom left).
void applySkinColour(COLORREF colour);

// Rebuilds the canvas from what it shows now (the picture or the plain colour) when `force`
// is set or the screen has become wider than at the last build. The overloads without a
// screen size ask the system for it. True when the canvas was rebuilt.
bool buildSkinCanvas(bool force);
bool buildSkinCanvas(bool force, int screenWidth, int screenHeight);
bool buildPlainCanvas(COLORREF colour, bool force);
bool buildPlainCanvas(COLORREF colour, bool force, int screenWidth, int screenHeight);

// Gives back the picture, the canvas and the list of windows: the exit clean-up.
void releaseSkin();

// The skin engine keeps the list of skinned windows with these.
void addSkinnedWindow(HWND window);
void removeSkinnedWindow(HWND window);

}  // namespace ui

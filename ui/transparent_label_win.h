// TransparentLabel: a static text, check box, radio button or "Afx:" window whose text is
// drawn straight onto what its parent painted beneath it, with no box around it. All of its
// state lives in window properties of the control; check boxes and radio buttons draw their
// glyph from the glyph sheet that loadGlyphSheet loads once per process.
#pragma once

#include <windows.h>

namespace ui {

// Control kinds, as classifyControl gives them and "NimboTranSparentType" holds them.
constexpr int kNotAttachable = 0;       // anything not listed below
constexpr int kStaticControl = 1;       // class "Static"
constexpr int kPushButtonControl = 3;   // push buttons, push-like check boxes and radios
constexpr int kOtherButtonControl = 4;  // group boxes and the like
constexpr int kCheckBoxControl = 5;
constexpr int kRadioButtonControl = 6;
constexpr int kFrameworkControl = 99;  // a window class whose name begins with "Afx:"

// The glyph sheet's bitmap in the program's resources (app/lyrivane.rc).
constexpr int kGlyphSheetResource = 130;

// Names of the window properties kept on an attached control. Every value is a whole
// pointer-sized handle.
extern const char kTypeProperty[];        // the kind
extern const char kDrawFormatProperty[];  // DrawTextA flags
extern const char kTextColorProperty[];   // 0x00BBGGRR
extern const char kFontProperty[];        // the font the attach made
extern const char kProcProperty[];        // the previous window procedure; 0 once detached
extern const char kCacheDCProperty[];     // the background snapshot's memory context
extern const char kBitmapProperty[];      // the snapshot bitmap
extern const char kOldBitmapProperty[];   // what the context held before the snapshot

// Turns the 72 x 198 glyph sheet of the resources into a bitmap compatible with the screen,
// selected into a screen-compatible memory context for the rest of the process. Run it at
// start-up before any attached control paints; later calls do nothing. False when the sheet
// could not be made (check boxes and radio buttons then paint without their glyph).
bool loadGlyphSheet();

// The kind of control `hwnd` is, one of the constants above.
int classifyControl(HWND hwnd);

// Attaches `hwnd`: alignments 0 left/top, 1 centre/middle, 2 right/bottom; a text colour of
// the form 0x00BBGGRR; a font height of 0 counts as 12. True when attached; for kinds 0, 3
// and 4 (and a handle that is no window) false, and the control is left untouched. Attaching
// again replaces the settings and the font and keeps the one subclassing.
bool attachTransparentLabel(HWND hwnd, int horizontalAlignment = 0, int verticalAlignment = 0,
                            bool wordWrap = false, COLORREF textColor = 0, int fontHeight = 12,
                            bool bold = false, bool underline = false, bool italic = false);

// The window procedure of an attached control: paints on WM_PAINT, detaches on WM_DESTROY,
// hands everything else to the procedure the control had before.
LRESULT CALLBACK transparentLabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui

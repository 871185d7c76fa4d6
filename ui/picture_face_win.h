// The face of the windows' picture buttons (图形按钮1): a small framed landscape.
#pragma once

#include "ui/gdi_win.h"

namespace ui {

// Drawn once per window that shows it; a null bitmap when the screen gave no room for it.
Bitmap drawPictureFace();

}  // namespace ui

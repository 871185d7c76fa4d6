// The picture buttons' face, drawn with GDI.
#include "ui/picture_face_win.h"

namespace ui {

Bitmap drawPictureFace() {
  constexpr int kSide = 14;
  WindowDC screen(nullptr);
  Bitmap face(CreateCompatibleBitmap(screen.get(), kSide, kSide));
  MemoryDC canvas(screen.get());
  if (!face || canvas.get() == nullptr) return face;
  SelectionGuard intoCanvas(canvas.get(), face.get());

  const RECT whole{0, 0, kSide, kSide};
  Brush frame(CreateSolidBrush(RGB(0x40, 0x40, 0x40)));
  Brush sky(CreateSolidBrush(RGB(0x9C, 0xCC, 0xF4)));
  Brush hill(CreateSolidBrush(RGB(0x3C, 0x9A, 0x3C)));
  Brush sun(CreateSolidBrush(RGB(0xF8, 0xC8, 0x30)));
  Pen none(CreatePen(PS_NULL, 0, 0));
  FillRect(canvas.get(), &whole, frame.get());
  const RECT inside{1, 1, kSide - 1, kSide - 1};
  FillRect(canvas.get(), &inside, sky.get());
  SelectionGuard noOutline(canvas.get(), none.get());
  {
    SelectionGuard fill(canvas.get(), sun.get());
    Ellipse(canvas.get(), 8, 2, 12, 6);
  }
  {
    SelectionGuard fill(canvas.get(), hill.get());
    const POINT land[] = {{1, 13}, {1, 9}, {5, 5}, {9, 10}, {11, 8}, {13, 10}, {13, 13}};
    Polygon(canvas.get(), land, static_cast<int>(sizeof land / sizeof land[0]));
  }
  return face;
}

}  // namespace ui

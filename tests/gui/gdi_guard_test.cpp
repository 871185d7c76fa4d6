// The GDI guards: owned objects are deleted, selections are undone, contexts released.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/gdi_win.h"

namespace {

TEST(GdiGuards, OwnedObjectIsDeletedOnResetAndAtScopeEnd) {
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
  { ui::Brush owned(raw); }
  EXPECT_EQ(GetObjectType(raw), 0u) << "the brush outlived its guard";

  HPEN first = CreatePen(PS_SOLID, 1, 0);
  HPEN second = CreatePen(PS_SOLID, 2, 0);
  ui::Pen pen(first);
  pen.reset(second);
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_PEN));
  pen.reset(second);  // the same handle again must not delete it
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_PEN));
}

TEST(GdiGuards, MovedAndReleasedObjectsChangeOwnerWithoutDeletion) {
  ui::Font a(static_cast<HFONT>(CreateFontA(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")));
  HFONT raw = a.get();
  ui::Font b(std::move(a));
  EXPECT_EQ(a.get(), nullptr);
  EXPECT_EQ(b.get(), raw);
  ui::Font c;
  c = std::move(b);
  EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_FONT));
  HFONT loose = c.release();
  EXPECT_FALSE(c);
  EXPECT_EQ(GetObjectType(loose), static_cast<DWORD>(OBJ_FONT));
  DeleteObject(loose);
}

TEST(GdiGuards, SelectionIsUndoneSoTheObjectCanBeDeleted) {
  ui::MemoryDC dc(nullptr);
  ASSERT_NE(dc.get(), nullptr);
  HGDIOBJ originalBitmap = GetCurrentObject(dc.get(), OBJ_BITMAP);
  HGDIOBJ originalBrush = GetCurrentObject(dc.get(), OBJ_BRUSH);
  ui::Bitmap bitmap(CreateBitmap(4, 4, 1, 1, nullptr));
  ui::Brush brush(CreateSolidBrush(RGB(9, 9, 9)));
  {
    ui::SelectionGuard b1(dc.get(), bitmap.get());
    ui::SelectionGuard b2(dc.get(), brush.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), originalBitmap);
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), originalBrush);
  // Deselected, the bitmap can really be deleted.
  HBITMAP raw = bitmap.release();
  EXPECT_TRUE(DeleteObject(raw));
}

TEST(GdiGuards, ContextsAreGivenBack) {
  HDC memory = nullptr;
  {
    ui::MemoryDC dc(nullptr);
    memory = dc.get();
    ASSERT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
  }
  EXPECT_EQ(GetObjectType(memory), 0u) << "the memory context was not deleted";
}

}  // namespace

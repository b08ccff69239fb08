// Frames and icons at a window's own DPI.
#include "platform/win32/dpi_win32.h"

#include <gtest/gtest.h>

#include "platform/win32/handles.h"

namespace tw::win {
namespace {

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// Made at the size asked, also after the shared icon of the same name was made at the system size (a shared
// icon asked for again comes back at the size it was first made).
TEST(IconAtSize, MadeAtTheSizeAskedEvenAfterTheSharedOne) {
  ASSERT_TRUE(LoadIconW(nullptr, IDI_WARNING));
  for (int size : {16, 20, 24, 32, 40, 48, 64}) {
    SCOPED_TRACE(size);
    unique_hicon icon = LoadIconAtSize(nullptr, IDI_WARNING, size);
    ASSERT_TRUE(icon);
    EXPECT_EQ(IconWidth(icon.get()), size);
  }
  EXPECT_FALSE(LoadIconAtSize(nullptr, MAKEINTRESOURCEW(0x7FF0), 32)) << "no such icon";
}

TEST(IconAtSize, SmallAndLargeSizesFollowTheDpi) {
  EXPECT_EQ(SmallIconSize(96), GetSystemMetrics(SM_CXSMICON) * 96 / SystemDpi());
  EXPECT_EQ(LargeIconSize(96), GetSystemMetrics(SM_CXICON) * 96 / SystemDpi());
  EXPECT_GT(SmallIconSize(192), SmallIconSize(96));
  EXPECT_GT(LargeIconSize(192), LargeIconSize(96));
}

// The frame around a client area grows with the window's DPI, not with the system's: at twice the DPI the
// caption and the borders are larger, and the client area is kept exactly.
TEST(FrameForDpi, TheFrameIsTheWindowsDpis) {
  const DWORD style = WS_OVERLAPPEDWINDOW, ex_style = WS_EX_APPWINDOW;
  const RECT at96 = WindowRectForClient(400, 300, style, ex_style, 96);
  const RECT at192 = WindowRectForClient(400, 300, style, ex_style, 192);
  EXPECT_LT(at96.top, 0);
  EXPECT_LT(at192.top, at96.top) << "a taller caption at 192 DPI";
  EXPECT_LE(at192.left, at96.left);
  EXPECT_GT(at192.bottom - at192.top - 300, at96.bottom - at96.top - 300);
  EXPECT_GE(at192.right - at192.left, 400);
}

}  // namespace
}  // namespace tw::win

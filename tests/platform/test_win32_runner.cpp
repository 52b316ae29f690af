// Proof that real Win32 runs in the test runner: windows and their message queue, GDI
// into a memory DC read back by pixel, and a DLL of ours loaded by name.
#include <gtest/gtest.h>

#include "platform/dynlib.h"
#include "platform/win32.h"

namespace {

UINT g_received = 0;
WPARAM g_receivedParam = 0;
const UINT kPing = WM_APP + 7;

LRESULT CALLBACK ProbeProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    g_received = msg;
    g_receivedParam = wp;
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

TEST(Win32Runner, PostedMessageArrives) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TessProbe";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND wnd = CreateWindowExA(0, "TessProbe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(PostMessageA(wnd, kPing, 1234, 0));
  EXPECT_EQ(g_received, 0u);  // posted, so not yet delivered
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(g_received, kPing);
  EXPECT_EQ(g_receivedParam, 1234u);
  char title[32] = {};
  GetWindowTextA(wnd, title, sizeof title);
  EXPECT_STREQ(title, "probe");
  DestroyWindow(wnd);
  UnregisterClassA("TessProbe", wc.hInstance);
}

TEST(Win32Runner, TextDrawnIntoMemoryDCIsReadBack) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 32);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  RECT r{0, 0, 64, 32};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &r, white);
  DeleteObject(white);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));

  HFONT font = CreateFontA(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                           FIXED_PITCH, "Courier New");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "WW", 2, &sz));
  EXPECT_GT(sz.cx, 0);
  TextOutA(dc, 0, 0, "WWW", 3);
  int dark = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      if (GetPixel(dc, x, y) == RGB(0, 0, 0)) ++dark;
  EXPECT_GT(dark, 20) << "the text left no black pixels";

  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Win32Runner, ProjectDllLoadsByName) {
  auto lib = tess::platform::OpenLibrary("tesstestlib.dll");
  ASSERT_NE(lib, nullptr) << tess::platform::LastLibraryError();
  auto name = reinterpret_cast<const char* (*)()>(tess::platform::LibrarySymbol(lib, "tess_test_name"));
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name(), "tesstestlib");
  tess::platform::CloseLibrary(lib);
}

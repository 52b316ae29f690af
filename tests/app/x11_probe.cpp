// x11_probe: reads, from outside, what a user of the running program could see or copy,
// for the test that drives the program with real X input (user_input_x11.sh).  It sends
// the program nothing.
//   x11_probe editor      "L T R B" of the SQL editor control on the screen
//   x11_probe active      the caption of the active (foreground) window
//   x11_probe clipboard   the text on the clipboard
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

struct Found {
  HWND editor = nullptr;
};

BOOL CALLBACK FindEditor(HWND Wnd, LPARAM Data) {
  char name[128] = {};
  GetClassNameA(Wnd, name, sizeof name);
  // The SQL editor is the syntax-colouring editor; the program has one per session.
  if (std::strstr(name, "SynEdit") != nullptr && IsWindowVisible(Wnd)) {
    reinterpret_cast<Found*>(Data)->editor = Wnd;
    return FALSE;
  }
  return TRUE;
}

int Editor() {
  HWND main = FindWindowA(nullptr, "SQL Tessellar");
  if (main == nullptr) return 1;
  Found f;
  EnumChildWindows(main, FindEditor, reinterpret_cast<LPARAM>(&f));
  if (f.editor == nullptr) return 1;
  RECT r;
  GetWindowRect(f.editor, &r);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return 0;
}

int Active() {
  HWND w = GetForegroundWindow();
  char caption[256] = {};
  if (w != nullptr) GetWindowTextA(w, caption, sizeof caption);
  std::printf("%s\n", caption);
  return 0;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::string text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  if (what == "editor") return Editor();
  if (what == "active") return Active();
  if (what == "clipboard") return Clipboard();
  std::fprintf(stderr, "usage: x11_probe editor|active|clipboard\n");
  return 2;
}

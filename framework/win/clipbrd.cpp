// The clipboard over the system's clipboard functions.
#include "framework/win/clipbrd.h"

#include <cstring>

#include "framework/win/controls.h"
#include "platform/win32.h"

namespace tess {

TClipboard* Clipboard() {
  static TClipboard* clipboard = new TClipboard;
  return clipboard;
}

TClipboard::~TClipboard() {
  while (open_count_ > 0) Close();
  if (window_) DeallocateHWnd(window_);
}

void TClipboard::Open() {
  if (open_count_ == 0) {
    if (!window_) {
      window_ = AllocateHWnd([this](TMessage& M) { M.Result = DefaultWindowProc(window_, M); });
    }
    // Another program may hold the clipboard for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt) {
      opened = OpenClipboard(window_) != 0;
      if (!opened) Sleep(10);
    }
    if (!opened) throw EClipboardException("Cannot open clipboard");
    emptied_ = false;
  }
  ++open_count_;
}

void TClipboard::Close() {
  if (open_count_ == 0) return;
  if (--open_count_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  emptied_ = true;
  Close();
}

bool TClipboard::HasFormat(uint32_t Format) {
  return IsClipboardFormatAvailable(Format) != 0;
}

std::string TClipboard::AsText() {
  Open();
  std::string text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (auto* p = static_cast<const char*>(GlobalLock(h))) {
      // Never read past the block, whether or not it holds a terminating NUL.
      size_t size = GlobalSize(h);
      text.assign(p, strnlen(p, size));
      GlobalUnlock(h);
    }
  }
  Close();
  return text;
}

void TClipboard::SetAsText(const std::string& Value) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, Value.size() + 1);
  if (!h) throw EOutOfMemory("Out of memory for the clipboard");
  if (auto* p = static_cast<char*>(GlobalLock(h))) {
    std::memcpy(p, Value.data(), Value.size());
    GlobalUnlock(h);
  }
  SetAsHandle(CF_TEXT, h);
}

void* TClipboard::GetAsHandle(uint32_t Format) {
  Open();
  void* h = GetClipboardData(Format);
  Close();
  return h;
}

void TClipboard::SetAsHandle(uint32_t Format, void* Handle) {
  try {
    Open();
  } catch (...) {
    GlobalFree(Handle);
    throw;
  }
  if (!emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
  bool ok = SetClipboardData(Format, Handle) != nullptr;
  Close();
  if (!ok) {
    GlobalFree(Handle);
    throw EClipboardException("Cannot set the clipboard's contents");
  }
}

}  // namespace tess

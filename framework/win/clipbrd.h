// The clipboard: plain text, and the raw handle of any format for the controls that
// hand over global memory themselves.
#pragma once

#include <string>

#include "framework/win/wintypes.h"

namespace tess {

class EClipboardException : public Exception {
 public:
  using Exception::Exception;
};

class TClipboard : public TPersistent {
 public:
  TClipboard() = default;
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Nested: the clipboard stays open until the outermost Close.  Open raises
  // EClipboardException "Cannot open clipboard" when another window holds it.
  void Open();
  void Close();
  // Empties the clipboard (and takes ownership of it).
  void Clear();
  bool HasFormat(uint32_t Format);

  // The CF_TEXT contents ("" when there are none).
  std::string AsText();
  // Replaces the contents by Value as CF_TEXT.
  void SetAsText(const std::string& Value);

  // The handle of a format (owned by the clipboard), null when absent.
  void* GetAsHandle(uint32_t Format);
  // Replaces the contents by Handle (the clipboard takes it over).
  void SetAsHandle(uint32_t Format, void* Handle);

 private:
  HWnd window_ = nullptr;
  int open_count_ = 0;
  bool emptied_ = false;
};

// The program's clipboard object.
TClipboard* Clipboard();

}  // namespace tess

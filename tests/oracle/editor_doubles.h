// Plain in-memory stand-ins for the editor and the error memo: one display line per
// paragraph (no word wrap), the caret and the selection as numbers.
#pragma once

#include <string>
#include <vector>

#include "framework/core/strings.h"
#include "services/editor_access.h"

namespace sessiontest {

class MemoryEditor : public tess::TyEditorAccess {
 public:
  std::vector<std::string> paras;
  int32_t caretLine = 1, caretCol = 1;
  int32_t selLine1 = 0, selCol1 = 0, selLine2 = 0, selCol2 = 0;
  int updateDepth = 0, updates = 0;

  MemoryEditor() = default;
  explicit MemoryEditor(const std::string& text) {
    tess::TStringList l;
    l.SetText(text);
    for (int i = 0; i < l.Count(); ++i) paras.push_back(l.Strings(i));
  }

  int32_t ParaCount() const override { return static_cast<int32_t>(paras.size()); }
  std::string GetPara(int32_t i) const override { return paras.at(static_cast<size_t>(i - 1)); }
  void AppendPara(const std::string& s) override { paras.push_back(s); }
  int32_t LineCount() const override { return ParaCount(); }
  std::string GetLine(int32_t i) const override { return GetPara(i); }
  int32_t TextLength() const override {
    int32_t n = 0;
    for (const auto& p : paras) n += static_cast<int32_t>(p.size()) + 2;
    return n;
  }
  void GetCaretPosition(int32_t& line, int32_t& col) const override {
    line = caretLine;
    col = caretCol;
  }
  void SetCaretPosition(int32_t line, int32_t col) override {
    caretLine = line;
    caretCol = col;
    selLine1 = selLine2 = line;
    selCol1 = selCol2 = col;
  }
  void SetSelection(int32_t l1, int32_t c1, int32_t l2, int32_t c2) override {
    selLine1 = l1, selCol1 = c1, selLine2 = l2, selCol2 = c2;
    caretLine = l2, caretCol = c2;
  }
  void BeginUpdate() override {
    ++updateDepth;
    ++updates;
  }
  void EndUpdate() override { --updateDepth; }

  std::string Selected() const {
    if (selLine1 != selLine2 || selLine1 < 1) return "";
    return GetLine(selLine1).substr(static_cast<size_t>(selCol1 - 1),
                                    static_cast<size_t>(selCol2 - selCol1));
  }
};

class MemoryMemo : public tess::TyMemoAccess {
 public:
  tess::TStringList lines;
  int32_t selStart = -1, selLength = -1;
  int scrolled = 0;

  tess::TStrings& Lines() override { return lines; }
  void SetSelection(int32_t start, int32_t length) override {
    selStart = start;
    selLength = length;
  }
  void ScrollCaret() override { ++scrolled; }
  // The selected text of the memo's text, lines joined by CR LF.
  std::string Selected() const {
    std::string text = lines.Text();
    return text.substr(static_cast<size_t>(selStart), static_cast<size_t>(selLength));
  }
};

}  // namespace sessiontest

// The documented published properties of the text-file editor, shared by the checks of
// the editor and of the syntax-colouring editor built on it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/component.h"
#include "tests/framework/win/published.h"

namespace tess::testing {

// A small text file the editor can open; made once per name.
inline std::string EditorFile(const char* Name) {
  std::filesystem::path p = std::filesystem::temp_directory_path() / Name;
  std::ofstream(p) << "select 1\nfrom dual;\n";
  return p.string();
}

// FileName is first given a file that exists, and then moved to another, so that IsOpen,
// which follows it, can open one.  Coming with the framework's dragging: DragCursor,
// DragMode.
inline std::vector<TPublished> TextFileEditorProperties() {
  static const std::string other = EditorFile("published_other.sql");
  return {
      Declared("AutoIndent", false),
      Declared("BorderStyle", "bsSingle"),
      Declared("ByteLimit", 2147483647, 100000),
      SubObject("CaretIns"),
      SubObject("CaretOvr"),
      SubObject("FixedFont"),
      Declared("HideSelection", true),
      SubObject("HighlightColors"),
      Declared("InsertMode", true),
      Declared("LeftMargin", 15),
      Declared("ParaLengthLimit", 32767, 1000),
      Declared("ParaLimit", 2147483647, 1000),
      Declared("ReadOnly", false),
      // Declared as a new editor's margin, so that every other one, 15 among them, is
      // stored: declaring 15 would bring a margin of 15 back as 5.
      Declared("RightMargin", 5),
      Declared("ScrollBars", "ssBoth"),
      Declared("ScrollBarsAlways", false),
      Declared("ScrollPastEnd", false),
      Declared("ShowBookmarks", true),
      Declared("TabSize", 8),
      Declared("TabType", "ttReal"),
      Declared("TrimWhiteSpace", true),
      Declared("UndoBufferSize", 8192),
      Declared("WantEnter", true),
      Declared("WantTab", false),
      Declared("WordWrap", false),
      Declared("WrapAtLeft", true),
      Declared("WrapColumn", 80),
      Declared("WrapToWindow", false),
      Reference("Controller", "TOvcController"),
      Reference("PopupMenu", "TPopupMenu"),
      Declared("BackupExt", "BAK", "OLD"),
      Declared("FileName", "", other.c_str()),
      Declared("IsOpen", false),
      Declared("MakeBackup", false),
  };
}

inline void OpenableFile(TComponent* Editor) {
  static const std::string file = EditorFile("published_first.sql");
  TPropertyList props;
  Editor->PublishProperties(props);
  props.Find("FileName")->SetString(file);
}

}  // namespace tess::testing

// The program's settings record, as far as the lower layers read it.  The shell fills it
// at start-up from its settings file and from the preference dialogs; until then gPrefs
// points at a record of the defaults, so it is never null.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

// The preferences of one kind of editor window (the SQL editor, the stored-program
// editors), applied to an editor by ApplyEditorPrefs.  Colours are 0x00BBGGRR.
struct TEditorPrefs {
  bool UseSyntaxHighlighting = true;
  bool ScanForComments = true;
  // With highlighting on.
  int32_t BackgroundColor = 0xFFFFFF;
  int32_t NormalTextColor = 0x000000;
  int32_t CommentTextColor = 0x008000;
  int32_t PLSQLTextColor = 0xFF0000;
  int32_t SQLTextColor = 0x800000;
  int32_t StringTextColor = 0x808000;
  int32_t SymbolTextColor = 0x000080;
  // With highlighting off.
  int32_t PlainBackgroundColor = 0xFFFFFF;
  int32_t PlainTextColor = 0x000000;
  std::string FontName = "Courier New";
  int32_t FontSize = 10;
};

struct TyPrefsRec {
  // Run statements cancellably (non-blocking, with the progress window's Cancel button).
  bool NonBlocking = true;
  // The buffer size passed to DBMS_OUTPUT.ENABLE when server output is switched on.
  int32_t Dbms_Output_buffer = 10000;
  // Team-coding check-in/check-out: 0 off, 1 or 2 on.
  uint8_t CheckMode = 0;
  // The program's home directory (its keyword files live there); empty: the directory
  // of the executable.
  std::string HomeDir;

  // --- the editors -------------------------------------------------------------------
  TEditorPrefs SQLEditorPrefs;
  TEditorPrefs StoredPgmEditorPrefs;
  // Every editor's tab type (0 real tabs, 1 fixed blanks, 2 smart), tab size, and whether
  // the caret may stand right of a line's end.
  uint8_t TabType = 0;
  uint8_t TabSize = 8;
  bool ScrollPastEnd = false;
};

extern TyPrefsRec* gPrefs;

}  // namespace tess

// The program's keyword files for syntax colouring ("symbol.kwd", "sql.kwd",
// "plsql.kwd"), kept in the home directory, and the three process-wide lists they are
// loaded into.  Every window that owns a syntax-colouring editor hands the three lists,
// in that order, to the editor.
#pragma once

#include <memory>
#include <string>

#include "framework/core/strings.h"

namespace tess {

struct TyKeywordLists {
  std::unique_ptr<TStringList> Symbols, SqlWords, PlsqlWords;
};

// The process-wide lists; each is null until created.
TyKeywordLists& KeywordLists();
// Creates the three lists (empty), keeping any that exist.
void CreateKeywordLists();
void FreeKeywordLists();

// The program's home directory, without a trailing separator: the preference when set,
// else the directory of the executable.
std::string HomeDirectory();
// The path of a file in the home directory.
std::string HomeFilePath(const std::string& FileName);

// Loads each created list from its file, one keyword per line, trimmed and upper-cased.
// A missing or unreadable file is reported (an error, then a hint) and leaves its list
// empty; the others still load.
void LoadKeywordFiles();

}  // namespace tess

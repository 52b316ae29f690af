// See keyword_files.h.
#include "services/keyword_files.h"

#include "framework/core/sysutils.h"
#include "platform/dynlib.h"
#include "services/prefs.h"
#include "services/services.h"

namespace tess {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

void LoadKeywordFile(TStringList* List, const char* File, const std::string& Kind,
                     const std::string& Hint) {
  if (List == nullptr) return;
  const std::string path = HomeFilePath(File);
  List->Clear();
  bool read = false;
  if (FileExists(path)) {
    try {
      List->LoadFromFile(path);
      read = true;
    } catch (const std::exception&) {
      List->Clear();
    }
  }
  if (!read) {
    ShowErrorMsg("Unable to read " + Kind + " keyword file for syntax hilighting: " + path);
    ShowInfoMsg(Hint);
    return;
  }
  for (int i = 0; i < List->Count(); ++i) List->SetStrings(i, UpperCase(Trim(List->Strings(i))));
}

}  // namespace

TyKeywordLists& KeywordLists() {
  static TyKeywordLists lists;
  return lists;
}

void CreateKeywordLists() {
  TyKeywordLists& l = KeywordLists();
  for (auto* p : {&l.Symbols, &l.SqlWords, &l.PlsqlWords})
    if (!*p) *p = std::make_unique<TStringList>();
}

void FreeKeywordLists() {
  TyKeywordLists& l = KeywordLists();
  l.Symbols.reset();
  l.SqlWords.reset();
  l.PlsqlWords.reset();
}

std::string HomeDirectory() {
  std::string dir = gPrefs->HomeDir.empty() ? platform::ExecutableDirectory() : gPrefs->HomeDir;
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

std::string HomeFilePath(const std::string& FileName) {
  return HomeDirectory() + kSeparator + FileName;
}

void LoadKeywordFiles() {
  TyKeywordLists& l = KeywordLists();
  LoadKeywordFile(l.Symbols.get(), "symbol.kwd", "Symbol",
                  "Please ensure that  symbol.kwd file exists in SQL Tessellar home directory.");
  LoadKeywordFile(l.SqlWords.get(), "sql.kwd", "SQL",
                  "Please ensure that  sql.kwd file exists in SQL Tessellar home directory");
  LoadKeywordFile(l.PlsqlWords.get(), "plsql.kwd", "PL/SQL",
                  "Please ensure that  plsql.kwd file exists in SQL Tessellar home directory.");
}

}  // namespace tess

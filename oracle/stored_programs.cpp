// See stored_programs.h.
#include "oracle/stored_programs.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
#include "oracle/dictionary.h"
#include "oracle/query.h"
#include "oracle/query_lines.h"
#include "oracle/session_services.h"
#include "oracle/sql_scanner.h"
#include "services/exceptions.h"
#include "services/services.h"

namespace tess {

namespace {

// The statement is built in one string; above this size its capacity is set first.
constexpr size_t kPresizeAbove = 32000;

void SplitLines(const std::string& Text, TStrings& Lines) {
  TStringList split;
  split.SetText(Text);
  DeleteTrailingBlankLines(split);
  Lines.AddStrings(&split);
}

}  // namespace

bool CreateStoredPgmFromEditor(TyQuery* Query, TyEditorAccess* Editor, bool CreateOnly,
                               std::string& Sql) {
  if (Editor == nullptr || Editor->LineCount() == 0) return false;
  if (Query == nullptr) throw EyIntError("CreateStoredPgmFromEditor: Query param is nil");
  const int32_t paras = Editor->ParaCount();
  bool anyText = false;
  for (int32_t i = 1; i <= paras && !anyText; ++i) anyText = !Blank(Editor->GetPara(i));
  // Only blanks would send a bare "CREATE OR REPLACE " to the server.
  if (!anyText) return false;

  const size_t need =
      static_cast<size_t>(Editor->TextLength()) + static_cast<size_t>(Editor->LineCount()) + 100;
  if (need > kPresizeAbove) Sql.reserve(need);
  Sql = CreateOnly ? "CREATE " : "CREATE OR REPLACE ";
  for (int32_t i = 1; i <= paras; ++i) {
    std::string para = Editor->GetPara(i);
    if (i == paras && Blank(para)) break;
    Sql += para;
    Sql += '\n';
  }
  return Query->ExecSQLText(Sql);
}

void LoadStoredPgmErrors(TyDatabase* Db, TyQuery* Query, TyMemoAccess* ErrMemo,
                         TyStoredPgmErrorList* Errors, const std::string& Owner,
                         const std::string& Name, const std::string& PgmType) {
  if (Db == nullptr) return;
  CheckSessionAlive(Db);
  if (ErrMemo == nullptr || Errors == nullptr || Blank(Name)) return;
  if (Blank(PgmType))
    throw EyIntError("LoadStoredPgmErrors: Invalid Stored program type parameter");
  if (Query == nullptr) throw EyIntError("LoadStoredPgmErrors: Query param is nil");

  TyHourglassScope hourglass;
  hourglass.Start();
  hourglass.HideStatusOnExit();
  std::string ownerLine = Blank(Owner)
                              ? " owner=USER and type='" + Lit(PgmType) + "'"
                              : " owner='" + Lit(Owner) + "' and type='" + Lit(PgmType) + "'";
  if (!OpenLines(Db, Query,
                 {" SELECT sequence,line,position,text ", " FROM all_errors ",
                  " WHERE name='" + Lit(Name) + "' and ", ownerLine, " order by sequence"}))
    return;
  TStrings& memo = ErrMemo->Lines();
  while (!Query->Eof()) {
    const std::string sequence = Query->Fields(0)->AsString();
    const int32_t line = Query->Fields(1)->AsInteger();
    const int32_t position = Query->Fields(2)->AsInteger();
    TStringList text;
    text.SetText(Query->Fields(3)->AsString());
    for (int i = 0; i < text.Count(); ++i) {
      Errors->push_back(std::make_unique<TyStoredPgmError>(line, position));
      memo.Add("(" + sequence + "):" + text.Strings(i));
    }
    Query->Next();
  }
  Query->Close();
}

void GotoStoredPgmError(TyMemoAccess* ErrMemo, const TyStoredPgmErrorList* Errors,
                        int32_t LineOffset, TyEditorAccess* Editor, int32_t Index) {
  if (ErrMemo == nullptr || Errors == nullptr || Editor == nullptr) return;
  if (ErrMemo->Lines().Count() == 0 || Errors->empty()) return;
  if (Index < 0 || Index >= static_cast<int32_t>(Errors->size())) return;
  const TyStoredPgmError* error = (*Errors)[static_cast<size_t>(Index)].get();
  if (error == nullptr) {
    ShowDiagnosticMsg("No error position associated with the error line:" + IntToStr(Index));
    return;
  }
  // A header offset larger than the error's line would give a line above the text.
  int64_t line = static_cast<int64_t>(error->Line) + LineOffset;
  if (line < 1) line = 1;
  if (Editor->LineCount() < line) return;
  Editor->SetCaretPosition(static_cast<int32_t>(line), error->Position < 1 ? 1 : error->Position);
  SelectWordFromCaret(Editor);
}

void SelectMemoLine(TyMemoAccess* Memo, int32_t Index) {
  if (Memo == nullptr) return;
  TStrings& lines = Memo->Lines();
  if (Index < 0 || Index >= lines.Count()) return;
  // Line Index itself: two error lines may read the same.
  int32_t start = 0;
  for (int32_t i = 0; i < Index; ++i) start += static_cast<int32_t>(lines.Strings(i).size()) + 2;
  Memo->SetSelection(start, static_cast<int32_t>(lines.Strings(Index).size()));
  Memo->ScrollCaret();
}

void LoadEditorFromLong(TyQuery* Query, const std::string& FieldName, TyEditorAccess* Editor) {
  if (Query == nullptr) throw EyIntError("LoadEditorFromLong: Query param is nil");
  if (!Query->Active()) throw EyIntError("LoadEditorFromLong: Query is Inactive");
  if (Editor == nullptr) throw EyIntError("LoadEditorFromLong: Editor param is nil");
  if (FieldName.empty()) throw EyIntError("LoadEditorFromLong: Long field name is null");
  TStringList lines;
  SplitLines(Query->FieldByName(FieldName)->AsString(), lines);
  TyEditorUpdateScope update(*Editor);
  for (int i = 0; i < lines.Count(); ++i) Editor->AppendPara(lines.Strings(i));
}

void LoadTextBufFromLong(TyQuery* Query, const std::string& FieldName, char* Buf, int32_t BufSize) {
  if (Query == nullptr) return ShowDiagnosticMsg("LoadTextBufFromLong: Query param is nil");
  if (!Query->Active()) return ShowDiagnosticMsg("LoadTextBufFromLong: Query is inactive");
  if (Buf == nullptr) return ShowDiagnosticMsg("LoadTextBufFromLong: TxtBuf param is nil");
  if (FieldName.empty()) return ShowDiagnosticMsg("LoadTextBufFromLong: Blob field name is null");
  Buf[0] = '\0';
  const std::string text = Query->FieldByName(FieldName)->AsString();
  const size_t n = BufSize < 1 ? 0 : std::min(text.size(), static_cast<size_t>(BufSize));
  text.copy(Buf, n);
  Buf[n] = '\0';
}

void LoadStrListFromLong(TyQuery* Query, const std::string& FieldName, TStrings* List) {
  if (Query == nullptr) return ShowDiagnosticMsg("LoadStrListFromLong: Query param is nil");
  if (!Query->Active()) return ShowDiagnosticMsg("LoadStrListFromLong: Query is inactive");
  if (List == nullptr) return ShowDiagnosticMsg("LoadStrListFromLong: p_StrList param is nil");
  if (FieldName.empty()) return ShowDiagnosticMsg("LoadStrListFromLong: Blob field name is null");
  SplitLines(Query->FieldByName(FieldName)->AsString(), *List);
}

bool IsStoredPgmTruncated(TyDatabase* Db, TyQuery* Query, const std::string& PgmType,
                          const std::string& Owner, const std::string& Name, TyEditorAccess* Editor,
                          bool ShowStatus) {
  if (Blank(PgmType) || Blank(Owner) || Blank(Name)) return false;
  CheckSessionAlive(Db);
  if (Query == nullptr) throw EyIntError("IsStoredPgmTruncated: Query param is nil");
  if (Editor == nullptr) throw EyIntError("IsStoredPgmTruncated: Editor param is nil");
  bool truncated = true;
  TyHourglassScope hourglass;
  hourglass.StartDb(Db);
  if (ShowStatus) hourglass.ShowStatusNoCancel("Performing integrity check...");
  ResetQuery(Db, Query);
  TStrings& sql = Query->SQL();
  sql.Add("Select count(*) Tot_Lines");
  sql.Add("from all_source where type='" + Lit(UpperCase(Trim(PgmType))) + "'");
  sql.Add("and owner='" + Lit(UpperCase(Trim(Owner))) + "' ");
  sql.Add("and name='" + Lit(UpperCase(Trim(Name))) + "' ");
  Query->OpenCancellable();
  if (!Query->Eof())
    truncated = Query->FieldByName("Tot_Lines")->AsInteger() < Editor->LineCount() - 4;
  Query->Close();
  return truncated;
}

void MakeTempObjectName(TyDatabase* Db, const std::string& BaseName, std::string& Result) {
  static std::mt19937 random(
      static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> below10000(0, 9999);
  std::string user;
  GetSessionUser(Db, user);
  std::string candidate;
  do {
    candidate = UpperCase("ST$_" + BaseName.substr(0, 20) + "_" + IntToStr(below10000(random)));
  } while (IsObjectPresent(Db, user, candidate));
  Result = candidate;
}

bool ParseCreateStoredPgmHeader(TyParserA& Parser, TyObjType& ObjType, std::string& Owner,
                                std::string& Name, int32_t& Line) {
  Owner.clear();
  Name.clear();
  static const TCharSet dotted = CharSetOf(".");
  // A word that ends the text comes back with false but is still a word.
  auto next = [&](std::string& word) {
    word.clear();
    bool more = Parser.GetNextWord(word, dotted);
    word = UpperCase(Trim(word));
    return more || !word.empty();
  };
  std::string kind, word;
  if (!next(kind)) return false;
  Line = Parser.Line();
  if (kind == "OR") {
    if (!next(word) || word != "REPLACE") return false;
    if (!next(kind)) return false;
    Line = Parser.Line();
  }
  if (!next(word)) return false;
  if (kind == "TRIGGER") {
    ObjType = 5;
  } else if (kind == "PROCEDURE") {
    ObjType = 13;
  } else if (kind == "FUNCTION") {
    ObjType = 14;
  } else if (kind == "PACKAGE") {
    ObjType = 15;
    if (word == "BODY") {
      ObjType = 18;
      Line = Parser.Line();
      if (!next(word)) return false;
    }
  } else {
    return false;
  }
  Owner = UpperCase(ExtractSchemaName(word));
  Name = UpperCase(ExtractObjectName(word));
  if (ObjType == 5) {
    // The server counts a trigger's error lines from the first line of its body: the
    // DECLARE of a declare section, else BEGIN.
    for (;;) {
      std::string w;
      bool more = Parser.GetNextWord(w, dotted);
      w = UpperCase(Trim(w));
      if (w == "DECLARE" || w == "BEGIN") {
        Line = Parser.Line();
        break;
      }
      if (!more) break;
    }
  }
  return true;
}

}  // namespace tess

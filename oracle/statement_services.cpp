// See statement_services.h.
#include "oracle/statement_services.h"

#include <typeinfo>

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
#include "oracle/ora_ip.h"
#include "oracle/query.h"
#include "oracle/query_lines.h"
#include "oracle/session.h"
#include "oracle/shared_query.h"
#include "oracle/sql_text.h"
#include "services/exceptions.h"
#include "services/services.h"
#include "services/text_routines.h"

namespace tess {

uint8_t GetSQLStatementType(const std::string& FirstWord) {
  static const struct {
    const char* word;
    uint8_t kind;
  } kWords[] = {
      {"SELECT", stSelect},    {"UPDATE", stUpdate},     {"INSERT", stInsert},
      {"DELETE", stDelete},    {"BEGIN", stPlsqlBlock},  {"CREATE", stCreate},
      {"COMMIT", stCommit},    {"ROLLBACK", stRollback}, {"DECLARE", stPlsqlBlock},
      {"DEF", stDefine},       {"DEFI", stDefine},       {"DEFIN", stDefine},
      {"DEFINE", stDefine},    {"UNDEF", stUndefine},    {"UNDEFI", stUndefine},
      {"UNDEFIN", stUndefine}, {"UNDEFINE", stUndefine},
  };
  const std::string word = UpperCase(Trim(FirstWord));
  for (const auto& w : kWords)
    if (word == w.word) return w.kind;
  return stOther;
}

namespace {

bool RunShowError(TyQuery* Query, const std::string& Caption, bool EchoToOutput, bool Cancellable) {
  try {
    return Cancellable ? Query->ExecSQLCancellable() : Query->ExecSQL();
  } catch (const EySQLError& e) {
    ShowErrorMsg(e.Message());
    if (EchoToOutput) {
      AddProcessingOutputLine(" ");
      AddProcessingOutputLine(Caption + " Processing error ... ");
      const int32_t line = Query->ErrorLine(), column = Query->ErrorColumn();
      if (line > 0 && column > 0 && line <= Query->SQL().Count()) {
        AddProcessingOutputLine(Query->SQL().Strings(line - 1));
        if (column < 254) AddProcessingOutputLine(ReplicateStr(" ", column) + "*");
      }
      AddProcessingOutputLine(ReplaceLineBreaksWithBlanks(e.Message()));
    }
    return false;
  }
}

bool EndTransaction(TyDatabase* Db, const char* Word, const char* Caption, bool Cancellable) {
  TySharedQuery shared;
  TyQuery* q = shared.Query();
  ResetQuery(Db, q);
  q->SQL().Add(Word);
  if (RunShowError(q, Caption, false, Cancellable)) return true;
  AddProcessingOutputLine(" ");
  AddProcessingOutputLine(std::string(Word) + " - Processing error ... ");
  AddProcessingOutputLine(ReplaceLineBreaksWithBlanks(q->ErrorText()));
  return false;
}

}  // namespace

bool ExecSQLShowError(TyDatabase*, TyQuery* Query, const std::string& Caption, bool EchoToOutput) {
  return RunShowError(Query, Caption, EchoToOutput, false);
}

bool ExecSQLCancellableShowError(TyDatabase*, TyQuery* Query, const std::string& Caption,
                                 bool EchoToOutput) {
  return RunShowError(Query, Caption, EchoToOutput, true);
}

bool CommitTransaction(TyDatabase* Db) {
  return EndTransaction(Db, "COMMIT", "Commit", false);
}

bool RollbackTransaction(TyDatabase* Db) {
  return EndTransaction(Db, "ROLLBACK", "Rollback", true);
}

TyObjectClass GetHeaderClassOfObjType(TyObjType Code) {
  switch (Code) {
    case 0:
      return &typeid(TyTableHdr);
    case 1:
      return &typeid(TyColumnHdr);
    case 2:
      return &typeid(TyViewHdr);
    case 3:
      return &typeid(TyClusterHdr);
    case 4:
      return &typeid(TyIndexHdr);
    case 5:
      return &typeid(TyTriggerHdr);
    case 6:
    case 7:
    case 8:
    case 9:
      return &typeid(TyConstraintHdr);
    case 10:
      return &typeid(TyDBLinkHdr);
    case 11:
      return &typeid(TySnapshotHdr);
    case 13:
      return &typeid(TyProcedureHdr);
    case 14:
      return &typeid(TyFunctionHdr);
    case 15:
      return &typeid(TyPackageHdr);
    case 18:
      return &typeid(TyPackageBodyHdr);
    case 19:
      return &typeid(TySequenceHdr);
    case 20:
      return &typeid(TySynonymHdr);
    case 21:
      return &typeid(TyDBRoleHdr);
    case 22:
      return &typeid(TyUserHdr);
    case 23:
      return &typeid(TyProfileHdr);
    default:
      return nullptr;
  }
}

TyObjectClass GetObjectClassOfObjType(TyObjType Code) {
  switch (Code) {
    case 0:
      return &typeid(TyTable);
    case 1:
      return &typeid(TyColumn);
    case 2:
      return &typeid(TyView);
    case 3:
      return &typeid(TyCluster);
    case 4:
      return &typeid(TyIndex);
    case 5:
      return &typeid(TyTrigger);
    case 6:
      return &typeid(TyPKConstraint);
    case 7:
      return &typeid(TyUKConstraint);
    case 8:
      return &typeid(TyFKConstraint);
    case 9:
      return &typeid(TyConstraint);
    case 10:
      return &typeid(TyDBLink);
    case 11:
      return &typeid(TySnapshot);
    case 13:
      return &typeid(TyProcedure);
    case 14:
      return &typeid(TyFunction);
    case 15:
      return &typeid(TyPackage);
    case 18:
      return &typeid(TyPackageBody);
    case 19:
      return &typeid(TySequence);
    case 20:
      return &typeid(TySynonym);
    case 21:
      return &typeid(TyDbRole);
    case 22:
      return &typeid(TyUser);
    case 23:
      return &typeid(TyProfile);
    default:
      return nullptr;
  }
}

void GetServerTimestamp(TyDatabase* Db, int32_t& JulianDay, int32_t& SecondsOfDay) {
  JulianDay = 0;
  SecondsOfDay = 0;
  TySharedQuery shared;
  TyQuery* q = shared.Query();
  ResetQuery(Db, q);
  q->SQL().Add(" SELECT ");
  // SSSSS: the seconds since midnight.
  q->SQL().Add("TO_CHAR(SYSDATE,'J') Julian_Day, TO_CHAR(SYSDATE,'SSSSS') Seconds_Of_Day ");
  q->SQL().Add(" FROM DUAL");
  q->Open();
  if (q->Eof()) {
    // The shared query is everyone's: it is not left open on the way out.
    q->Close();
    ShowErrorMsg(
        "Could not retrieve timestamp from DUAL.  Please ensure that SYS.DUAL table and DUAL "
        "public synonym are available");
    return;
  }
  JulianDay = q->FieldByName("Julian_Day")->AsInteger();
  SecondsOfDay = q->FieldByName("Seconds_Of_Day")->AsInteger();
  q->Close();
}

TyDatabase* FindDatabaseByName(const std::string& Name) {
  auto connectedDebug = [&](TyDatabase* Parent) -> TyDatabase* {
    TyDatabase* debug = Parent != nullptr ? Parent->DebugSession() : nullptr;
    return debug != nullptr && debug->Connected() && debug->DatabaseName() == Name ? debug
                                                                                   : nullptr;
  };
  TStrings* list = cbxDBList2();
  if (list != nullptr) {
    int i = list->IndexOf(Name);
    if (i >= 0) return dynamic_cast<TyDatabase*>(list->Objects(i));
    // Each listed session is asked for its debug session, which makes and connects it
    // when missing; one that cannot connect raises.  A session that is no longer
    // connected opens nothing new.
    for (int j = 0; j < list->Count(); ++j) {
      auto* listed = dynamic_cast<TyDatabase*>(list->Objects(j));
      if (listed == nullptr || !listed->Connected()) continue;
      TyDatabase* debug = listed->GetDebugSession();
      if (debug->DatabaseName() == Name) return debug;
    }
  }
  if (TyDatabase* running = ExecutingSession()) {
    if (running->DatabaseName() == Name) return running;
    if (TyDatabase* debug = connectedDebug(running)) return debug;
  }
  return nullptr;
}

TyOraIp* GetOraIp() {
  if (gOraIp == nullptr) throw EyIntError("gOraIp is nil");
  if (!gOraIp->Initialized()) {
    try {
      gOraIp->Initialize();
    } catch (const Exception&) {
      throw EyIntError("Unable to initialize Oracle connectivity engine");
    }
  }
  return gOraIp;
}

}  // namespace tess

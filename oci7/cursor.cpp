// Cursors, the user's statements: parse (classify, translate, prepare once), bind by
// name, describe, define, execute (DML once per array element, PL/SQL blocks, transaction
// control and ALTER SESSION; DDL is handed to the DDL executor, ddl.cpp) and array fetch
// into the caller's buffers.
//
// The fetch path does no per-row allocation: the statement is prepared at parse, the
// column types are worked out once, and values go straight from SQLite into the
// caller's buffers.  Rows processed is cumulative for a fetch and counts affected rows for
// DML.
//
// Each statement reads what is committed when it begins, and an open query keeps the rows
// of its own start: a query in progress that would hold its session's connection on an
// old read (engine.h) moves to a reader connection opened on the very snapshot it reads
// and re-run up to where the caller is, or, where that cannot be, into a memory database;
// the fetch path reads either the same way.
#include <sqlite3.h>

#include <cassert>
#include <cstring>
#include <exception>
#include <utility>

#include "oci7/atomic_call.h"
#include "oci7/ddl.h"
#include "oci7/dialect/engine_statements.h"
#include "oci7/dictionary.h"
#include "oci7/engine.h"
#include "oci7/session_settings.h"

namespace tess::oci7 {
namespace {

// Binds one engine value to a statement parameter.
void BindValue(sqlite3_stmt* st, int idx, const Value& v) {
  switch (v.kind) {
    case Value::Null:
      sqlite3_bind_null(st, idx);
      break;
    case Value::Integer:
      sqlite3_bind_int64(st, idx, v.i);
      break;
    case Value::Real:
      sqlite3_bind_double(st, idx, v.r);
      break;
    case Value::Text:
      sqlite3_bind_text(st, idx, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
    case Value::Blob:
      sqlite3_bind_blob(st, idx, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A bind name as the caller gives it: with or without the colon, any case ("Name" in
// double quotes keeps its case).
std::string NormalizeBindName(std::string_view raw) {
  while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) raw.remove_prefix(1);
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
  if (!raw.empty() && raw.front() == ':') raw.remove_prefix(1);
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
    return std::string(raw.substr(1, raw.size() - 2));
  return Upper(raw);
}

bool MentionsNextval(const std::string& sql) {
  return sql.find("ORA$NEXTVAL") != std::string::npos;
}

}  // namespace

Cursor::~Cursor() {
  DropMovedRows();
  if (stmt_) sqlite3_finalize(stmt_);
}

void Cursor::AssertFlags() const {
  assert(kind_ != Kind::Query || stmt_);
  assert(kind_ != Kind::Dml || stmt_);
  assert(kind_ != Kind::Plsql || block_);
  assert(kind_ != Kind::Query || columns_.size() == defines_.size());
  assert(!executed_ || kind_ == Kind::Query);
  assert(!stepped_ || executed_);
  assert(!movedRows_ || (kind_ == Kind::Query && executed_ && !exhausted_));
  assert(!movedRows_ == !movedDb_);
  assert(!cursorVariable_ || kind_ == Kind::Query || kind_ == Kind::None);
  assert(!forUpdate_ || kind_ == Kind::Query || kind_ == Kind::None);
}

void Cursor::Release() {
  const bool reading = executed_ && !exhausted_;
  DropMovedRows();
  if (stmt_) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  block_.reset();
  kind_ = Kind::None;
  executed_ = exhausted_ = stepped_ = false;
  // The cursor is released before anything that may fail: ending the read can commit a
  // transaction that only handed out sequence numbers, and freeing the cursor variables
  // releases theirs.
  std::exception_ptr failure;
  try {
    FreeChildren();
  } catch (...) {
    failure = std::current_exception();
  }
  AssertFlags();
  if (reading && session_->db()) session_->EndSequenceOnly();
  if (failure) std::rethrow_exception(failure);
}

void Cursor::FreeChildren() {
  // Every child is freed even when releasing one fails; the first failure is rethrown.
  std::vector<uint64_t> children = std::move(children_);
  children_.clear();
  std::exception_ptr failure;
  for (uint64_t childId : children) {
    if (auto child = FindCursorById(childId)) {
      try {
        child->Release();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
      session_->RemoveCursor(childId);
      UnregisterCursor(childId);
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void Cursor::ResetStatement() {
  FreeChildren();
  if (executed_ && !exhausted_ && stmt_) EndFetch();
  if (stmt_) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  block_.reset();
  kind_ = Kind::None;
  translation_ = Translation();
  bindNames_.clear();
  binds_.clear();
  defines_.clear();
  columns_.clear();
  executed_ = exhausted_ = stepped_ = false;
  cursorVariable_ = false;
  forUpdate_ = false;
  nowait_ = false;
  args_.clear();
  functionType_ = 0;
  rowsProcessed_ = 0;
  parseErrorOffset_ = 0;
}

// ---------------------------------------------------------------------------------------
// Parse

void Cursor::Parse(std::string_view text) {
  ResetStatement();
  // Names and privileges are read now: as they are committed now.
  session_->StartStatement(this);
  text_.assign(text);
  try {
    std::vector<Token> tokens = Tokenize(text_);
    StatementInfo info = Classify(text_, tokens);
    functionType_ = static_cast<ub2>(info.functionCode);
    if (info.functionCode == 0 || tokens.empty())
      throw EngineError(900, {}, static_cast<int>(info.firstTokenOffset));
    if (info.isPlsqlBlock) {
      block_ = ParsePlsqlBlock(text_, *session_);
      bindNames_ = block_->binds();
      kind_ = Kind::Plsql;
      return;
    }
    if (info.isStoredProgram) {
      kind_ = Kind::Stored;
      return;
    }
    switch (info.functionCode) {
      case kFcAlterProcedure:
      case kFcAlterFunction:
      case kFcAlterPackage:
      case kFcAlterPackageBody:
      case kFcAlterTrigger:
      case kFcAlterView:
      case kFcDropProcedure:
      case kFcDropFunction:
      case kFcDropPackage:
      case kFcDropPackageBody:
      case kFcDropTrigger:
        kind_ = Kind::Stored;
        return;
      case kFcGrant:
      case kFcRevoke:
      case kFcCreateRole:
      case kFcDropRole:
      case kFcCreateExternalDatabase:
      case kFcDropExternalDatabase:
        kind_ = Kind::Privilege;
        return;
      case kFcExplain:
        kind_ = Kind::Explain;
        PrepareExplain();
        return;
      case kFcCommit:
        kind_ = Kind::Commit;
        return;
      case kFcRollback:
      case kFcSavepoint:
        kind_ = info.functionCode == kFcRollback ? Kind::Rollback : Kind::Savepoint;
        translation_.info = info;
        return;
      case kFcAlterSession:
        kind_ = Kind::AlterSession;
        return;
      case kFcCreateUser:
      case kFcAlterUser:
      case kFcDropUser:
        kind_ = Kind::UserDdl;
        return;
      default:
        break;
    }
    translation_ = Translate(text_, session_->MakeTranslateContext());
    bindNames_ = translation_.binds;
    if (translation_.functionCode) functionType_ = static_cast<ub2>(translation_.functionCode);
    if (info.isQuery) {
      kind_ = Kind::Query;
      // SELECT ... FOR UPDATE locks: here that is the database's write lock, taken when
      // the query runs and held to the end of the transaction.
      for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].Is("FOR") && tokens[i + 1].Is("UPDATE")) forUpdate_ = true;
      nowait_ = forUpdate_ && tokens.back().Is("NOWAIT");
    } else if (info.isDml) {
      kind_ = Kind::Dml;
    } else if (info.isDdl) {
      kind_ = Kind::Ddl;
    } else {
      kind_ = Kind::Engine;
    }
    if (kind_ == Kind::Dml) CheckDmlPrivilege(*session_, translation_);
    if (kind_ == Kind::Query || kind_ == Kind::Dml) {
      Prepare();
      if (kind_ == Kind::Query) DescribeColumns();
    }
  } catch (const OraError& e) {
    parseErrorOffset_ = e.offset >= 0 ? e.offset : 0;
    kind_ = Kind::None;
    if (stmt_) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
    }
    throw;
  }
}

void Cursor::Prepare() {
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(session_->db(), translation_.sql.c_str(),
                              static_cast<int>(translation_.sql.size()), SQLITE_PREPARE_PERSISTENT,
                              &stmt_, &tail);
  if (rc != SQLITE_OK) {
    throw MapSqliteError(session_->db(), rc, {functionType_, &translation_, session_.get()});
  }
  if (!stmt_) throw EngineError(900);
}

void Cursor::DescribeColumns() {
  int n = sqlite3_column_count(stmt_);
  columns_.assign(static_cast<size_t>(n), ColumnDesc());
  defines_.assign(static_cast<size_t>(n), DefineVar());
  for (int i = 0; i < n; ++i) {
    ColumnDesc& c = columns_[static_cast<size_t>(i)];
    size_t ui = static_cast<size_t>(i);
    if (ui < translation_.columnNames.size() && !translation_.columnNames[ui].empty())
      c.name = translation_.columnNames[ui];
    else if (const char* nm = sqlite3_column_name(stmt_, i))
      c.name = nm;
    OracleType declared = OracleTypeFromDeclared(sqlite3_column_decltype(stmt_, i));
    int hint = ui < translation_.columnTypeHints.size() ? translation_.columnTypeHints[ui] : 0;
    if (hint != 0 && hint != declared.code) {
      c.type = OracleType{hint, 0, 0, 0};
      if (hint == kTypeNumber) c.type.size = 22;
      if (hint == kTypeDate) c.type.size = 7;
      // Text is described as wide as the expression can make it, as Oracle describes it.
      if ((hint == kTypeVarchar2 || hint == kTypeChar) && ui < translation_.columnSizeHints.size())
        c.type.size = translation_.columnSizeHints[ui];
    } else {
      c.type = declared;
    }
    if (c.type.code == kTypeUnknown) {
      // Nothing says what the value is: show each value by its own kind.
      c.typeFromValue = true;
      c.type = OracleType{kTypeVarchar2, 0, 0, 0};
    }
#ifdef SQLITE_ENABLE_COLUMN_METADATA
    const char* table = sqlite3_column_table_name(stmt_, i);
    const char* origin = sqlite3_column_origin_name(stmt_, i);
    int notNull = 0;
    if (table && origin &&
        sqlite3_table_column_metadata(session_->db(), nullptr, table, origin, nullptr, nullptr,
                                      &notNull, nullptr, nullptr) == SQLITE_OK)
      c.nullable = !notNull;
#endif
  }
}

// ---------------------------------------------------------------------------------------
// Bind, define, describe

void Cursor::Bind(const BindVar& var) {
  if (kind_ == Kind::None) throw EngineError(1003);
  std::string name = NormalizeBindName(var.name);
  if (name.empty()) throw EngineError(1036);
  auto it = std::find(bindNames_.begin(), bindNames_.end(), name);
  if (it == bindNames_.end()) throw EngineError(1036);
  if (var.ftype == kExtCursor) {
    if (kind_ != Kind::Plsql) throw EngineError(1460);
  } else {
    // Validate what can be validated now: the type and the lengths.
    switch (var.ftype) {
      case kExtVarchar2:
      case kExtString:
      case kExtLong:
      case kExtRowid:
      case kExtChar:
      case kExtCharz:
      case kExtMlsLabel:
      case kExtRaw:
      case kExtLongRaw:
        if (var.progvl < 0 && var.ftype != kExtString) throw EngineError(1460);
        break;
      case kExtInteger:
        if (var.progvl != 1 && var.progvl != 2 && var.progvl != 4 && var.progvl != 8)
          throw EngineError(1460);
        break;
      case kExtFloat:
        if (var.progvl != 4 && var.progvl != 8) throw EngineError(1460);
        break;
      case kExtDate:
        if (var.progvl < 7) throw EngineError(1460);
        break;
      default:
        throw EngineError(1460);
    }
    if (var.maxsiz > 0 && !var.cursiz) throw EngineError(1009);
  }
  BindVar stored = var;
  stored.name = name;
  binds_[name] = stored;
}

const BindVar* Cursor::FindBind(const std::string& name) const {
  auto it = binds_.find(name);
  return it == binds_.end() ? nullptr : &it->second;
}

void Cursor::Define(int pos, const DefineVar& var) {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || pos < 1 || pos > static_cast<int>(columns_.size()))
    throw EngineError(1007);
  if (var.bufl < 0) throw EngineError(1460);
  switch (var.ftype) {
    case kExtVarchar2:
    case kExtString:
    case kExtLong:
    case kExtRowid:
    case kExtChar:
    case kExtCharz:
    case kExtMlsLabel:
    case kExtRaw:
    case kExtLongRaw:
      break;
    case kExtInteger:
      if (var.bufl != 1 && var.bufl != 2 && var.bufl != 4 && var.bufl != 8) throw EngineError(1460);
      break;
    case kExtFloat:
      if (var.bufl != 4 && var.bufl != 8) throw EngineError(1460);
      break;
    case kExtDate:
      if (var.bufl < 7) throw EngineError(1460);
      break;
    default:
      throw EngineError(1460);
  }
  DefineVar d = var;
  d.defined = true;
  defines_[static_cast<size_t>(pos - 1)] = d;
}

Cursor::Described Cursor::Describe(int pos) {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || pos < 1 || pos > static_cast<int>(columns_.size()))
    throw EngineError(1007);
  const ColumnDesc& c = columns_[static_cast<size_t>(pos - 1)];
  Described d{};
  d.name = c.name.size() > 30 ? c.name.substr(0, 30) : c.name;
  d.dbtype = static_cast<sb2>(c.type.code);
  d.dbsize = c.type.size;
  d.prec = static_cast<sb2>(c.type.precision);
  d.scale = static_cast<sb2>(c.type.scale);
  d.nullok = c.nullable ? 1 : 0;
  int dsize = DisplaySize(c.type, session_->dateFormat());
  if (dsize <= 0) {
    switch (c.type.code) {
      case kTypeLong:
      case kTypeLongRaw:
        dsize = 0;
        break;
      case kTypeNumber:
        dsize = 40;
        break;
      case kTypeRaw:
        dsize = 4000;
        break;
      case kTypeRowid:
        dsize = 18;
        break;
      default:
        dsize = 2000;  // text of unknown width: the widest VARCHAR2
        break;
    }
  }
  if (c.type.code == kTypeVarchar2 || c.type.code == kTypeChar)
    if (d.dbsize <= 0) d.dbsize = dsize;
  d.dsize = dsize;
  return d;
}

// ---------------------------------------------------------------------------------------
// Values in and out of binds

Value Cursor::ReadInBind(const BindVar& var, int element) {
  size_t stride = var.progvl > 0 ? static_cast<size_t>(var.progvl) : 0;
  const ub1* buf = var.progv ? var.progv + stride * static_cast<size_t>(element) : nullptr;
  const sb2* ind = var.indp ? var.indp + element : nullptr;
  const ub2* alen = var.alen ? var.alen + element : nullptr;
  return ReadExternal(var.ftype, buf, var.progvl, ind, alen);
}

int Cursor::WriteOutBind(const BindVar& var, const Value& value, int element) {
  if (var.ftype == kExtCursor) throw EngineError(1460);
  size_t stride = var.progvl > 0 ? static_cast<size_t>(var.progvl) : 0;
  OutSlot slot;
  slot.buf = var.progv ? var.progv + stride * static_cast<size_t>(element) : nullptr;
  slot.bufl = var.progvl;
  slot.ind = var.indp ? var.indp + element : nullptr;
  slot.len = var.alen ? var.alen + element : nullptr;
  slot.rcode = var.arcode ? var.arcode + element : nullptr;
  OracleType type{value.oracleType, 0, 0, 0};
  int code = PutValue(RefOf(value), type, session_->dateFormat(), var.ftype, slot);
  if (code == 1405) return 0;  // a NULL OUT value without indicator is not an error
  return code;
}

std::vector<const BindVar*> Cursor::CheckAllBound(const std::vector<std::string>& names) {
  std::vector<const BindVar*> order;
  order.reserve(names.size());
  for (const std::string& n : names) {
    auto it = binds_.find(n);
    if (it == binds_.end()) throw EngineError(1008);
    order.push_back(&it->second);
  }
  return order;
}

void Cursor::BindStatement(sqlite3_stmt* stmt, const std::vector<std::string>& names,
                           const std::function<std::optional<Value>(const std::string&)>& extra) {
  for (size_t i = 0; i < names.size(); ++i) {
    int idx = static_cast<int>(i + 1);
    Value v;
    std::optional<Value> fromExtra = extra ? extra(names[i]) : std::nullopt;
    if (fromExtra) {
      v = std::move(*fromExtra);
    } else {
      const BindVar* b = FindBind(names[i]);
      if (!b) throw EngineError(1008);
      if (b->ftype == kExtCursor) throw EngineError(1460);
      v = ReadInBind(*b, 0);
    }
    BindValue(stmt, idx, v);
  }
}

// Binds array element `element` of every bind straight from the caller's buffers.
void Cursor::BindRow(int element, const std::vector<const BindVar*>& order) {
  for (size_t i = 0; i < order.size(); ++i) {
    int idx = static_cast<int>(i + 1);
    const BindVar& b = *order[i];
    if (b.ftype == kExtCursor) throw EngineError(1460);
    if (element > 0 && b.ftype == kExtString && b.progvl < 0) throw EngineError(1460);
    size_t stride = b.progvl > 0 ? static_cast<size_t>(b.progvl) : 0;
    const ub1* buf = b.progv ? b.progv + stride * static_cast<size_t>(element) : nullptr;
    const sb2* ind = b.indp ? b.indp + element : nullptr;
    const ub2* alen = b.alen ? b.alen + element : nullptr;
    if (!buf || (ind && *ind < 0)) {
      sqlite3_bind_null(stmt_, idx);
      continue;
    }
    switch (b.ftype) {
      case kExtVarchar2:
      case kExtLong:
      case kExtRowid:
      case kExtChar:
      case kExtMlsLabel: {
        size_t n = alen ? *alen : static_cast<size_t>(b.progvl);
        if (n > static_cast<size_t>(b.progvl)) throw EngineError(1458);
        if (n == 0)
          sqlite3_bind_null(stmt_, idx);
        else
          sqlite3_bind_text(stmt_, idx, reinterpret_cast<const char*>(buf), static_cast<int>(n),
                            SQLITE_TRANSIENT);
        break;
      }
      case kExtInteger: {
        Value v = ReadExternal(b.ftype, buf, b.progvl, ind, alen);
        sqlite3_bind_int64(stmt_, idx, v.i);
        break;
      }
      default: {
        BindValue(stmt_, idx, ReadExternal(b.ftype, buf, b.progvl, ind, alen));
      }
    }
  }
}

// Binds a query's values, kept for running it again elsewhere (MoveToSnapshot).
void Cursor::BindQuery(const std::vector<const BindVar*>& order) {
  args_.clear();
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i]->ftype == kExtCursor) throw EngineError(1460);
    args_.push_back(ReadInBind(*order[i], 0));
    BindValue(stmt_, static_cast<int>(i + 1), args_.back());
  }
}

// ---------------------------------------------------------------------------------------
// Execute

int Cursor::Execute(int iters, int rowoff) {
  AssertFlags();
  if (kind_ == Kind::None) throw EngineError(cursorVariable_ ? 1002 : 1003);
  if (iters < 1 || rowoff < 0 || rowoff >= iters) throw EngineError(1460);
  if (cursorVariable_) throw EngineError(1002);
  FreeChildren();
  session_->ApplyDelay();
  session_->StartStatement(this);
  rowsProcessed_ = 0;
  switch (kind_) {
    case Kind::Query: {
      auto order = CheckAllBound(bindNames_);
      if (executed_ && !exhausted_) EndFetch();
      sqlite3_reset(stmt_);
      BindQuery(order);
      if (forUpdate_)
        session_->BeginWrite(Session::WriteReason::Work, nowait_);
      else if (MentionsNextval(translation_.sql))
        session_->BeginWrite(Session::WriteReason::Sequence);
      executed_ = true;
      exhausted_ = false;
      stepped_ = false;
      return 0;
    }
    case Kind::Dml:
      RunDml(iters, rowoff, CheckAllBound(bindNames_));
      return 0;
    case Kind::Ddl:
      ExecuteDdl(*session_, translation_, text_, functionType_);
      return 0;
    case Kind::Plsql: {
      CheckAllBound(bindNames_);
      // A block is one call: an exception leaving it undoes all it did.
      int code = RunAsOneCall(*session_, [&] { return block_->Run(*this); });
      rowsProcessed_ = 1;
      return code;
    }
    case Kind::Commit:
      session_->Commit();
      return 0;
    case Kind::Rollback:
    case Kind::Savepoint:
    case Kind::AlterSession:
    case Kind::Engine:
      RunEngineStatement();
      return 0;
    case Kind::UserDdl:
      ExecuteUserDdl(*session_, text_);
      return 0;
    case Kind::Stored:
      ExecuteStoredDdl(*session_, text_, functionType_);
      return 0;
    case Kind::Privilege:
      RunPrivilegeStatement(*session_, text_, functionType_);
      return 0;
    case Kind::Explain:
      RunExplain();
      return 0;
    case Kind::None:
      break;
  }
  throw EngineError(1003);
}

void Cursor::RunDml(int iters, int rowoff, const std::vector<const BindVar*>& order) {
  session_->BeginWrite();
  sqlite3* db = session_->db();
  // A table with triggers takes its rows one by one, with the triggers fired.
  if (RunsRowByRow(*session_, translation_)) {
    for (int e = rowoff; e < iters; ++e) {
      auto value = [&](const std::string& name) {
        auto it = std::find(bindNames_.begin(), bindNames_.end(), name);
        if (it == bindNames_.end()) throw EngineError(1008);
        return PlsqlValue(ReadInBind(*order[static_cast<size_t>(it - bindNames_.begin())], e));
      };
      rowsProcessed_ += static_cast<ub4>(
          RunTriggeredDml(*session_, translation_, text_, session_->user(), {}, value));
    }
    return;
  }
  for (int e = rowoff; e < iters; ++e) {
    sqlite3_reset(stmt_);
    BindRow(e, order);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      OraError err =
          MapSqliteError(db, rc, {functionType_, &translation_, session_.get(), stmt_});
      sqlite3_reset(stmt_);
      throw err;
    }
    rowsProcessed_ += static_cast<ub4>(sqlite3_changes(db));
  }
  sqlite3_reset(stmt_);
}

void Cursor::ThrowStep(sqlite3_stmt* source, int rc) {
  OraError err =
      MapSqliteError(sqlite3_db_handle(source), rc, {functionType_, &translation_, session_.get()});
  EndFetch();
  throw err;
}

// ---------------------------------------------------------------------------------------
// Fetch

int Cursor::WriteRow(sqlite3_stmt* source, int row) {
  int worst = 0;
  const std::string& fmt = session_->dateFormat();
  for (size_t col = 0; col < defines_.size(); ++col) {
    const DefineVar& d = defines_[col];
    if (!d.defined) continue;
    int c = static_cast<int>(col);
    ValueRef v;
    switch (sqlite3_column_type(source, c)) {
      case SQLITE_INTEGER:
        v.kind = Value::Integer;
        v.i = sqlite3_column_int64(source, c);
        break;
      case SQLITE_FLOAT:
        v.kind = Value::Real;
        v.r = sqlite3_column_double(source, c);
        break;
      case SQLITE_TEXT:
        v.p = reinterpret_cast<const char*>(sqlite3_column_text(source, c));
        v.n = static_cast<size_t>(sqlite3_column_bytes(source, c));
        v.kind = v.n ? Value::Text : Value::Null;  // Oracle has no empty strings
        break;
      case SQLITE_BLOB:
        v.kind = Value::Blob;
        v.p = static_cast<const char*>(sqlite3_column_blob(source, c));
        v.n = static_cast<size_t>(sqlite3_column_bytes(source, c));
        break;
      default:
        break;
    }
    size_t r = static_cast<size_t>(row);
    OutSlot slot;
    slot.buf = d.buf ? d.buf + r * static_cast<size_t>(d.bufl) : nullptr;
    slot.bufl = d.bufl;
    slot.ind = d.indp ? d.indp + r : nullptr;
    slot.len = d.rlen ? d.rlen + r : nullptr;
    slot.rcode = d.rcode ? d.rcode + r : nullptr;
    int code = PutValue(v, columns_[col].type, fmt, d.ftype, slot);
    if (code == 1405 || (code == 1406 && worst == 0)) worst = code;
  }
  return worst;
}

// The query has no more rows for the caller: its read ends, and a transaction that only
// handed out sequence numbers for it ends too.
void Cursor::EndFetch() {
  exhausted_ = true;
  DropMovedRows();
  if (stmt_) sqlite3_reset(stmt_);
  if (session_->db()) session_->EndSequenceOnly();
}

// Runs a reset query again up to where the caller was (binds stay bound over a reset).
// Returns 0, or 1403 when the rows are gone.
int Cursor::Resume() {
  sqlite3_reset(stmt_);
  for (ub4 skip = 0; skip < rowsProcessed_; ++skip) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) {
      EndFetch();
      return kOraNoDataFound;
    }
    if (rc != SQLITE_ROW) ThrowStep(stmt_, rc);
  }
  return 0;
}

int Cursor::Fetch(int nrows) {
  AssertFlags();
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || !executed_) throw EngineError(1002);
  if (nrows < 1) throw EngineError(1460);
  if (exhausted_) return kOraNoDataFound;
  session_->ApplyDelay();
  sqlite3_stmt* source = movedRows_ ? movedRows_ : stmt_;
  // The first row begins the query's read on the session's connection.
  if (source == stmt_ && !sqlite3_stmt_busy(stmt_)) session_->StartStatement(this);
  int warning = 0;
  try {
    for (int r = 0; r < nrows; ++r) {
      int rc = sqlite3_step(source);
      if (rc == SQLITE_ROW) {
        stepped_ = true;
        int code = WriteRow(source, r);
        ++rowsProcessed_;
        if (code == 1405 || (code == 1406 && warning == 0)) warning = code;
        continue;
      }
      if (rc == SQLITE_DONE) {
        std::optional<OraError> error = std::move(movedError_);
        EndFetch();
        if (error) throw *error;
        return kOraNoDataFound;
      }
      if (rc == SQLITE_ABORT_ROLLBACK && source == stmt_) {
        // A rollback ended the read under this query; Oracle's fetch goes on.
        if (Resume()) return kOraNoDataFound;
        --r;
        continue;
      }
      ThrowStep(source, rc);
    }
  } catch (...) {
    if (!exhausted_) EndFetch();
    throw;
  }
  return warning;
}

// ---------------------------------------------------------------------------------------
// Queries moving off the session's connection

void Cursor::MoveOffConnection() {
  AssertFlags();
  if (kind_ != Kind::Query || !executed_ || exhausted_ || movedRows_ || !stmt_ ||
      !sqlite3_stmt_busy(stmt_))
    return;
  // A break asked for now leaves the query where it is, for the next statement to move.
  session_->CheckCancel();
  // A cursor variable's values are the interpreter's, and sequence numbers must not be
  // drawn twice: they cannot run again; the session's uncommitted changes are seen on its
  // own connection only.
  if (!cursorVariable_ && !MentionsNextval(translation_.sql) && !session_->InTransaction() &&
      MoveToSnapshot())
    return;
  MoveToMemory();
}

bool Cursor::MoveToSnapshot() {
  sqlite3* db = session_->db();
  // The snapshot of the read in progress.  It is named only inside a transaction, so an
  // empty one is opened around the naming; its end leaves the query's read open.
  if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  sqlite3_snapshot* snapshot = nullptr;
  const int named = sqlite3_snapshot_get(db, "main", &snapshot);
  struct FreeSnapshot {
    sqlite3_snapshot* s;
    ~FreeSnapshot() {
      if (s) sqlite3_snapshot_free(s);
    }
  } freeSnapshot{snapshot};
  if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  if (named != SQLITE_OK && named != SQLITE_ERROR) return false;

  sqlite3* reader = nullptr;
  try {
    reader = session_->AcquireReader();
  } catch (const OraError&) {
    return false;  // then into memory
  }
  sqlite3_stmt* st = nullptr;
  int stepped = SQLITE_ROW;
  auto onSnapshot = [&] {
    if (sqlite3_exec(reader, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    if (snapshot) return sqlite3_snapshot_open(reader, "main", snapshot) == SQLITE_OK;
    // No snapshot can be named while the database's log holds no commit: the reader reads
    // the same only while its log holds none either.
    sqlite3_snapshot* now = nullptr;
    const int rc = sqlite3_snapshot_get(reader, "main", &now);
    if (now) sqlite3_snapshot_free(now);
    return rc == SQLITE_ERROR && sqlite3_txn_state(reader, "main") == SQLITE_TXN_READ;
  };
  // The query runs again there, up to where the caller is.
  auto caughtUp = [&] {
    if (sqlite3_prepare_v3(reader, translation_.sql.c_str(),
                           static_cast<int>(translation_.sql.size()), 0, &st, nullptr) != SQLITE_OK)
      return false;
    for (size_t i = 0; i < args_.size(); ++i) BindValue(st, static_cast<int>(i + 1), args_[i]);
    for (ub4 skip = 0; skip < rowsProcessed_; ++skip)
      if ((stepped = sqlite3_step(st)) != SQLITE_ROW) return false;
    return true;
  };
  if (!onSnapshot() || !caughtUp()) {
    sqlite3_finalize(st);
    session_->ReturnReader(reader);
    // A break leaves the query where it was; anything else is left to memory.
    if ((stepped & 0xff) == SQLITE_INTERRUPT) throw EngineError(kOraCancelled);
    return false;
  }
  sqlite3_reset(stmt_);
  movedRows_ = st;
  movedDb_ = reader;
  movedToReader_ = true;
  return true;
}

void Cursor::MoveToMemory() {
  sqlite3* memory = nullptr;
  int rc =
      sqlite3_open_v2(":memory:", &memory,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* rows = nullptr;
  struct Guard {
    sqlite3*& db;
    sqlite3_stmt*& insert;
    sqlite3_stmt*& rows;
    ~Guard() {
      sqlite3_finalize(insert);
      sqlite3_finalize(rows);
      if (db) sqlite3_close_v2(db);
    }
  } guard{memory, insert, rows};
  if (rc != SQLITE_OK) throw EngineError(kOraOutOfProcessMemory, "?");
  // Columns without a type keep each value as it is.
  const int n = sqlite3_column_count(stmt_);
  std::string create = "CREATE TABLE r(", values = "INSERT INTO r VALUES(";
  for (int i = 0; i < n; ++i) {
    create += (i ? ", c" : "c") + std::to_string(i);
    values += i ? ", ?" : "?";
  }
  ExecSql(memory, (create + ")").c_str());
  rc = sqlite3_prepare_v2(memory, (values + ")").c_str(), -1, &insert, nullptr);
  if (rc != SQLITE_OK) throw MapSqliteError(memory, rc, {});
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    for (int i = 0; i < n; ++i) sqlite3_bind_value(insert, i + 1, sqlite3_column_value(stmt_, i));
    if (int done = sqlite3_step(insert); done != SQLITE_DONE)
      throw MapSqliteError(memory, done, {});
    sqlite3_reset(insert);
  }
  // An error ends the rows where the query would have met it.
  if (rc != SQLITE_DONE)
    movedError_ =
        MapSqliteError(session_->db(), rc, {functionType_, &translation_, session_.get()});
  rc = sqlite3_prepare_v2(memory, "SELECT * FROM r ORDER BY rowid", -1, &rows, nullptr);
  if (rc != SQLITE_OK) throw MapSqliteError(memory, rc, {});
  sqlite3_reset(stmt_);
  movedRows_ = std::exchange(rows, nullptr);
  movedDb_ = std::exchange(memory, nullptr);
  movedToReader_ = false;
}

void Cursor::DropMovedRows() noexcept {
  movedError_.reset();
  if (!movedDb_) return;
  sqlite3_finalize(movedRows_);
  movedRows_ = nullptr;
  if (movedToReader_)
    session_->ReturnReader(movedDb_);
  else
    sqlite3_close_v2(movedDb_);
  movedDb_ = nullptr;
  movedToReader_ = false;
}

int Cursor::ExecuteFetch(int nrows, bool cancelAfter, bool exact) {
  if (kind_ != Kind::None && kind_ != Kind::Query && !cursorVariable_) {
    // oexfet of a statement that is not a query runs it, as oexn would.
    int code = Execute(1, 0);
    return code;
  }
  int code = Execute(1, 0);
  if (code) return code;
  code = Fetch(nrows);
  if (exact && code != kOraNoDataFound) {
    // Exactly nrows rows must exist: one more is an error.
    sqlite3_stmt* source = movedRows_ ? movedRows_ : stmt_;
    int rc = sqlite3_step(source);
    if (rc == SQLITE_ROW) {
      EndFetch();
      throw EngineError(1422);
    }
    if (rc != SQLITE_DONE) ThrowStep(source, rc);
    EndFetch();
  }
  if (cancelAfter) Cancel();
  return code;
}

void Cursor::Cancel() {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ == Kind::Query && executed_ && !exhausted_) EndFetch();
  exhausted_ = true;
}

// ---------------------------------------------------------------------------------------
// Cursor variables

void Cursor::OpenAsCursorVariable(const Translation& translation, sqlite3_stmt* stmt) {
  ResetStatement();
  cursorVariable_ = true;
  translation_ = translation;
  stmt_ = stmt;
  kind_ = Kind::Query;
  functionType_ = kFcSelect;
  DescribeColumns();
  executed_ = true;
  exhausted_ = false;
  rowsProcessed_ = 0;
}

// ---------------------------------------------------------------------------------------
// The engine's own statements

void Cursor::RunEngineStatement() {
  Session& s = *session_;
  switch (kind_) {
    case Kind::Rollback:
    case Kind::Savepoint: {
      TransactionStatement t = ParseTransactionStatement(text_);
      if (!t.rollback) {
        s.BeginWrite();
        std::string sql = "SAVEPOINT \"" + t.savepoint + "\"";
        ExecSql(s.db(), sql.c_str());
        ++s.savepointsSet;
      } else if (t.savepoint.empty()) {
        s.Rollback();
      } else {
        s.RollbackToSavepoint(t.savepoint);
      }
      return;
    }
    case Kind::AlterSession: {
      // Every setting is checked before any is made.
      std::vector<SessionSetting> settings = ParseAlterSession(text_);
      std::optional<std::string> dateFormat;
      std::optional<bool> debug;
      std::map<std::string, std::string> recorded;
      for (const SessionSetting& setting : settings) {
        const Token& v = setting.value;
        if (setting.name == "NLS_DATE_FORMAT") {
          if (v.kind != TokenKind::String) throw EngineError(922, {}, static_cast<int>(v.offset));
          dateFormat = v.value.empty() ? std::string(kDefaultDateFormat) : v.value;
          ValidateDateFormat(*dateFormat);
        } else if (setting.name == "PLSQL_DEBUG") {
          std::string b = Upper(v.value);
          if (b != "TRUE" && b != "FALSE") throw EngineError(922, {}, static_cast<int>(v.offset));
          debug = b == "TRUE";
        } else if (std::string value; CheckSessionSetting(setting.name, v, value)) {
          recorded[setting.name] = value;
        } else {
          throw EngineError(2248, {}, static_cast<int>(setting.offset));
        }
      }
      if (dateFormat) s.SetDateFormat(*dateFormat);
      if (debug) s.plsqlDebug = *debug;
      for (auto& [name, value] : recorded) s.settings[name] = value;
      return;
    }
    case Kind::Engine: {
      // A trailing ";" is not part of a SQL statement.
      if (std::vector<Token> tokens = Tokenize(text_); !tokens.empty() && tokens.back().Is(";"))
        throw EngineError(911, {}, static_cast<int>(tokens.back().offset));
      // LOCK TABLE takes the write lock for the rest of the transaction; other statements
      // the translator passes here run as they are.
      if (functionType_ == kFcLock) {
        const std::string& mode = translation_.ddl.text;
        s.BeginWrite(Session::WriteReason::Work,
                     mode.size() > 7 && mode.compare(mode.size() - 7, 7, " NOWAIT") == 0);
        if (!translation_.sql.empty()) RunScript(s, translation_, functionType_);
        return;
      }
      if (translation_.sql.empty()) throw EngineError(3001);
      s.BeginWrite();
      RunScript(s, translation_, functionType_);
      return;
    }
    default:
      throw EngineError(1003);
  }
}

}  // namespace tess::oci7

// The exported entry points.  Each one finds its live object through the handle registry,
// runs the engine under the session's call control, catches every exception and answers
// an Oracle return code, which it also writes into the caller's data area together with
// the function type, rows processed and parse error offset.
#include <cstring>
#include <new>

#include "oci7/dictionary.h"
#include "oci7/engine.h"

using namespace tess::oci7;

namespace {

// The last error of a call that had no live session (failed logon, invalid area), for
// oerhms.
std::mutex g_errorMutex;
int g_lastCode = 0;
std::string g_lastMessage;

void RecordGlobal(int code, const std::string& message) {
  std::lock_guard lock(g_errorMutex);
  g_lastCode = code;
  g_lastMessage = message;
}

void Record(Session* s, int code, const std::string& message) {
  if (s) s->RecordError(code, message);
  RecordGlobal(code, message);
}

void SetRc(CdaDef* area, int code) {
  if (!area) return;
  area->rc = static_cast<ub2>(code);
  area->v2_rc = code == 0 ? 0 : static_cast<sb2>(-(code > 32767 ? 32767 : code));
}

// Inside a catch block: the exception's code, its text recorded for oerhms.  Never throws.
int RecordCurrentError(Session* s) noexcept {
  int code = CurrentErrorCode();
  try {
    OraError e = CurrentError();
    Record(s, e.code, e.message);
  } catch (...) {
    // No memory for the text: the code alone answers.
  }
  return code;
}

// Runs f, turning every exception into a code (recorded for oerhms).
template <class F>
int Guarded(Session* s, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    return RecordCurrentError(s);
  }
}

// The outermost guard of every entry point: nothing thrown leaves the library; what
// escapes the body is the call's answer, written into the caller's area.
template <class F>
sword Barrier(CdaDef* area, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    int code = RecordCurrentError(nullptr);
    SetRc(area, code);
    return code;
  }
}

int Fail(CdaDef* area, int code) {
  Record(nullptr, code, OraMessage(code));
  SetRc(area, code);
  return code;
}

// A call on a cursor.  `work` runs under the session's call control, possibly on the
// worker thread, so it owns everything it uses.
int CursorCall(CdaDef* area, CallName name, bool async, std::function<int(Cursor&)> work,
               bool writeOffset = false) {
  if (!area) return Fail(nullptr, kOraInvalidCursor);
  std::shared_ptr<Cursor> c = FindCursor(area);
  if (!c) return Fail(area, kOraInvalidCursor);
  Session* s = &c->session();
  int code = Guarded(s, [&] {
    return s->Call(name, area, async,
                   [c, s, work]() -> int { return Guarded(s, [&] { return work(*c); }); });
  });
  if (code == kOraStillExecuting || code == kOraOperationInProgress) {
    SetRc(area, code);
    return code;
  }
  area->ft = c->functionType();
  area->rpc = c->rowsProcessed();
  if (writeOffset) area->peo = static_cast<ub2>(code ? c->parseErrorOffset() : 0);
  SetRc(area, code);
  return code;
}

int SessionCall(LdaDef* lda, CallName name, bool async, std::function<int(Session&)> work) {
  if (!lda) return Fail(nullptr, kOraNotLoggedOn);
  std::shared_ptr<Session> s = FindSession(lda);
  if (!s) return Fail(lda, kOraNotLoggedOn);
  Session* raw = s.get();
  int code = Guarded(raw, [&] {
    return raw->Call(name, lda, async,
                     [s, work]() -> int { return Guarded(s.get(), [&] { return work(*s); }); });
  });
  SetRc(lda, code);
  return code;
}

// A text argument given with a length (-1: NUL-terminated).  Never reads beyond it.
bool TextArg(const text* p, sword len, std::string& out) {
  if (!p) {
    out.clear();
    return len <= 0;
  }
  if (len == -1) {
    out = reinterpret_cast<const char*>(p);
    return true;
  }
  if (len < 0) return false;
  out.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(len));
  // A NUL inside the given length ends the text, as C callers expect.
  size_t nul = out.find('\0');
  if (nul != std::string::npos) out.resize(nul);
  return true;
}

}  // namespace

extern "C" {

sword olog(LdaDef* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl, text* conn,
           sword connl, ub4 mode) {
  return Barrier(lda, [&]() -> sword {
    (void)hda;
    (void)mode;
    if (!lda) return Fail(nullptr, kOraMissingMandatoryParameter);
    // A data area still logged on loses its session first, so nothing leaks: the session
    // was abandoned, not logged off, and its work is rolled back (only ologof commits).
    // The new logon does not depend on how the old session ended: it is closed whatever
    // fails.
    if (auto old = FindSession(lda)) {
      old->Close();
      UnregisterSession(lda);
    }
    ClearHandle(lda);
    int code = Guarded(nullptr, [&] {
      std::string u, p, c;
      if (!TextArg(uid, uidl, u) || !TextArg(pswd, pswdl, p) || !TextArg(conn, connl, c))
        throw EngineError(kOraUnreasonableConversion);
      std::string user = u, password = p, server = c;
      // USER/PASSWORD@SERVER in the user argument.
      size_t slash = u.find('/');
      if (slash != std::string::npos) {
        user = u.substr(0, slash);
        std::string rest = u.substr(slash + 1);
        size_t at = rest.find('@');
        password = rest.substr(0, at);
        if (at != std::string::npos) server = rest.substr(at + 1);
      } else {
        size_t at = u.find('@');
        if (at != std::string::npos) {
          user = u.substr(0, at);
          server = u.substr(at + 1);
        }
      }
      std::shared_ptr<Session> s = Session::Logon(user, password, server);
      RegisterSession(s, lda);
      return 0;
    });
    std::memset(lda, 0, offsetof(CdaDef, handle));
    SetRc(lda, code);
    return code;
  });
}

sword ologof(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    if (!lda) return Fail(nullptr, kOraNotLoggedOn);
    std::shared_ptr<Session> s = FindSession(lda);
    if (!s) return Fail(lda, kOraNotLoggedOn);
    int killed = s->KilledCode();
    if (!killed && s->nonBlocking()) {
      // Another call still running on this session: the caller must finish it first.
      int code = s->Call(CallName::Other, lda, false, [] { return 0; });
      if (code == kOraOperationInProgress) {
        SetRc(lda, code);
        return code;
      }
    }
    // The session's work is committed, and the session ends even when that or its close
    // fails (the failure is the answer).
    int code = s->Logoff();
    UnregisterSession(lda);
    ClearHandle(lda);
    SetRc(lda, code);
    // The session is gone: oerhms finds the text as the last error of the process.
    if (code) Record(nullptr, code, s->LastErrorText(code).value_or(OraMessage(code)));
    return code;
  });
}

sword oerhms(LdaDef* lda, sb2 rcode, text* buf, sword bufsiz) {
  if (!buf || bufsiz <= 0) return 0;
  // The fallback text needs no memory, so that nothing can throw out of here.
  static constexpr char kFallback[] = "ORA-00600: internal error code, arguments: [oerhms]";
  std::string message;
  std::string_view shown = kFallback;
  try {
    std::optional<std::string> text;
    if (std::shared_ptr<Session> s = lda ? FindSession(lda) : nullptr)
      text = s->LastErrorText(rcode);
    if (!text) {
      std::lock_guard lock(g_errorMutex);
      if (g_lastCode == rcode && rcode != 0) text = g_lastMessage;
    }
    if (!text)
      text = rcode == 0 ? "ORA-00000: normal, successful completion" : OraMessage(rcode);
    message = std::move(*text);
    shown = message;
  } catch (...) {
  }
  size_t n = std::min(shown.size(), static_cast<size_t>(bufsiz) - 1);
  std::memcpy(buf, shown.data(), n);
  buf[n] = 0;
  return static_cast<sword>(n);
}

sword ocom(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    return SessionCall(lda, CallName::Ocom, true, [](Session& s) {
      s.ApplyDelay();
      s.Commit();
      return 0;
    });
  });
}

sword orol(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    return SessionCall(lda, CallName::Orol, true, [](Session& s) {
      s.ApplyDelay();
      s.Rollback();
      return 0;
    });
  });
}

sword oopen(CdaDef* cursor, LdaDef* lda, text* dbn, sword dbnl, sword arsize, text* uid,
            sword uidl) {
  return Barrier(cursor, [&]() -> sword {
    (void)dbn, (void)dbnl, (void)arsize, (void)uid, (void)uidl;
    if (!cursor) return Fail(nullptr, kOraInvalidCursor);
    std::shared_ptr<Session> s = lda ? FindSession(lda) : nullptr;
    if (!s) return Fail(cursor, kOraNotLoggedOn);
    int code = Guarded(s.get(), [&] {
      return s->Call(CallName::Other, cursor, false, [&]() -> int {
        return Guarded(s.get(), [&] {
          // An area still holding an open cursor is closed first, so nothing leaks.
          if (std::shared_ptr<Cursor> old = FindCursor(cursor)) {
            old->Release();
            old->session().RemoveCursor(old->id);
            UnregisterCursor(old->id);
          }
          auto c = std::make_shared<Cursor>(s);
          uint64_t id = RegisterCursor(c, cursor);
          s->AddCursor(id);
          return 0;
        });
      });
    });
    std::memset(cursor, 0, offsetof(CdaDef, handle));
    SetRc(cursor, code);
    return code;
  });
}

sword oclose(CdaDef* cursor) {
  return Barrier(cursor, [&]() -> sword {
    if (!cursor) return Fail(nullptr, kOraInvalidCursor);
    std::shared_ptr<Cursor> c = FindCursor(cursor);
    if (!c) return Fail(cursor, kOraInvalidCursor);
    Session& s = c->session();
    // Its own uncollected work is dropped (after a break, once the worker has stopped);
    // another cursor's running work makes the close wait its turn like any call.
    int code = Guarded(&s, [&] {
      int rc = s.ReleaseJobOf(cursor);
      if (rc) return rc;
      return s.Call(CallName::Other, cursor, false, [c] {
        c->Release();
        return 0;
      });
    });
    if (code == kOraOperationInProgress) {
      SetRc(cursor, code);
      return code;
    }
    // A killed session answers its code, but the cursor is gone all the same.
    s.RemoveCursor(c->id);
    UnregisterCursor(c->id);
    ClearHandle(cursor);
    SetRc(cursor, code);
    return code;
  });
}

sword oparse(CdaDef* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg) {
  return Barrier(cursor, [&]() -> sword {
    (void)defflg, (void)lngflg;
    std::string sql;
    bool ok = TextArg(sqlstm, sqllen, sql);
    bool missing = !sqlstm;
    return CursorCall(
        cursor, CallName::Oparse, false,
        [sql, ok, missing](Cursor& c) -> int {
          if (missing) throw EngineError(kOraMissingMandatoryParameter);
          if (!ok) throw EngineError(kOraUnreasonableConversion);
          c.Parse(sql);
          return 0;
        },
        true);
  });
}

sword obndra(CdaDef* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword scale, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz, ub4* cursiz, text* fmt,
             sword fmtl, sword fmtt) {
  return Barrier(cursor, [&]() -> sword {
    (void)scale, (void)fmt, (void)fmtl, (void)fmtt;
    BindVar var;
    bool ok = sqlvar && TextArg(sqlvar, sqlvl, var.name);
    var.progv = progv;
    var.progvl = progvl;
    var.ftype = ftype;
    var.indp = indp;
    var.alen = alen;
    var.arcode = arcode;
    var.maxsiz = maxsiz;
    var.cursiz = cursiz;
    return CursorCall(cursor, CallName::Other, false, [var, ok](Cursor& c) -> int {
      if (!ok) throw EngineError(kOraIllegalVariableNameNumber);
      c.Bind(var);
      return 0;
    });
  });
}

sword odefin(CdaDef* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword scale, sb2* indp,
             text* fmt, sword fmtl, sword fmtt, ub2* rlen, ub2* rcode) {
  return Barrier(cursor, [&]() -> sword {
    (void)scale, (void)fmt, (void)fmtl, (void)fmtt;
    DefineVar var;
    var.buf = buf;
    var.bufl = bufl;
    var.ftype = ftype;
    var.indp = indp;
    var.rlen = rlen;
    var.rcode = rcode;
    return CursorCall(cursor, CallName::Other, false, [pos, var](Cursor& c) -> int {
      if (!var.buf && var.bufl > 0) throw EngineError(kOraMissingMandatoryParameter);
      c.Define(pos, var);
      return 0;
    });
  });
}

sword odescr(CdaDef* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl, sb4* dsize,
             sb2* prec, sb2* scale, sb2* nullok) {
  return Barrier(cursor, [&]() -> sword {
    return CursorCall(cursor, CallName::Other, false, [=](Cursor& c) -> int {
      Cursor::Described d = c.Describe(pos);
      if (dbsize) *dbsize = d.dbsize;
      if (dbtype) *dbtype = d.dbtype;
      if (cbufl) {
        size_t room = *cbufl > 0 ? static_cast<size_t>(*cbufl) : 0;
        size_t n = std::min(room, d.name.size());
        if (cbuf && n) std::memcpy(cbuf, d.name.data(), n);
        *cbufl = static_cast<sb4>(cbuf ? n : d.name.size());
      }
      if (dsize) *dsize = d.dsize;
      if (prec) *prec = d.prec;
      if (scale) *scale = d.scale;
      if (nullok) *nullok = d.nullok;
      return 0;
    });
  });
}

sword odessp(LdaDef* lda, text* objnam, size_t onlen, ub1* rsv1, size_t rsv1ln, ub1* rsv2,
             size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level, text** argnam, ub2* arnlen,
             ub2* dtype, ub1* defsup, ub1* mode, ub4* dtsiz, sb2* prec, sb2* scale, ub1* radix,
             ub4* spare, ub4* arrsiz) {
  (void)lda, (void)objnam, (void)onlen, (void)rsv1, (void)rsv1ln, (void)rsv2, (void)rsv2ln;
  (void)ovrld, (void)pos, (void)level, (void)argnam, (void)arnlen, (void)dtype, (void)defsup;
  (void)mode, (void)dtsiz, (void)prec, (void)scale, (void)radix, (void)spare, (void)arrsiz;
  return 0;
}

sword oexfet(CdaDef* cursor, ub4 nrows, sword cancel, sword exact) {
  return Barrier(cursor, [&]() -> sword {
    return CursorCall(cursor, CallName::Oexfet, true, [=](Cursor& c) -> int {
      if (nrows > 0x7fffffff) throw EngineError(kOraUnreasonableConversion);
      return c.ExecuteFetch(static_cast<int>(nrows), cancel != 0, exact != 0);
    });
  });
}

sword ofen(CdaDef* cursor, sword nrows) {
  return Barrier(cursor, [&]() -> sword {
    return CursorCall(cursor, CallName::Ofen, true, [=](Cursor& c) { return c.Fetch(nrows); });
  });
}

sword oexn(CdaDef* cursor, sword iters, sword rowoff) {
  return Barrier(cursor, [&]() -> sword {
    return CursorCall(cursor, CallName::Oexn, true,
                      [=](Cursor& c) { return c.Execute(iters, rowoff); });
  });
}

sword ocan(CdaDef* cursor) {
  return Barrier(cursor, [&]() -> sword {
    return CursorCall(cursor, CallName::Other, false, [](Cursor& c) {
      c.Cancel();
      return 0;
    });
  });
}

sword obreak(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    if (!lda) return Fail(nullptr, kOraNotLoggedOn);
    std::shared_ptr<Session> s = FindSession(lda);
    if (!s) return Fail(lda, kOraNotLoggedOn);
    s->Break();
    SetRc(lda, 0);
    return 0;
  });
}

sword oopt(CdaDef* cursor, sword rbopt, sword waitopt) {
  (void)cursor, (void)rbopt, (void)waitopt;
  return 0;
}

sword opinit(ub4 mode) {
  (void)mode;
  return 0;
}

sword onbclr(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    if (!lda) return Fail(nullptr, kOraNotLoggedOn);
    std::shared_ptr<Session> s = FindSession(lda);
    if (!s) return Fail(lda, kOraNotLoggedOn);
    int code = s->KilledCode();
    if (!code) code = s->SetNonBlocking(false);
    SetRc(lda, code);
    return code;
  });
}

sword onbset(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    if (!lda) return Fail(nullptr, kOraNotLoggedOn);
    std::shared_ptr<Session> s = FindSession(lda);
    if (!s) return Fail(lda, kOraNotLoggedOn);
    int code = s->KilledCode();
    if (!code) code = s->SetNonBlocking(true);
    if (code) Record(s.get(), code, OraMessage(code));
    SetRc(lda, code);
    return code;
  });
}

sword onbtst(LdaDef* lda) {
  return Barrier(lda, [&]() -> sword {
    if (!lda) return Fail(nullptr, kOraNotLoggedOn);
    std::shared_ptr<Session> s = FindSession(lda);
    if (!s) return Fail(lda, kOraNotLoggedOn);
    int code = s->KilledCode();
    if (!code) code = s->nonBlocking() ? 0 : kOraBlockingMode;
    SetRc(lda, code);
    return code;
  });
}

}  // extern "C"

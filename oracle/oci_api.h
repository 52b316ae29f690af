// The Oracle version 7 call-interface binding.  The client library is loaded by file name
// at run time ("ora73.dll", then "ora72.dll", then "ora803.dll") and its 22 entry points
// are looked up by name into one table; nothing is linked.  A cursor data area wraps each
// statement and a logon data area each connection; every return code other than 0 and the
// two "still running" codes becomes an EDatabaseError with the server's message text.
//
// The signatures below are the published argument lists of the version 7 interface, with
// the C calling convention.  Data areas are 64 bytes, owned and zero-filled by the caller;
// of them the layer reads the function type (byte 2), rows processed (byte 4), the parse
// error offset (byte 8) and the return code (byte 12).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "oracle/sql_api.h"

namespace tess::oci {

using sword = int;
using sb1 = int8_t;
using ub1 = uint8_t;
using sb2 = int16_t;
using ub2 = uint16_t;
using sb4 = int32_t;
using ub4 = uint32_t;
using text = unsigned char;

// Type codes of the call interface: external types of binds and defines, and the types
// odescr reports (the same numbers where both exist).
enum : sword {
  kTypeVarchar2 = 1,
  kTypeNumber = 2,
  kTypeInteger = 3,
  kTypeLong = 8,
  kTypeRowid = 11,
  kTypeDate = 12,
  kTypeRaw = 23,
  kTypeLongRaw = 24,
  kTypeChar = 96,
  kTypeCursor = 102,
  kTypeMlsLabel = 106,
};

// Return codes this layer acts on.
constexpr int kNoDataFound = 1403;       // a fetch has delivered the last row
constexpr int kNotInSelectList = 1007;   // describing ran past the last column
constexpr int kStillExecuting = 3123;    // non-blocking call not finished yet
constexpr int kOperationPending = 3127;  // no new call until the running one ends
constexpr int kValueTruncated = 1406;    // a fetched value did not fit its element

// Cursor and logon data area.  The caller owns and zero-fills it; the library keeps its
// own handle in the bytes beyond the ones read here.
struct alignas(8) DataArea {
  ub1 bytes[64];

  ub2 ReadU16(size_t at) const {
    ub2 v;
    std::memcpy(&v, bytes + at, sizeof v);
    return v;
  }
  void WriteU16(size_t at, ub2 v) { std::memcpy(bytes + at, &v, sizeof v); }
  ub4 ReadU32(size_t at) const {
    ub4 v;
    std::memcpy(&v, bytes + at, sizeof v);
    return v;
  }
  void WriteU32(size_t at, ub4 v) { std::memcpy(bytes + at, &v, sizeof v); }

  ub2 FunctionType() const { return ReadU16(2); }
  void SetFunctionType(ub2 v) { WriteU16(2, v); }
  ub4 RowsProcessed() const { return ReadU32(4); }
  void SetRowsProcessed(ub4 v) { WriteU32(4, v); }
  ub2 ParseErrorOffset() const { return ReadU16(8); }
  ub2 ReturnCode() const { return ReadU16(12); }
  void Clear() { std::memset(bytes, 0, sizeof bytes); }
};
static_assert(sizeof(DataArea) == 64);

constexpr int kHostDataAreaSize = 256;
constexpr ub2 kFunctionSelect = 4;

extern "C" {
using OlogFn = sword (*)(DataArea* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl,
                         text* conn, sword connl, ub4 mode);
using OlogofFn = sword (*)(DataArea* lda);
using OerhmsFn = sword (*)(DataArea* lda, sb2 rcode, text* buf, sword bufsiz);
using OcomFn = sword (*)(DataArea* lda);
using OrolFn = sword (*)(DataArea* lda);
using OopenFn = sword (*)(DataArea* cursor, DataArea* lda, text* dbn, sword dbnl, sword arsize,
                          text* uid, sword uidl);
using OcloseFn = sword (*)(DataArea* cursor);
using OparseFn = sword (*)(DataArea* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
using ObndraFn = sword (*)(DataArea* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl,
                           sword ftype, sword scale, sb2* indp, ub2* alen, ub2* arcode, ub4 maxsiz,
                           ub4* cursiz, text* fmt, sword fmtl, sword fmtt);
using OdefinFn = sword (*)(DataArea* cursor, sword pos, ub1* buf, sword bufl, sword ftype,
                           sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt, ub2* rlen,
                           ub2* rcode);
using OdescrFn = sword (*)(DataArea* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf,
                           sb4* cbufl, sb4* dsize, sb2* prec, sb2* scale, sb2* nullok);
using OdesspFn = sword (*)(DataArea* lda, text* objnam, size_t onlen, ub1* rsv1, size_t rsv1ln,
                           ub1* rsv2, size_t rsv2ln, ub2* ovrld, ub2* pos, ub2* level, text** argnm,
                           ub2* arnlen, ub2* dtype, ub1* defsup, ub1* mode, ub4* dtsiz, sb2* prec,
                           sb2* scale, ub1* radix, ub4* spare, ub4* arrsiz);
using OexfetFn = sword (*)(DataArea* cursor, ub4 nrows, sword cancel, sword exact);
using OfenFn = sword (*)(DataArea* cursor, sword nrows);
using OexnFn = sword (*)(DataArea* cursor, sword iters, sword rowoff);
using OcanFn = sword (*)(DataArea* cursor);
using ObreakFn = sword (*)(DataArea* lda);
using OoptFn = sword (*)(DataArea* cursor, sword rbopt, sword waitopt);
using OpinitFn = sword (*)(ub4 mode);
using OnbclrFn = sword (*)(DataArea* lda);
using OnbsetFn = sword (*)(DataArea* lda);
using OnbtstFn = sword (*)(DataArea* lda);
}

// Slots of the entry table, in the order the names are bound.
enum OciEntry : int {
  eOlog,
  eOlogof,
  eOerhms,
  eOcom,
  eOrol,
  eOopen,
  eOclose,
  eOparse,
  eObndra,
  eOdefin,
  eOdescr,
  eOdessp,
  eOexfet,
  eOfen,
  eOexn,
  eOcan,
  eObreak,
  eOopt,
  eOpinit,
  eOnbclr,
  eOnbset,
  eOnbtst,
  kOciEntryCount
};

}  // namespace tess::oci

namespace tess {

class TParam;
class TParams;
class TOracleDatabase;

extern const char* const kOciLibraryNames[3];
extern const char* const kOciEntryNames[oci::kOciEntryCount];

// The session of the call interface: loads the library with its three names and 22
// entries.  The program has exactly one (GlobalOracleSession).
class TOracleSession : public TSession {
 public:
  explicit TOracleSession(TComponent* AOwner);
  // Frees the connections while the entry table they log off through still exists.
  ~TOracleSession() override;

  // Loads with the library names and entry names of the call interface (whatever the
  // caller passed), then calls opinit(1) when the library has it.
  void LoadLibrary(const char* const* Names, int NameCount, int EntryCount, void** EntryTable,
                   const char* const* EntryNames) override;

  // The address bound for an entry; null when the library lacks it or none is loaded.
  void* Entry(oci::OciEntry E) const { return entries_[E]; }

 private:
  void* entries_[oci::kOciEntryCount] = {};
};

// Creates the process-wide session (done once at start-up; later calls do nothing).
void InitOracleSession();
// The process-wide session, used by every Oracle connection and statement.
TOracleSession* GlobalOracleSession();

// The address of an entry of the loaded library.  Raises the layer error 1.0 with the
// entry's name when no library is loaded or the library lacks the entry.
void* OciEntryAddress(oci::OciEntry E);

// One cursor data area (or the logon data area of a connection) and the calls on it.
class TOracleCursor : public TObject {
 public:
  explicit TOracleCursor(TOracleDatabase* Owner) : owner_(Owner) { area_.Clear(); }

  TOracleDatabase* Owner() const { return owner_; }
  void SetOwner(TOracleDatabase* Value) { owner_ = Value; }
  oci::DataArea* Area() { return &area_; }

  oci::ub2 ReturnCode() const { return area_.ReturnCode(); }
  oci::ub2 FunctionType() const { return area_.FunctionType(); }
  void SetFunctionType(oci::ub2 Value) { area_.SetFunctionType(Value); }
  oci::ub4 RowsProcessed() const { return area_.RowsProcessed(); }
  void SetRowsProcessed(oci::ub4 Value) { area_.SetRowsProcessed(Value); }
  oci::ub2 ParseErrorOffset() const { return area_.ParseErrorOffset(); }

  // Raises EDatabaseError for any return code but 0, 3123 and 3127, with the text the
  // library gives for it through the owner's logon data area.
  void CheckError();
  // Raises EDatabaseError for Code with the library's text for it.
  [[noreturn]] void RaiseError(int Code);
  void OpenCursor();
  void Parse(const std::string& Text, bool Defer);
  void CloseCursor();
  void CancelCursor();
  void Exec(int32_t Iterations, int32_t RowOffset);
  // 1403 (no more rows) is an answer, not an error.  A value cut to fit its element is
  // reported by the caller, which sees it in the element's return code (1406) also when
  // the library answers 1403 for the batch.
  void Fetch(int32_t Rows);
  void ExecFetch(int32_t Rows, bool CancelAfter);
  bool IsStillExecuting() const;
  // Binds a parameter, or defines a result column, in place (its block is made first).
  void Bind(TParam* Param);
  // Fills Fields with the select list, positions 1 to 256.
  void Describe(TParams* Fields);

 private:
  TOracleDatabase* owner_;
  oci::DataArea area_;
};

class TOracleDatabase : public TDatabaseLite {
 public:
  explicit TOracleDatabase(TComponent* AOwner);
  ~TOracleDatabase() override;

  void Logoff() override;
  void Logon(const std::string& User, const std::string& Password,
             const std::string& Server) override;
  TSession* GetSession() override;
  // Mode 0: procedures and functions; 101: packages; 102: "PACKAGE.MEMBER" of the
  // package PackageName, each once, sorted; 103: mode 0 then the members of every package.
  void GetProcedureList(TStrings* List, const std::string& PackageName, int Mode) override;
  void Commit() override;
  void Rollback() override;

  bool IsNonBlocking();
  void SetNonBlocking(bool On);
  // Interrupts the call running on this connection.
  void BreakCall();

  // "User/Password", with "@Server" when Server is not blank.
  static std::string LogonString(const std::string& User, const std::string& Password,
                                 const std::string& Server);

  TOracleCursor* LogonArea() { return lda_.get(); }
  oci::ub1* HostArea() { return hda_; }

 private:
  std::unique_ptr<TOracleCursor> lda_;
  oci::ub1 hda_[oci::kHostDataAreaSize] = {};
};

}  // namespace tess

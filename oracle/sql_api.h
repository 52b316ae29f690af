// The engine-neutral database frame: a client-library session that loads a library and
// keeps its connections, the connection base with its logon parameters and login events,
// the layer's packed error codes and its exceptions.
//
// Everything runs on the GUI thread.  The critical sections are re-entrant and only make
// nested entry (message pumping inside a long call) safe; they are never shared between a
// session and a connection.
//
// Invariants: a connection is listed in its session's Databases from construction to
// destruction; RefCount() counts the datasets that acquired it through GetDatabase and is
// -1 only while Close() runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/core/classes.h"
#include "platform/critsec.h"
#include "platform/dynlib.h"

namespace tess {

class TDatabaseLite;

// ---------------------------------------------------------------------------------------
// Layer error codes: severity shl 31 or facility shl 16 or number.
// ---------------------------------------------------------------------------------------

constexpr int32_t MakeErrorCode(int Severity, int Facility, int Number) {
  return static_cast<int32_t>((static_cast<uint32_t>(Severity & 1) << 31) |
                              (static_cast<uint32_t>(Facility & 0xFFFF) << 16) |
                              static_cast<uint32_t>(Number & 0xFFFF));
}
constexpr bool ErrorIsSevere(int32_t Code) {
  return Code < 0;
}
constexpr int32_t ErrorFacility(int32_t Code) {
  return static_cast<int32_t>((static_cast<uint32_t>(Code) >> 16) & 32767);
}
constexpr int32_t ErrorNumber(int32_t Code) {
  return Code & 65535;
}

// The codes the whole access layer raises.
inline constexpr int32_t ecLibraryNotFound = MakeErrorCode(1, 30201, 50000);  // or no such db
inline constexpr int32_t ecBadDatabaseName = MakeErrorCode(1, 30202, 50001);
inline constexpr int32_t ecDisconnectFirst = MakeErrorCode(1, 30202, 50009);
inline constexpr int32_t ecNoOpenFetch = MakeErrorCode(1, 30203, 50011);
inline constexpr int32_t ecDuplicateParamName = MakeErrorCode(0, 30206, 50001);
inline constexpr int32_t ecParamIndex = MakeErrorCode(0, 30206, 50004);
inline constexpr int32_t ecValueTooLong = MakeErrorCode(1, 30206, 50005);
inline constexpr int32_t ecNotImplemented = MakeErrorCode(1, 30206, 50006);
inline constexpr int32_t ecNoBuffer = MakeErrorCode(1, 30206, 50007);

extern const char* const kLibraryNotFoundText;

// ---------------------------------------------------------------------------------------
// Exceptions
// ---------------------------------------------------------------------------------------

class ECodeError : public Exception {
 public:
  ECodeError(std::string Msg, int32_t Code) : Exception(std::move(Msg)), code_(Code) {}
  int32_t Code() const noexcept { return code_; }
  void SetCode(int32_t Value) { code_ = Value; }

 private:
  int32_t code_;
};

// A fault of the access layer itself; Code() is the full layer error code.
class EDbInterface : public ECodeError {
 public:
  using ECodeError::ECodeError;
};

// A server error; Code() is the Oracle error number, the message the server's text.
class EDatabaseError : public ECodeError {
 public:
  EDatabaseError(std::string Msg, int32_t Code, std::string DatabaseName)
      : ECodeError(std::move(Msg), Code), database_name_(std::move(DatabaseName)) {}
  const std::string& DatabaseName() const noexcept { return database_name_; }

 private:
  std::string database_name_;
};

// "Error : f.n.[Text]" for severe codes, "Warning : f.n.[Text]" otherwise; raised either way.
std::string InterfaceErrorText(int32_t Code, const std::string& Text);
[[noreturn]] void RaiseInterfaceError(int32_t Code, const std::string& Text);
[[noreturn]] void RaiseDatabaseError(TDatabaseLite* Database, int32_t OracleCode,
                                     const std::string& Message);

// ---------------------------------------------------------------------------------------
// TSession: one per client library
// ---------------------------------------------------------------------------------------

class TSession : public TComponent {
 public:
  explicit TSession(TComponent* AOwner);
  // Frees every connection still listed, then the library.
  ~TSession() override;

  // Loads the library on first use (use count 0), then counts the use.
  virtual void Attach();
  // Counts a use down; at count 0 it frees the library instead.  So the library stays
  // loaded after the last logoff until one more Detach or the session's end.
  virtual void Detach();
  // Tries Names in order and keeps the first that loads, then looks up every entry name
  // into EntryTable (a missing entry is stored as null).  Nothing happens while a
  // library is loaded.  When none loads, raises the layer error 1.0 with the long text.
  virtual void LoadLibrary(const char* const* Names, int NameCount, int EntryCount,
                           void** EntryTable, const char* const* EntryNames);
  virtual void CommitDatabase(TDatabaseLite* Database);

  // First connection of that name, ignoring case; null when none.
  TDatabaseLite* FindDatabase(const std::string& Name);
  // Opens the named connection and counts its reference up; an unknown name raises the
  // layer error 1.0 with the name.
  TDatabaseLite* GetDatabase(const std::string& Name);
  // Counts the reference down (when positive) and closes an unused connection.
  void ReleaseDatabase(TDatabaseLite* Database);

  TList& Databases() { return databases_; }
  TList& Statements() { return statements_; }
  int32_t UseCount() const { return use_count_; }
  platform::LibraryHandle LibraryHandle() const { return handle_; }
  platform::CriticalSection& Lock() { return lock_; }

 private:
  platform::LibraryHandle handle_ = nullptr;
  TList databases_;
  TList statements_;
  int32_t use_count_ = 0;
  platform::CriticalSection lock_;
};

// ---------------------------------------------------------------------------------------
// TDatabaseLite: one database connection
// ---------------------------------------------------------------------------------------

using TLoginEvent = std::function<void(TDatabaseLite* aDatabase, bool aBefore)>;

class TDatabaseLite : public TComponent {
 public:
  // Session is what GetSession() answers for the descendant; a constructor cannot ask a
  // virtual function of a class not yet built, so the descendant passes it in.
  TDatabaseLite(TComponent* AOwner, TSession* Session);
  // Descendants close the connection in their own destructor (CloseQuietly), while their
  // Logoff still exists; this one only lets go of its statements and its session.
  ~TDatabaseLite() override;

  // --- virtual operations, in slot order ----------------------------------------------
  virtual void Logoff();
  virtual void Logon(const std::string& User, const std::string& Password,
                     const std::string& Server);
  virtual TSession* GetSession() = 0;
  virtual void GetProcedureList(TStrings* List, const std::string& PackageName, int Mode);
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual void StartTransaction();

  void Open();
  void Close();
  void CloseIfUnused();

  bool Connected() const { return connected_; }
  void SetConnected(bool Value);
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& Name);
  // Accepts a non-empty name that no other connection of the session holds.
  void CheckDatabaseName(const std::string& Name);
  bool KeepConnected() const { return keep_connected_; }
  void SetKeepConnected(bool Value) { keep_connected_ = Value; }
  TStrings* Params() { return &params_; }
  void SetParams(TStrings* Value);

  std::string User() const { return params_.Values("User"); }
  void SetUser(const std::string& Value) { SetParamValue("User", Value); }
  std::string Password() const { return params_.Values("Password"); }
  void SetPassword(const std::string& Value) { SetParamValue("Password", Value); }
  std::string Server() const { return params_.Values("Server"); }
  void SetServer(const std::string& Value) { SetParamValue("Server", Value); }

  int32_t RefCount() const { return ref_count_; }
  void SetRefCount(int32_t Value) { ref_count_ = Value; }
  bool InTransaction() const { return in_transaction_; }
  TList& Datasets() { return datasets_; }
  platform::CriticalSection& Lock() { return lock_; }

  void PublishProperties(TPropertyList& Props) override;
  // A connection read from a stream connects once all its properties are in.
  void Loaded() override;

  TLoginEvent OnLogin;
  TLoginEvent OnLogoff;

 protected:
  void SetInTransaction(bool Value) { in_transaction_ = Value; }
  // For destructors: closes and swallows a failure, since nothing may leave a destructor;
  // statements that stayed attached are told the connection is gone.
  void CloseQuietly() noexcept;
  void DetachDatasets() noexcept;

 private:
  void SetParamValue(const std::string& Name, const std::string& Value);

  TSession* session_;
  bool connected_ = false;
  bool streamed_connected_ = false;
  std::string database_name_;
  bool keep_connected_ = true;
  TStringList params_;
  int32_t ref_count_ = 0;
  bool in_transaction_ = false;
  TList datasets_;
  platform::CriticalSection lock_;
};

}  // namespace tess

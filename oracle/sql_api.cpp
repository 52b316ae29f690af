// See sql_api.h.
#include "oracle/sql_api.h"

#include "oracle/dataset.h"

namespace tess {

const char* const kLibraryNotFoundText =
    "Unable to locate SQL*Net interface dll's. Please ensure that Oracle's BIN directory "
    "(Default for Win95-> C:\\ORAWIN95\\BIN, for WinNT-> C:\\ORANT\\BIN) is in the path and "
    "Oracle SQL*Net(32bit) is installed.";

// ---------------------------------------------------------------------------------------

std::string InterfaceErrorText(int32_t Code, const std::string& Text) {
  return Format(ErrorIsSevere(Code) ? "Error : %d.%d.[%s]" : "Warning : %d.%d.[%s]",
                ErrorFacility(Code) - 30200, ErrorNumber(Code) - 50000, Text.c_str());
}

void RaiseInterfaceError(int32_t Code, const std::string& Text) {
  throw EDbInterface(InterfaceErrorText(Code, Text), Code);
}

void RaiseDatabaseError(TDatabaseLite* Database, int32_t OracleCode, const std::string& Message) {
  throw EDatabaseError(Message, OracleCode, Database ? Database->DatabaseName() : std::string());
}

// ---------------------------------------------------------------------------------------
// TSession
// ---------------------------------------------------------------------------------------

TSession::TSession(TComponent* AOwner) : TComponent(AOwner) {}

TSession::~TSession() {
  platform::CriticalSectionGuard guard(lock_);
  // Each connection takes itself off the list as it goes.
  while (databases_.Count() > 0) {
    delete static_cast<TDatabaseLite*>(databases_.Last());
  }
  if (handle_ != nullptr) platform::CloseLibrary(handle_);
  handle_ = nullptr;
}

void TSession::Attach() {
  platform::CriticalSectionGuard guard(lock_);
  if (use_count_ == 0) LoadLibrary(nullptr, 0, 0, nullptr, nullptr);
  ++use_count_;
}

void TSession::Detach() {
  platform::CriticalSectionGuard guard(lock_);
  if (use_count_ == 0) {
    if (handle_ != nullptr) platform::CloseLibrary(handle_);
    handle_ = nullptr;
  } else {
    --use_count_;
  }
}

void TSession::LoadLibrary(const char* const* Names, int NameCount, int EntryCount,
                           void** EntryTable, const char* const* EntryNames) {
  platform::CriticalSectionGuard guard(lock_);
  if (handle_ != nullptr) return;
  for (int i = 0; i < NameCount && handle_ == nullptr; ++i)
    handle_ = platform::OpenLibrary(Names[i]);
  if (handle_ == nullptr) RaiseInterfaceError(ecLibraryNotFound, kLibraryNotFoundText);
  for (int i = 0; i < EntryCount; ++i)
    EntryTable[i] = platform::LibrarySymbol(handle_, EntryNames[i]);
}

void TSession::CommitDatabase(TDatabaseLite* Database) {
  Database->Commit();
}

TDatabaseLite* TSession::FindDatabase(const std::string& Name) {
  platform::CriticalSectionGuard guard(lock_);
  for (void* p : databases_) {
    auto* db = static_cast<TDatabaseLite*>(p);
    if (SameText(db->DatabaseName(), Name)) return db;
  }
  return nullptr;
}

TDatabaseLite* TSession::GetDatabase(const std::string& Name) {
  platform::CriticalSectionGuard guard(lock_);
  TDatabaseLite* db = FindDatabase(Name);
  if (db == nullptr) RaiseInterfaceError(ecLibraryNotFound, Name);
  db->Open();
  db->SetRefCount(db->RefCount() + 1);
  return db;
}

void TSession::ReleaseDatabase(TDatabaseLite* Database) {
  platform::CriticalSectionGuard guard(lock_);
  if (Database->RefCount() > 0) Database->SetRefCount(Database->RefCount() - 1);
  Database->CloseIfUnused();
}

// ---------------------------------------------------------------------------------------
// TDatabaseLite
// ---------------------------------------------------------------------------------------

TDatabaseLite::TDatabaseLite(TComponent* AOwner, TSession* Session)
    : TComponent(AOwner), session_(Session) {
  params_.Add("User=");
  params_.Add("Password=");
  params_.Add("Server=");
  platform::CriticalSectionGuard guard(session_->Lock());
  session_->Databases().Add(this);
}

TDatabaseLite::~TDatabaseLite() {
  DetachDatasets();
  platform::CriticalSectionGuard guard(session_->Lock());
  session_->Databases().Remove(this);
}

void TDatabaseLite::CloseQuietly() noexcept {
  try {
    Close();
  } catch (...) {
  }
  DetachDatasets();
}

void TDatabaseLite::DetachDatasets() noexcept {
  // A dataset left attached by a failed close must not keep a pointer to us.
  while (datasets_.Count() > 0) {
    auto* ds = static_cast<TDataSetLite*>(datasets_.Last());
    datasets_.Delete(datasets_.Count() - 1);
    ds->DatabaseGone(this);
  }
}

void TDatabaseLite::Logoff() {
  session_->Detach();
}

void TDatabaseLite::Logon(const std::string&, const std::string&, const std::string&) {
  session_->Attach();
}

void TDatabaseLite::GetProcedureList(TStrings*, const std::string&, int) {}

void TDatabaseLite::StartTransaction() {
  in_transaction_ = true;
}

void TDatabaseLite::Open() {
  platform::CriticalSectionGuard guard(lock_);
  if (connected_) return;
  if (OnLogin) OnLogin(this, true);
  std::string server = Server(), password = Password(), user = User();
  Logon(user, password, server);
  connected_ = true;
  if (OnLogin) OnLogin(this, false);
}

void TDatabaseLite::Close() {
  if (!connected_) return;
  if (OnLogoff) OnLogoff(this, true);
  ref_count_ = -1;
  // Closing a dataset detaches it from this list; the -1 keeps its release from
  // closing the connection under us.
  while (datasets_.Count() > 0) {
    auto* ds = static_cast<TDataSetLite*>(datasets_.Last());
    int before = datasets_.Count();
    ds->Close();
    if (datasets_.Count() == before) datasets_.Delete(before - 1);
  }
  Logoff();
  if (OnLogoff) OnLogoff(this, false);
  ref_count_ = 0;
  connected_ = false;
}

void TDatabaseLite::CloseIfUnused() {
  if (ref_count_ == 0 && !keep_connected_) Close();
}

void TDatabaseLite::SetConnected(bool Value) {
  if (ComponentState() & csLoading) {
    streamed_connected_ = Value;
    return;
  }
  platform::CriticalSectionGuard guard(lock_);
  if (Value)
    Open();
  else
    Close();
}

void TDatabaseLite::Loaded() {
  TComponent::Loaded();
  if (streamed_connected_) {
    streamed_connected_ = false;
    SetConnected(true);
  }
}

void TDatabaseLite::SetDatabaseName(const std::string& Name) {
  if (Name == database_name_) return;
  if (connected_) RaiseInterfaceError(ecDisconnectFirst, "Disconnect first");
  CheckDatabaseName(Name);
  database_name_ = Name;
}

void TDatabaseLite::CheckDatabaseName(const std::string& Name) {
  bool ok = !Name.empty();
  if (ok) {
    platform::CriticalSectionGuard guard(session_->Lock());
    for (void* p : session_->Databases()) {
      auto* db = static_cast<TDatabaseLite*>(p);
      if (db != this && SameText(db->DatabaseName(), Name)) ok = false;
    }
  }
  if (!ok) RaiseInterfaceError(ecBadDatabaseName, Name);
}

void TDatabaseLite::SetParams(TStrings* Value) {
  params_.Assign(Value);
}

void TDatabaseLite::SetParamValue(const std::string& Name, const std::string& Value) {
  int i = params_.IndexOfName(Name);
  if (i >= 0)
    params_.SetStrings(i, Name + "=" + Value);
  else
    params_.Add(Name + "=" + Value);
}

void TDatabaseLite::PublishProperties(TPropertyList& Props) {
  TComponent::PublishProperties(Props);
  Props
      .Boolean(
          "Connected", [this] { return Connected(); }, [this](bool v) { SetConnected(v); })
      .Default(0);
  Props.String(
      "DatabaseName", [this] { return DatabaseName(); },
      [this](const std::string& v) { SetDatabaseName(v); });
  Props
      .Boolean(
          "KeepConnected", [this] { return KeepConnected(); },
          [this](bool v) { SetKeepConnected(v); })
      .Default(1);
  Props.Object("Params", [this]() -> TPersistent* { return &params_; });
}

}  // namespace tess

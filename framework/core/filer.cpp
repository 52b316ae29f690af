// The component stream: TWriter, TReader, reference fix-ups and the text dump (see
// filer.h for the format).
#include "framework/core/filer.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>

namespace tess {

namespace {

const char kSignature[4] = {'T', 'S', 'R', '1'};

[[noreturn]] void FormatError() {
  throw EReadError("Invalid stream format");
}
[[noreturn]] void ValueTypeError() {
  throw EReadError("Invalid property value");
}

// Keeps the nesting count right on every path out.
class DepthScope {
 public:
  explicit DepthScope(int& Depth) : depth_(Depth) {
    if (++depth_ > kMaxFilerNesting) {
      --depth_;
      throw EReadError("Stream nesting too deep");
    }
  }
  ~DepthScope() { --depth_; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int& depth_;
};

// Keeps a component's state flag for a scope.
class StateScope {
 public:
  StateScope(TComponent* C, TComponentState Flag, void (*Include)(TComponent*, TComponentState),
             void (*Exclude)(TComponent*, TComponentState))
      : c_(C), flag_(Flag), exclude_(Exclude) {
    Include(c_, flag_);
  }
  ~StateScope() { exclude_(c_, flag_); }
  StateScope(const StateScope&) = delete;
  StateScope& operator=(const StateScope&) = delete;

 private:
  TComponent* c_;
  TComponentState flag_;
  void (*exclude_)(TComponent*, TComponentState);
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Global fix-ups: references to components of roots that were not there yet.
// ---------------------------------------------------------------------------------------

namespace {

struct PendingFixup {
  TComponent* Instance;
  std::function<void(TComponent*)> Setter;
  std::string RefName;
};

struct GlobalFixups {
  std::recursive_mutex lock;
  std::vector<PendingFixup> pending;
  TFindGlobalComponent finder;
};

GlobalFixups& Globals() {
  static GlobalFixups globals;
  return globals;
}

TComponent* FindGlobal(const std::string& Name) {
  GlobalFixups& g = Globals();
  std::lock_guard<std::recursive_mutex> guard(g.lock);
  return g.finder ? g.finder(Name) : nullptr;
}

// "Name" within Root (or Root itself), else a global root of that name.  "A.Name":
// within Root when Root is A, within Root's component A, else within the global root A.
TComponent* ResolveReference(const std::string& Ref, TComponent* Root) {
  size_t dot = Ref.find('.');
  if (dot == std::string::npos) {
    if (Root != nullptr) {
      if (TComponent* c = Root->FindComponent(Ref)) return c;
      if (SameText(Root->Name(), Ref)) return Root;
    }
    return FindGlobal(Ref);
  }
  std::string root_name = Ref.substr(0, dot);
  std::string name = Ref.substr(dot + 1);
  if (Root != nullptr) {
    if (SameText(Root->Name(), root_name)) return Root->FindComponent(name);
    // A component owned by one of the root's own components.
    if (TComponent* owner = Root->FindComponent(root_name)) return owner->FindComponent(name);
  }
  TComponent* other = FindGlobal(root_name);
  return other != nullptr ? other->FindComponent(name) : nullptr;
}

}  // namespace

void SetFindGlobalComponent(TFindGlobalComponent Finder) {
  GlobalFixups& g = Globals();
  std::lock_guard<std::recursive_mutex> guard(g.lock);
  g.finder = std::move(Finder);
}

void GlobalFixupReferences() {
  GlobalFixups& g = Globals();
  std::lock_guard<std::recursive_mutex> guard(g.lock);
  // Resolved entries leave the list before their setter runs: a setter may add or drop
  // other entries.
  for (size_t i = 0; i < g.pending.size();) {
    TComponent* target = ResolveReference(g.pending[i].RefName, nullptr);
    if (target == nullptr) {
      ++i;
      continue;
    }
    PendingFixup f = std::move(g.pending[i]);
    g.pending.erase(g.pending.begin() + static_cast<std::ptrdiff_t>(i));
    try {
      f.Setter(target);
    } catch (const Exception&) {
      // The reference stays unset; the component itself is intact.
    }
  }
}

void RemoveFixupReferences(TComponent* Instance) {
  GlobalFixups& g = Globals();
  std::lock_guard<std::recursive_mutex> guard(g.lock);
  for (size_t i = 0; i < g.pending.size();) {
    if (g.pending[i].Instance == Instance) {
      g.pending.erase(g.pending.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

// ---------------------------------------------------------------------------------------
// TWriter
// ---------------------------------------------------------------------------------------

namespace {

void PutLittleEndian(TStream* S, uint64_t V, int Bytes) {
  unsigned char buf[8];
  for (int i = 0; i < Bytes; ++i) buf[i] = static_cast<unsigned char>(V >> (8 * i));
  S->WriteBuffer(buf, Bytes);
}

}  // namespace

void TWriter::WriteSignature() {
  stream_->WriteBuffer(kSignature, sizeof kSignature);
}

void TWriter::WriteValue(TValueType Value) {
  uint8_t b = static_cast<uint8_t>(Value);
  stream_->WriteBuffer(&b, 1);
}

void TWriter::WriteInt64(int64_t Value) {
  const uint64_t bits = static_cast<uint64_t>(Value);
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(TValueType::vaInt8);
    PutLittleEndian(stream_, bits, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(TValueType::vaInt16);
    PutLittleEndian(stream_, bits, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(TValueType::vaInt32);
    PutLittleEndian(stream_, bits, 4);
  } else {
    WriteValue(TValueType::vaInt64);
    PutLittleEndian(stream_, bits, 8);
  }
}

void TWriter::WriteBoolean(bool Value) {
  WriteValue(Value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteFloat(double Value) {
  uint64_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  WriteValue(TValueType::vaDouble);
  PutLittleEndian(stream_, bits, 8);
}

void TWriter::WriteString(const std::string& Value) {
  if (Value.size() <= 255) {
    WriteValue(TValueType::vaString);
    PutLittleEndian(stream_, Value.size(), 1);
  } else {
    if (Value.size() > UINT32_MAX) throw EWriteError("String too long for the stream");
    WriteValue(TValueType::vaLString);
    PutLittleEndian(stream_, Value.size(), 4);
  }
  stream_->WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteIdent(const std::string& Value) {
  if (Value.empty()) throw EWriteError("Empty identifier");
  WriteValue(TValueType::vaIdent);
  WriteStr(Value);
}

void TWriter::WriteListBegin() {
  WriteValue(TValueType::vaList);
}
void TWriter::WriteListEnd() {
  WriteValue(TValueType::vaNull);
}

void TWriter::WriteStr(const std::string& Value) {
  if (Value.size() > 255) throw EWriteError("Name too long for the stream: " + Value.substr(0, 64));
  PutLittleEndian(stream_, Value.size(), 1);
  stream_->WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteBinary(const TStreamProc& WriteData) {
  TMemoryStream data;
  if (WriteData) WriteData(&data);
  if (data.Size() > UINT32_MAX) throw EWriteError("Binary property too large for the stream");
  WriteValue(TValueType::vaBinary);
  PutLittleEndian(stream_, static_cast<uint64_t>(data.Size()), 4);
  stream_->WriteBuffer(data.Memory(), data.Size());
}

void TWriter::WriteRootComponent(TComponent* Root) {
  root_ = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  if (++depth_ > kMaxFilerNesting) {
    --depth_;
    throw EWriteError("Components nested too deeply to write");
  }
  struct Leave {
    int& d;
    ~Leave() { --d; }
  } leave{depth_};
  if (root_ == nullptr) root_ = Component;
  StateScope writing(
      Component, csWriting, [](TComponent* c, TComponentState f) { c->IncludeState(f); },
      [](TComponent* c, TComponentState f) { c->ExcludeState(f); });
  WriteStr(Component->ClassName());
  WriteStr(Component->Name());
  WriteProperties(Component);
  WriteStr("");
  Component->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, root_);
  WriteStr("");
}

void TWriter::WriteProperties(TPersistent* Instance, const std::string& Prefix) {
  TPropertyList props;
  Instance->PublishProperties(props);
  for (const TPropInfo& p : props) WriteProperty(Instance, p, Prefix);
  std::string saved = prop_prefix_;
  prop_prefix_ = Prefix;
  try {
    Instance->DefineProperties(this);
  } catch (...) {
    prop_prefix_ = saved;
    throw;
  }
  prop_prefix_ = saved;
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop,
                            const std::string& Prefix) {
  (void)Instance;
  if (!Prop.ShouldWrite()) return;
  const std::string name = Prefix + Prop.Name;
  switch (Prop.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
      WriteStr(name);
      WriteInt64(Prop.GetOrdinal());
      break;
    case TPropKind::Boolean:
      WriteStr(name);
      WriteBoolean(Prop.GetOrdinal() != 0);
      break;
    case TPropKind::String:
      WriteStr(name);
      WriteString(Prop.GetString());
      break;
    case TPropKind::Float:
      WriteStr(name);
      WriteFloat(Prop.GetFloat());
      break;
    case TPropKind::Enum: {
      int64_t v = Prop.GetOrdinal();
      if (v < 0 || v >= static_cast<int64_t>(Prop.Idents.size()))
        throw EWriteError("Error writing " + name + ": value " + IntToStr(v) + " has no name");
      WriteStr(name);
      WriteIdent(Prop.Idents[static_cast<size_t>(v)]);
      break;
    }
    case TPropKind::Set: {
      uint64_t mask = static_cast<uint64_t>(Prop.GetOrdinal());
      WriteStr(name);
      WriteValue(TValueType::vaSet);
      for (size_t i = 0; i < Prop.Idents.size() && i < 32; ++i) {
        if (mask & (uint64_t{1} << i)) WriteStr(Prop.Idents[i]);
      }
      WriteStr("");
      break;
    }
    case TPropKind::Object:
      WriteProperties(Prop.GetObj(), name + ".");
      break;
    case TPropKind::Component: {
      std::string ref = ReferenceName(Prop.GetComponent());
      if (ref.empty()) break;  // an unnamed component cannot be found again
      WriteStr(name);
      WriteIdent(ref);
      break;
    }
  }
}

std::string TWriter::ReferenceName(TComponent* Component) const {
  if (Component == nullptr || Component->Name().empty()) return "";
  TComponent* owner = Component->Owner();
  if (Component == root_ || owner == root_ || owner == nullptr) return Component->Name();
  if (owner->Name().empty()) return "";
  return owner->Name() + "." + Component->Name();
}

void TWriter::DefineProperty(const std::string& Name, const TReaderProc&,
                             const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WriteStr(prop_prefix_ + Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const std::string& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WriteStr(prop_prefix_ + Name);
  WriteBinary(WriteData);
}

// ---------------------------------------------------------------------------------------
// TReader: values
// ---------------------------------------------------------------------------------------

TReader::~TReader() = default;

uint8_t TReader::ReadByte() {
  uint8_t b;
  stream_->ReadBuffer(&b, 1);
  return b;
}

int64_t TReader::ReadLittleEndian(int Bytes) {
  unsigned char buf[8];
  stream_->ReadBuffer(buf, Bytes);
  uint64_t v = 0;
  for (int i = Bytes - 1; i >= 0; --i) v = (v << 8) | buf[i];
  // Sign-extend the narrower encodings.
  if (Bytes < 8 && (v >> (8 * Bytes - 1)) & 1) v |= ~uint64_t{0} << (8 * Bytes);
  return static_cast<int64_t>(v);
}

int64_t TReader::Remaining() {
  if (size_ < 0) size_ = stream_->Size();
  int64_t left = size_ - stream_->Position();
  return left < 0 ? 0 : left;
}

void TReader::SkipBytes(int64_t Count) {
  if (Count > Remaining()) throw EReadError("Stream read error");
  stream_->Seek(Count, soCurrent);
}

void TReader::ReadSignature() {
  char sig[4];
  stream_->ReadBuffer(sig, sizeof sig);
  if (std::memcmp(sig, kSignature, sizeof sig) != 0) FormatError();
}

TValueType TReader::ReadValue() {
  uint8_t b = ReadByte();
  if (b > static_cast<uint8_t>(TValueType::vaNil)) FormatError();
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType t = ReadValue();
  stream_->Seek(-1, soCurrent);
  return t;
}

void TReader::CheckValue(TValueType Expected) {
  if (ReadValue() != Expected) ValueTypeError();
}

void TReader::SkipValue() {
  DepthScope depth(depth_);
  switch (ReadValue()) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
      break;
    case TValueType::vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case TValueType::vaInt8:
      SkipBytes(1);
      break;
    case TValueType::vaInt16:
      SkipBytes(2);
      break;
    case TValueType::vaInt32:
      SkipBytes(4);
      break;
    case TValueType::vaInt64:
    case TValueType::vaDouble:
      SkipBytes(8);
      break;
    case TValueType::vaString:
    case TValueType::vaIdent:
      SkipBytes(ReadByte());
      break;
    case TValueType::vaLString:
    case TValueType::vaBinary:
      SkipBytes(static_cast<uint32_t>(ReadLittleEndian(4)));
      break;
    case TValueType::vaSet:
      while (!ReadStr().empty()) {
      }
      break;
  }
}

void TReader::ReadListBegin() {
  CheckValue(TValueType::vaList);
}
bool TReader::EndOfList() {
  return NextValue() == TValueType::vaNull;
}
void TReader::ReadListEnd() {
  CheckValue(TValueType::vaNull);
}

int64_t TReader::ReadIntegerOf(TValueType Type) {
  switch (Type) {
    case TValueType::vaInt8:
      return ReadLittleEndian(1);
    case TValueType::vaInt16:
      return ReadLittleEndian(2);
    case TValueType::vaInt32:
      return ReadLittleEndian(4);
    case TValueType::vaInt64:
      return ReadLittleEndian(8);
    default:
      ValueTypeError();
  }
}

int32_t TReader::ReadInteger() {
  int64_t v = ReadIntegerOf(ReadValue());
  if (v < INT32_MIN || v > INT32_MAX) throw EReadError("Integer value out of range");
  return static_cast<int32_t>(v);
}

int64_t TReader::ReadInt64() {
  return ReadIntegerOf(ReadValue());
}

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t == TValueType::vaTrue) return true;
  if (t == TValueType::vaFalse) return false;
  ValueTypeError();
}

double TReader::ReadFloat() {
  TValueType t = ReadValue();
  if (t == TValueType::vaDouble) {
    uint64_t bits = static_cast<uint64_t>(ReadLittleEndian(8));
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  return static_cast<double>(ReadIntegerOf(t));
}

std::string TReader::ReadString() {
  TValueType t = ReadValue();
  int64_t len;
  if (t == TValueType::vaString) {
    len = ReadByte();
  } else if (t == TValueType::vaLString) {
    len = static_cast<uint32_t>(ReadLittleEndian(4));
    // Checked before allocating: a corrupt length must not reserve gigabytes.
    if (len > Remaining()) throw EReadError("Stream read error");
  } else {
    ValueTypeError();
  }
  std::string s(static_cast<size_t>(len), '\0');
  stream_->ReadBuffer(s.data(), len);
  return s;
}

std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case TValueType::vaIdent:
      return ReadStr();
    case TValueType::vaFalse:
      return "False";
    case TValueType::vaTrue:
      return "True";
    case TValueType::vaNil:
      return "nil";
    default:
      ValueTypeError();
  }
}

std::string TReader::ReadStr() {
  uint8_t len = ReadByte();
  std::string s(len, '\0');
  stream_->ReadBuffer(s.data(), len);
  return s;
}

std::unique_ptr<TMemoryStream> TReader::ReadBinary() {
  CheckValue(TValueType::vaBinary);
  int64_t len = static_cast<uint32_t>(ReadLittleEndian(4));
  if (len > Remaining()) throw EReadError("Stream read error");
  auto data = std::make_unique<TMemoryStream>();
  data->SetSize(len);
  stream_->ReadBuffer(data->Memory(), len);
  data->SetPosition(0);
  return data;
}

// ---------------------------------------------------------------------------------------
// TReader: components
// ---------------------------------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  root_ = Root;
  loaded_.clear();
  created_.clear();
  fixups_.clear();
  TComponent* result = nullptr;
  try {
    result = ReadComponent(Root);
    FixupReferences();
  } catch (...) {
    // What existed before stays, without the loading state; what the read made goes,
    // children (made later) first.  States first: deleting a made component may delete
    // read-into components it made itself.
    for (TComponent* c : loaded_) c->ExcludeState(csLoading | csReading);
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) delete *it;
    loaded_.clear();
    created_.clear();
    fixups_.clear();
    throw;
  }
  GlobalFixupReferences();

  // Everything is in place: each component finishes its own set-up, and then does what
  // needs all of them set up.  A failing Loaded does not keep the others from theirs;
  // the first failure is raised at the end.
  std::exception_ptr first_error;
  std::vector<TComponent*> loaded;
  loaded.swap(loaded_);
  created_.clear();
  auto run = [&first_error](TComponent* c, void (TComponent::*Step)()) {
    try {
      (c->*Step)();
    } catch (...) {
      if (!first_error) first_error = std::current_exception();
    }
  };
  for (TComponent* c : loaded) {
    run(c, &TComponent::Loaded);
    c->ExcludeState(csLoading);
  }
  for (TComponent* c : loaded) run(c, &TComponent::AfterLoaded);
  if (first_error) {
    // A root the reader made has no other owner to free it.
    if (Root == nullptr) delete result;
    std::rethrow_exception(first_error);
  }
  return result;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  std::string class_name = ReadStr();
  if (class_name.empty()) FormatError();
  return ReadComponentAs(class_name, Component, nullptr);
}

TComponent* TReader::ReadComponentAs(const std::string& ClassName, TComponent* Component,
                                     TComponent* Parent) {
  DepthScope depth(depth_);
  std::string name = ReadStr();
  TComponent* c = Component;
  if (c == nullptr) {
    // A component the owner already has (made by its constructor) is read into.
    if (owner_ != nullptr && !name.empty()) c = owner_->FindComponent(name);
    if (c != nullptr && !SameText(c->ClassName(), ClassName))
      throw EReadError("Cannot read " + ClassName + " " + name + ": a " + c->ClassName() +
                       " of that name exists");
    if (c == nullptr) {
      TComponentFactory make = FindComponentClass(ClassName);
      c = make(owner_);
      if (c == nullptr) throw EReadError("Class " + ClassName + " could not be created");
      created_.push_back(c);
    }
  }
  if (root_ == nullptr) root_ = c;
  c->IncludeState(csLoading | csReading);
  // A component met twice (a name repeated in the stream) still gets one Loaded call.
  if (std::find(loaded_.begin(), loaded_.end(), c) == loaded_.end()) loaded_.push_back(c);
  // A root keeps a name it already has (a second copy of a form is renamed on purpose).
  // A name the stream gives that no component may have (or that clashes with a sibling)
  // is bad input like any other: a reading error, not the component's own.
  try {
    if (!name.empty() && c->Name() != name && (c != root_ || c->Name().empty())) c->SetName(name);
    if (Parent != nullptr) c->SetParentComponent(Parent);
  } catch (const EComponentError& e) {
    throw EReadError("Cannot read " + ClassName + " " + name + ": " + e.Message());
  } catch (const EInvalidOperation& e) {
    // A parent the component cannot have (itself, or one of its own children).
    throw EReadError("Cannot read " + ClassName + " " + name + ": " + e.Message());
  }

  for (std::string prop = ReadStr(); !prop.empty(); prop = ReadStr()) ReadProperty(c, prop);

  TComponent* saved_owner = owner_;
  owner_ = c->GetChildOwner();
  if (owner_ == nullptr) owner_ = root_;
  try {
    for (std::string child = ReadStr(); !child.empty(); child = ReadStr())
      ReadComponentAs(child, nullptr, c);
  } catch (...) {
    owner_ = saved_owner;
    throw;
  }
  owner_ = saved_owner;
  c->ExcludeState(csReading);
  return c;
}

void TReader::PropertyError(TComponent* Instance, const std::string& Path) {
  std::string leaf = Path.substr(Path.rfind('.') == std::string::npos ? 0 : Path.rfind('.') + 1);
  std::string message =
      "Error reading " + Instance->Name() + "." + Path + ": Property " + leaf + " does not exist";
  bool handled = false;
  if (OnError) OnError(this, message, handled);
  if (!handled) throw EReadError(message);
  SkipValue();
}

void TReader::ValueError(TComponent* Instance, const std::string& Path, const std::string& What) {
  throw EReadError("Error reading " + Instance->Name() + "." + Path + ": " + What);
}

void TReader::ReadProperty(TComponent* Instance, const std::string& Path) {
  TPersistent* obj = Instance;
  std::string rest = Path;
  for (size_t dot = rest.find('.'); dot != std::string::npos; dot = rest.find('.')) {
    TPropertyList props;
    obj->PublishProperties(props);
    const TPropInfo* p = props.Find(rest.substr(0, dot));
    TPersistent* sub =
        (p != nullptr && p->Kind == TPropKind::Object && p->GetObj) ? p->GetObj() : nullptr;
    if (sub == nullptr) {
      PropertyError(Instance, Path);
      return;
    }
    obj = sub;
    rest = rest.substr(dot + 1);
  }
  TPropertyList props;
  obj->PublishProperties(props);
  if (const TPropInfo* p = props.Find(rest)) {
    ReadPropValue(Instance, *p, Path);
    return;
  }
  std::string saved_name = defining_name_;
  bool saved_defined = defined_;
  defining_name_ = rest;
  defined_ = false;
  try {
    obj->DefineProperties(this);
  } catch (...) {
    defining_name_ = saved_name;
    defined_ = saved_defined;
    throw;
  }
  bool handled = defined_;
  defining_name_ = saved_name;
  defined_ = saved_defined;
  if (!handled) PropertyError(Instance, Path);
}

void TReader::ReadPropValue(TComponent* Instance, const TPropInfo& Prop, const std::string& Path) {
  const TValueType t = ReadValue();
  auto integer = [&]() -> int64_t {
    switch (t) {
      case TValueType::vaInt8:
      case TValueType::vaInt16:
      case TValueType::vaInt32:
      case TValueType::vaInt64:
        return ReadIntegerOf(t);
      default:
        ValueError(Instance, Path, "Invalid property value");
    }
  };
  switch (Prop.Kind) {
    case TPropKind::Integer: {
      int64_t v = integer();
      if (v < INT32_MIN || v > INT32_MAX) ValueError(Instance, Path, "Integer value out of range");
      if (Prop.SetOrdinal) Prop.SetOrdinal(v);
      break;
    }
    case TPropKind::Int64: {
      int64_t v = integer();
      if (Prop.SetOrdinal) Prop.SetOrdinal(v);
      break;
    }
    case TPropKind::Boolean:
      if (t != TValueType::vaTrue && t != TValueType::vaFalse)
        ValueError(Instance, Path, "Invalid property value");
      if (Prop.SetOrdinal) Prop.SetOrdinal(t == TValueType::vaTrue ? 1 : 0);
      break;
    case TPropKind::String: {
      if (t != TValueType::vaString && t != TValueType::vaLString)
        ValueError(Instance, Path, "Invalid property value");
      stream_->Seek(-1, soCurrent);
      std::string s = ReadString();
      if (Prop.SetString) Prop.SetString(s);
      break;
    }
    case TPropKind::Float: {
      double d;
      if (t == TValueType::vaDouble) {
        stream_->Seek(-1, soCurrent);
        d = ReadFloat();
      } else {
        d = static_cast<double>(integer());
      }
      if (Prop.SetFloat) Prop.SetFloat(d);
      break;
    }
    case TPropKind::Enum: {
      int64_t v = -1;
      if (t == TValueType::vaIdent) {
        std::string ident = ReadStr();
        for (size_t i = 0; i < Prop.Idents.size(); ++i) {
          if (SameText(Prop.Idents[i], ident)) v = static_cast<int64_t>(i);
        }
        if (v < 0) ValueError(Instance, Path, "Invalid property value " + ident);
      } else {
        // Only values that have a name: anything else is no value of the type.
        v = integer();
        if (v < 0 || v >= static_cast<int64_t>(Prop.Idents.size()))
          ValueError(Instance, Path, "Integer value out of range");
      }
      if (Prop.SetOrdinal) Prop.SetOrdinal(v);
      break;
    }
    case TPropKind::Set: {
      if (t != TValueType::vaSet) ValueError(Instance, Path, "Invalid property value");
      uint64_t mask = 0;
      for (std::string ident = ReadStr(); !ident.empty(); ident = ReadStr()) {
        bool found = false;
        for (size_t i = 0; i < Prop.Idents.size() && i < 32; ++i) {
          if (SameText(Prop.Idents[i], ident)) {
            mask |= uint64_t{1} << i;
            found = true;
          }
        }
        if (!found) ValueError(Instance, Path, "Invalid property value " + ident);
      }
      if (Prop.SetOrdinal) Prop.SetOrdinal(static_cast<int64_t>(mask));
      break;
    }
    case TPropKind::Object:
      ValueError(Instance, Path, "Invalid property value");
    case TPropKind::Component:
      if (t == TValueType::vaNil) {
        if (Prop.SetComponent) Prop.SetComponent(nullptr);
      } else if (t == TValueType::vaIdent) {
        std::string ref = ReadStr();
        if (ref.empty()) ValueError(Instance, Path, "Invalid property value");
        if (Prop.SetComponent) fixups_.push_back(Fixup{Instance, Prop.SetComponent, ref});
      } else {
        ValueError(Instance, Path, "Invalid property value");
      }
      break;
  }
}

void TReader::FixupReferences() {
  std::vector<Fixup> fixups;
  fixups.swap(fixups_);
  for (Fixup& f : fixups) {
    if (TComponent* target = ResolveReference(f.RefName, root_)) {
      f.Setter(target);
    } else {
      // Another root may appear later; the reference waits for it.
      GlobalFixups& g = Globals();
      std::lock_guard<std::recursive_mutex> guard(g.lock);
      g.pending.push_back(PendingFixup{f.Instance, std::move(f.Setter), f.RefName});
    }
  }
}

void TReader::DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
  if (defined_ || !SameText(Name, defining_name_)) return;
  defined_ = true;
  if (ReadData) {
    ReadData(this);
  } else {
    SkipValue();
  }
}

void TReader::DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
  if (defined_ || !SameText(Name, defining_name_)) return;
  defined_ = true;
  std::unique_ptr<TMemoryStream> data = ReadBinary();
  if (ReadData) ReadData(data.get());
}

// ---------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------

void WriteComponent(TStream* Stream, TComponent* Component) {
  TWriter writer(Stream);
  writer.WriteRootComponent(Component);
}

TComponent* ReadComponent(TStream* Stream, TComponent* Component) {
  TReader reader(Stream);
  return reader.ReadRootComponent(Component);
}

namespace {

std::string QuoteText(const std::string& S) {
  std::string out = "'";
  for (char c : S) {
    if (c == '\'') {
      out += "''";
    } else if (static_cast<unsigned char>(c) < ' ') {
      out += "'#" + std::to_string(static_cast<unsigned char>(c)) + "'";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string DumpValue(TReader& R, int Depth) {
  if (Depth > kMaxFilerNesting) throw EReadError("Stream nesting too deep");
  switch (R.NextValue()) {
    case TValueType::vaList: {
      R.ReadListBegin();
      std::string out = "(";
      bool first = true;
      while (!R.EndOfList()) {
        if (!first) out += " ";
        out += DumpValue(R, Depth + 1);
        first = false;
      }
      R.ReadListEnd();
      return out + ")";
    }
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64:
      return IntToStr(R.ReadInt64());
    case TValueType::vaDouble:
      return FloatToStr(R.ReadFloat());
    case TValueType::vaString:
    case TValueType::vaLString:
      return QuoteText(R.ReadString());
    case TValueType::vaIdent:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
      return R.ReadIdent();
    case TValueType::vaSet: {
      R.ReadValue();
      std::string out = "[";
      bool first = true;
      for (std::string s = R.ReadStr(); !s.empty(); s = R.ReadStr()) {
        if (!first) out += ", ";
        out += s;
        first = false;
      }
      return out + "]";
    }
    case TValueType::vaBinary: {
      std::unique_ptr<TMemoryStream> data = R.ReadBinary();
      std::string out = "{";
      const char* p = data->Memory();
      for (int64_t i = 0; i < data->Size(); ++i)
        out += IntToHex(static_cast<unsigned char>(p[i]), 2);
      return out + "}";
    }
    case TValueType::vaNull:
      break;
  }
  throw EReadError("Invalid property value");
}

void DumpComponent(TReader& R, const std::string& ClassName, const std::string& Indent, int Depth,
                   std::string& Out) {
  if (Depth > kMaxFilerNesting) throw EReadError("Stream nesting too deep");
  std::string name = R.ReadStr();
  Out += Indent + "object " + name + ": " + ClassName + "\n";
  for (std::string prop = R.ReadStr(); !prop.empty(); prop = R.ReadStr())
    Out += Indent + "  " + prop + " = " + DumpValue(R, 0) + "\n";
  for (std::string child = R.ReadStr(); !child.empty(); child = R.ReadStr())
    DumpComponent(R, child, Indent + "  ", Depth + 1, Out);
  Out += Indent + "end\n";
}

}  // namespace

std::string ObjectBinaryToText(TStream* Input) {
  TReader reader(Input);
  reader.ReadSignature();
  std::string class_name = reader.ReadStr();
  if (class_name.empty()) FormatError();
  std::string out;
  DumpComponent(reader, class_name, "", 0, out);
  return out;
}

}  // namespace tess

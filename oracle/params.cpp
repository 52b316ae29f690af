// See params.h.
#include "oracle/params.h"

#include <algorithm>
#include <cstring>

#include "oracle/sql_api.h"

namespace tess {

// ---------------------------------------------------------------------------------------
// Accessor sets
// ---------------------------------------------------------------------------------------

const TParam::Accessors TParam::kAllocateFirst = {
    &TParam::AllocItemAddress,   &TParam::AllocGetLength, &TParam::AllocGetIndicator,
    &TParam::AllocGetReturnCode, &TParam::AllocSetLength, &TParam::AllocGetText,
    &TParam::AllocSetText};
const TParam::Accessors TParam::kDirectRaw = {&TParam::DirItemAddress,  &TParam::DirGetLength,
                                              &TParam::DirGetIndicator, &TParam::DirGetReturnCode,
                                              &TParam::DirSetLength,    &TParam::DirGetRawText,
                                              &TParam::DirSetRawText};
const TParam::Accessors TParam::kDirectInteger = {
    &TParam::DirItemAddress,   &TParam::DirGetLength, &TParam::DirGetIndicator,
    &TParam::DirGetReturnCode, &TParam::DirSetLength, &TParam::DirGetIntText,
    &TParam::DirSetIntText};

// ---------------------------------------------------------------------------------------
// TParam
// ---------------------------------------------------------------------------------------

TParam::TParam(TParams* Params, const std::string& Name)
    : TComponent(nullptr), params_(Params), param_name_(Name) {
  if (params_ != nullptr) params_->items_.push_back(this);
}

TParam::~TParam() {
  if (params_ != nullptr) {
    auto& items = params_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    if (it != items.end()) items.erase(it);
  }
}

TDataSetLite* TParam::GetCursorQuery() {
  RaiseInterfaceError(ecNotImplemented, "");
}

void TParam::CheckElement(int32_t i) const {
  if (i < 0 || i >= dimension_) RaiseInterfaceError(ecParamIndex, param_name_);
}

size_t TParam::LengthsOffset() const {
  // The 16-bit arrays start on an even byte so that whoever fills them in place (the
  // client library) never makes a misaligned access.
  size_t values = static_cast<size_t>(dimension_) * static_cast<size_t>(item_size_);
  return values + (values & 1);
}

uint16_t* TParam::LengthArray() const {
  return buffer_ ? reinterpret_cast<uint16_t*>(buffer_.get() + LengthsOffset()) : nullptr;
}
int16_t* TParam::IndicatorArray() const {
  return buffer_ ? reinterpret_cast<int16_t*>(buffer_.get() + LengthsOffset() +
                                              2 * static_cast<size_t>(dimension_))
                 : nullptr;
}
uint16_t* TParam::ReturnCodeArray() const {
  return buffer_ ? reinterpret_cast<uint16_t*>(buffer_.get() + LengthsOffset() +
                                               4 * static_cast<size_t>(dimension_))
                 : nullptr;
}

void TParam::AllocateBuffers(bool Allocate) {
  if (Allocate) {
    if (data_type_ == oUnknown && kind_ == oInput) data_type_ = oVarchar2;
    if (item_size_ == 0) item_size_ = DefaultItemSize();
    int64_t size = (static_cast<int64_t>(item_size_) + 6) * dimension_;
    if (item_size_ > 0 && dimension_ > 0 &&
        (allocated_dimension_ != dimension_ || allocated_size_ != size)) {
      buffer_.reset();
      aux_buffer_.reset();
      allocated_size_ = -1;
      allocated_dimension_ = -1;
      // Zeroed: lengths and indicators start at 0; one spare byte keeps the 16-bit
      // arrays aligned (see LengthsOffset).
      buffer_.reset(new uint8_t[static_cast<size_t>(size) + 1]());
      allocated_size_ = size;
      allocated_dimension_ = dimension_;
    }
    int32_t aux = AuxBufferSize();
    if (aux > 0 && !aux_buffer_) aux_buffer_.reset(new uint8_t[static_cast<size_t>(aux)]());
    row_count_ = 0;
    index_ = 0;
    BindHandlers();
    if (!buffer_) RaiseInterfaceError(ecNoBuffer, "");
  } else {
    buffer_.reset();
    aux_buffer_.reset();
    allocated_size_ = -1;
    allocated_dimension_ = -1;
    BindHandlers();
  }
}

void TParam::BindHandlers() {
  const Accessors* want = &kAllocateFirst;
  if (buffer_) want = data_type_ == oInteger ? &kDirectInteger : &kDirectRaw;
  if (acc_ == want) return;
  acc_ = want;
  direct_ = want != &kAllocateFirst;
}

// --- allocate-first accessors: make the block, then answer as the direct ones ----------

uint8_t* TParam::AllocItemAddress(int32_t i) {
  AllocateBuffers(true);
  return (this->*acc_->ItemAddress)(i);
}
uint16_t TParam::AllocGetLength(int32_t i) {
  AllocateBuffers(true);
  return (this->*acc_->GetLength)(i);
}
int16_t TParam::AllocGetIndicator(int32_t i) {
  AllocateBuffers(true);
  return (this->*acc_->GetIndicator)(i);
}
uint16_t TParam::AllocGetReturnCode(int32_t i) {
  AllocateBuffers(true);
  return (this->*acc_->GetReturnCode)(i);
}
void TParam::AllocSetLength(int32_t i, uint16_t Len) {
  AllocateBuffers(true);
  (this->*acc_->SetLength)(i, Len);
}
std::string TParam::AllocGetText(int32_t i) {
  AllocateBuffers(true);
  return (this->*acc_->GetText)(i);
}
void TParam::AllocSetText(int32_t i, const std::string& Text) {
  AllocateBuffers(true);
  (this->*acc_->SetText)(i, Text);
}

// --- direct accessors ------------------------------------------------------------------

uint8_t* TParam::DirItemAddress(int32_t i) {
  return buffer_.get() + static_cast<size_t>(i) * static_cast<size_t>(item_size_);
}
uint16_t TParam::DirGetLength(int32_t i) {
  uint16_t v;
  std::memcpy(&v, LengthArray() + i, sizeof v);
  return v;
}
int16_t TParam::DirGetIndicator(int32_t i) {
  int16_t v;
  std::memcpy(&v, IndicatorArray() + i, sizeof v);
  return v;
}
uint16_t TParam::DirGetReturnCode(int32_t i) {
  uint16_t v;
  std::memcpy(&v, ReturnCodeArray() + i, sizeof v);
  return v;
}
void TParam::DirSetLength(int32_t i, uint16_t Len) {
  int16_t ind = Len == 0 ? -1 : 0;
  std::memcpy(LengthArray() + i, &Len, sizeof Len);
  std::memcpy(IndicatorArray() + i, &ind, sizeof ind);
}
std::string TParam::DirGetRawText(int32_t i) {
  // A length beyond the element (never written by us) is read as the whole element.
  size_t len = std::min<size_t>(DirGetLength(i), static_cast<size_t>(item_size_));
  return std::string(reinterpret_cast<const char*>(DirItemAddress(i)), len);
}
void TParam::DirSetRawText(int32_t i, const std::string& Text) {
  if (Text.size() > static_cast<size_t>(item_size_))
    RaiseInterfaceError(ecValueTooLong, param_name_);
  GrowRowCount(i);
  assert(Text.size() <= static_cast<size_t>(kMaxItemSize));
  if (!Text.empty()) std::memcpy(DirItemAddress(i), Text.data(), Text.size());
  DirSetLength(i, static_cast<uint16_t>(Text.size()));
}
std::string TParam::DirGetIntText(int32_t i) {
  int32_t v = 0;
  if (item_size_ >= 4) std::memcpy(&v, DirItemAddress(i), sizeof v);
  return IntToStr(v);
}
void TParam::DirSetIntText(int32_t i, const std::string& Text) {
  int32_t v = StrToIntDef(Text, 0);
  if (item_size_ >= 4) std::memcpy(DirItemAddress(i), &v, sizeof v);
  // Array binds take RowCount as the number of elements, integers included.
  GrowRowCount(i);
  DirSetLength(i, 4);
}

void TParam::GrowRowCount(int32_t i) {
  if (i >= row_count_) row_count_ = i + 1;
  AssertInvariants();
}

// --- public element access -------------------------------------------------------------

uint8_t* TParam::ItemAddress(int32_t i) {
  CheckElement(i);
  return (this->*acc_->ItemAddress)(i);
}
uint16_t TParam::GetLength(int32_t i) {
  CheckElement(i);
  return (this->*acc_->GetLength)(i);
}
int16_t TParam::GetIndicator(int32_t i) {
  CheckElement(i);
  return (this->*acc_->GetIndicator)(i);
}
uint16_t TParam::GetReturnCode(int32_t i) {
  CheckElement(i);
  return (this->*acc_->GetReturnCode)(i);
}
void TParam::SetLength(int32_t i, uint16_t Len) {
  CheckElement(i);
  (this->*acc_->SetLength)(i, Len);
}
std::string TParam::GetAsStringAt(int32_t i) {
  CheckElement(i);
  return (this->*acc_->GetText)(i);
}
void TParam::GetAsStringAt(int32_t i, std::string& Out) {
  CheckElement(i);
  if (acc_ != &kDirectRaw) {
    Out = (this->*acc_->GetText)(i);
    return;
  }
  const size_t len = std::min<size_t>(DirGetLength(i), static_cast<size_t>(item_size_));
  Out.assign(reinterpret_cast<const char*>(DirItemAddress(i)), len);
}

void TParam::SetAsStringAt(int32_t i, const std::string& Text) {
  CheckElement(i);
  (this->*acc_->SetText)(i, Text);
}

std::string TParam::AsString() {
  return GetAsStringAt(index_);
}

void TParam::SetAsString(const std::string& Value) {
  if (data_type_ == oUnknown) SetDataType(oVarchar2);
  SetAsStringAt(index_, Value);
}

int32_t TParam::AsInteger() {
  return StrToIntDef(GetAsStringAt(index_), 0);
}

void TParam::SetAsInteger(int32_t Value) {
  if (data_type_ == oUnknown) SetDataType(oInteger);
  SetAsStringAt(index_, IntToStr(Value));
}

int32_t TParam::GetData(int32_t Index, void* Buffer, int32_t MaxLen) {
  CheckElement(Index);
  if (!buffer_) AllocateBuffers(true);
  int32_t n = std::min<int32_t>(std::max(MaxLen, 0), DirGetLength(Index));
  n = std::min(n, item_size_);
  if (n > 0) std::memcpy(Buffer, DirItemAddress(Index), static_cast<size_t>(n));
  return n;
}

int32_t TParam::SetData(int32_t Index, const void* Buffer, int32_t Len) {
  CheckElement(Index);
  if (!buffer_) AllocateBuffers(true);
  GrowRowCount(Index);
  int32_t n = std::min(std::max(Len, 0), item_size_);
  assert(n <= kMaxItemSize);
  if (n > 0) std::memcpy(DirItemAddress(Index), Buffer, static_cast<size_t>(n));
  DirSetLength(Index, static_cast<uint16_t>(n));
  return n;
}

void TParam::CopyValues(TParam* Source) {
  int32_t n = std::min(Source->RowCount(), dimension_);
  if (n <= 0) {
    row_count_ = 0;
    return;
  }
  for (int32_t i = 0; i < n; ++i) SetData(i, Source->ItemAddress(i), Source->GetLength(i));
}

void TParam::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TParam*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  SetNullOk(src->NullOk());
  SetParamName(src->ParamName());
  SetDataType(src->DataType());
  SetKind(src->Kind());
  SetPos(src->Pos());
  SetDimension(params_ != nullptr && params_->Dimension() != 0 ? params_->Dimension()
                                                               : src->Dimension());
  SetItemSize(src->ItemSize());
  if (row_count_ > dimension_) row_count_ = std::max(dimension_, 0);
  CopyValues(src);
  AssertInvariants();
}

// --- properties ------------------------------------------------------------------------

void TParam::SetDataType(TParamType Value) {
  if (Value == data_type_) return;
  data_type_ = Value;
  item_size_ = 0;
  AllocateBuffers(false);
}

void TParam::SetDbKind(int32_t Value) {
  if (Value == db_kind_) return;
  db_kind_ = Value;
  SetKind(KindOfDbKind(Value));
}

void TParam::SetDbType(int32_t Value) {
  if (Value == db_type_) return;
  db_type_ = Value;
  SetDataType(TypeOfDbType(Value));
}

void TParam::SetDimension(int32_t Value) {
  if (Value == dimension_) return;
  dimension_ = Value;
  AllocateBuffers(false);
  if (row_count_ > dimension_) row_count_ = std::max(dimension_, 0);
  if (index_ >= dimension_) index_ = 0;
  AssertInvariants();
}

void TParam::SetIndex(int32_t Value) {
  if (Value < 0 || Value >= dimension_) RaiseInterfaceError(ecParamIndex, param_name_);
  index_ = Value;
  AssertInvariants();
}

void TParam::SetItemSize(int32_t Value) {
  if (Value == item_size_) return;
  // The call interface reads and writes each element's length in 16 bits: a larger element
  // would have its values' lengths cut without a word, so it cannot be set up at all.
  if (Value > kMaxItemSize) RaiseInterfaceError(ecNoBuffer, param_name_);
  item_size_ = Value;
  AllocateBuffers(false);
}

void TParam::SetParamName(const std::string& Value) {
  if (Value == param_name_) return;
  if (params_ != nullptr) {
    TParam* other = params_->FindParam(Value);
    if (other != nullptr && other != this) RaiseInterfaceError(ecDuplicateParamName, Value);
  }
  param_name_ = Value;
}

void TParam::SetPos(int32_t Value) {
  pos_ = Value;
  if (Value == 0 && params_ != nullptr) {
    auto& items = params_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    if (it != items.end()) std::rotate(items.begin(), it, it + 1);
  }
}

void TParam::SetRowCount(int32_t Value) {
  if (Value >= 0 && Value <= dimension_) row_count_ = Value;
  AssertInvariants();
}

void TParam::ApplyStreamedValue() {
  streaming_in_ = false;
  if (!streamed_value_) return;
  std::string text = std::move(*streamed_value_);
  streamed_value_.reset();
  // Allocating resets RowCount and Index; the streamed ones are kept.
  int32_t rows = row_count_, index = index_;
  if (data_type_ == oUnknown) SetDataType(oVarchar2);
  AllocateBuffers(true);
  SetRowCount(rows);
  if (index >= 0 && index < dimension_) index_ = index;
  SetAsStringAt(index_, text);
  AssertInvariants();
}

void TParam::PublishProperties(TPropertyList& P) {
  TComponent::PublishProperties(P);
  // Writing never makes a block: an untyped output parameter has none to make.
  P.String(
      "AsString", [this] { return buffer_ ? GetAsStringAt(index_) : std::string(); },
      [this](const std::string& v) {
        if (streaming_in_)
          streamed_value_ = v;
        else
          SetAsString(v);
      });
  P.Enum<TParamType>(
      "DataType",
      {"oUnknown", "oVarchar2", "oNumber", "oInteger", "oDate", "oRowid", "oCursor", "oLong",
       "oLongRaw", "oRaw", "oMlsLabel"},
      [this] { return DataType(); }, [this](TParamType v) { SetDataType(v); });
  P.Integer(
      "DbKind", [this] { return DbKind(); }, [this](int32_t v) { SetDbKind(v); });
  P.Integer(
      "DbType", [this] { return DbType(); }, [this](int32_t v) { SetDbType(v); });
  P.Integer(
       "Dimension", [this] { return Dimension(); }, [this](int32_t v) { SetDimension(v); })
      .Default(1);
  P.Boolean(
       "HaveDefault", [this] { return HaveDefault(); }, [this](bool v) { SetHaveDefault(v); })
      .Default(0);
  P.Integer(
      "Index", [this] { return Index(); }, [this](int32_t v) { SetIndex(v); });
  P.Integer(
      "ItemSize", [this] { return ItemSize(); }, [this](int32_t v) { SetItemSize(v); });
  P.Enum<TParamKind>(
      "Kind", {"oInput", "oInpOut", "oOutput", "oResult", "oField"}, [this] { return Kind(); },
      [this](TParamKind v) { SetKind(v); });
  P.Boolean(
       "NullOk", [this] { return NullOk(); }, [this](bool v) { SetNullOk(v); })
      .Default(0);
  P.String(
      "ParamName", [this] { return ParamName(); },
      [this](const std::string& v) { SetParamName(v); });
  P.Integer(
       "Pos", [this] { return Pos(); }, [this](int32_t v) { SetPos(v); })
      .Default(-1);
  P.Integer(
      "RowCount", [this] { return RowCount(); }, [this](int32_t v) { SetRowCount(v); });
}

// ---------------------------------------------------------------------------------------
// TParams
// ---------------------------------------------------------------------------------------

TParams::TParams(TDataSetLite* Owner, TParamClass ParamClass)
    : owner_(Owner), param_class_(std::move(ParamClass)) {}

TParams::~TParams() {
  Clear();
}

TParam* TParams::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError(Format("List index out of bounds (%d)", i));
  return items_[static_cast<size_t>(i)];
}

TParam* TParams::FindParam(const std::string& Name) const {
  for (TParam* p : items_)
    if (SameText(p->ParamName(), Name)) return p;
  return nullptr;
}

void TParams::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TParams::SetDimension(int32_t Value) {
  if (Value == dimension_) return;
  dimension_ = Value;
  for (TParam* p : std::vector<TParam*>(items_)) p->SetDimension(Value);
}

TParam* TParams::FindOrAdd(const std::string& Name) {
  TParam* p = FindParam(Name);
  if (p != nullptr) return p;
  p = param_class_(this, Name);
  if (dimension_ != 0) p->SetDimension(dimension_);
  return p;
}

void TParams::CopyValuesFrom(TParams* Old) {
  if (Old == nullptr) return;
  for (TParam* p : std::vector<TParam*>(items_)) {
    TParam* old = Old->FindParam(p->ParamName());
    if (old != nullptr) p->Assign(old);
  }
}

void TParams::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TParams*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  Clear();
  dimension_ = src->dimension_;
  for (TParam* s : src->items_) {
    TParam* p = param_class_(this, "");
    p->Assign(s);
  }
}

void TParams::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "D", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, true);
}

void TParams::WriteData(TStream* Stream) {
  int32_t n = Count();
  uint8_t bytes[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                      static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
  Stream->WriteBuffer(bytes, 4);
  for (TParam* p : items_) WriteComponent(Stream, p);
}

void TParams::ReadData(TStream* Stream) {
  Clear();
  uint8_t bytes[4];
  Stream->ReadBuffer(bytes, 4);
  int64_t n = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (uint32_t{bytes[1]} << 8) |
                                   (uint32_t{bytes[2]} << 16) | (uint32_t{bytes[3]} << 24));
  // Every parameter takes more than one byte of the stream, so a larger count is corrupt.
  if (n < 0 || n > Stream->Size() - Stream->Position()) throw EReadError("Invalid parameter count");
  for (int64_t i = 0; i < n; ++i) {
    TParam* p = param_class_(this, "");
    p->streaming_in_ = true;
    try {
      ReadComponent(Stream, p);
    } catch (...) {
      p->streaming_in_ = false;
      p->streamed_value_.reset();
      throw;
    }
    p->ApplyStreamedValue();
  }
  changed_ = false;
}

// ---------------------------------------------------------------------------------------
// TFields
// ---------------------------------------------------------------------------------------

TFields::TFields(TDataSetLite* Owner, TParamClass ParamClass)
    : TParams(Owner, std::move(ParamClass)) {
  dimension_ = 10;
}

void TFields::SetDimension(int32_t Value) {
  if (Value < 1) return;
  TParams::SetDimension(Value);
}

TParam* TFields::FindOrAdd(const std::string& Name) {
  TParam* p = TParams::FindOrAdd(Name);
  p->SetKind(oField);
  return p;
}

}  // namespace tess

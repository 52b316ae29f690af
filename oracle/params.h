// Statement parameters and result columns.
//
// A TParam owns one block that the call interface reads and writes in place, so that a
// whole batch of rows moves in one call:
//
//   Dimension x ItemSize bytes of values      element i at i x ItemSize
//   Dimension unsigned 16-bit lengths         (started on an even offset)
//   Dimension signed 16-bit indicators        -1 = NULL
//   Dimension unsigned 16-bit return codes
//
// The block is made on first use (the "allocate-first" accessors make it and then answer
// as the direct ones), and released whenever DataType, Dimension or ItemSize changes.
// Invariants: 0 <= RowCount <= Dimension; 0 <= Index < Dimension (or 0); ItemSize <=
// kMaxItemSize, so every length fits its 16 bits; every element access is refused outside
// 0..Dimension-1 and leaves the block untouched.
//
// TParams is the owned list of a statement's bind variables, TFields the list of its
// result columns; names are unique in a list, ignoring case.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/classes.h"

namespace tess {

class TParams;
class TDataSetLite;

enum TParamType : uint8_t {
  oUnknown = 0,
  oVarchar2 = 1,
  oNumber = 2,
  oInteger = 3,
  oDate = 4,
  oRowid = 5,
  oCursor = 6,
  oLong = 7,
  oLongRaw = 8,
  oRaw = 9,
  oMlsLabel = 10,
};

// The largest element: its length travels in the 16-bit length array.
inline constexpr int32_t kMaxItemSize = 65535;

enum TParamKind : uint8_t {
  oInput = 0,
  oInpOut = 1,
  oOutput = 2,
  oResult = 3,
  oField = 4,  // a column of the select list
};

class TParam : public TComponent {
 public:
  // Adds itself to Params (which may be null for a free-standing parameter).
  TParam(TParams* Params, const std::string& Name);
  // Leaves its list and frees its buffers.
  ~TParam() override;

  // --- virtual operations, in slot order ----------------------------------------------
  // The statement over a cursor variable bound through this parameter; the base raises
  // the layer error 6.6.
  virtual TDataSetLite* GetCursorQuery();
  // Copies min(MaxLen, element length) bytes of element Index out; returns the count.
  virtual int32_t GetData(int32_t Index, void* Buffer, int32_t MaxLen);
  // Copies min(Len, ItemSize) bytes into element Index and sets its length; returns the
  // count.  RowCount grows to cover Index.
  virtual int32_t SetData(int32_t Index, const void* Buffer, int32_t Len);
  virtual int32_t DefaultItemSize() = 0;
  virtual TParamType TypeOfDbType(int32_t DbType) = 0;
  virtual int32_t ExternalType() = 0;
  virtual TParamKind KindOfDbKind(int32_t DbKind) = 0;
  virtual int32_t DbKindOfKind(TParamKind Kind) = 0;
  virtual int32_t AuxBufferSize() = 0;
  // True: make the block (typing an untyped input as oVarchar2 and sizing an unsized
  // parameter by DefaultItemSize); raises the layer error 6.7 when there is still
  // nothing to allocate.  False: free it.
  virtual void AllocateBuffers(bool Allocate);
  virtual void BindHandlers();
  virtual void CopyValues(TParam* Source);

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

  // --- element access (every index is checked against 0..Dimension-1) -----------------
  uint8_t* ItemAddress(int32_t i);
  uint16_t GetLength(int32_t i);
  int16_t GetIndicator(int32_t i);
  uint16_t GetReturnCode(int32_t i);
  // Stores the length; the indicator becomes 0, or -1 (NULL) for a length of 0.
  void SetLength(int32_t i, uint16_t Len);
  std::string GetAsStringAt(int32_t i);
  // The same text into Out, whose buffer is reused: a reader of many rows builds no string
  // per value.
  void GetAsStringAt(int32_t i, std::string& Out);
  void SetAsStringAt(int32_t i, const std::string& Text);

  std::string AsString();
  void SetAsString(const std::string& Value);
  int32_t AsInteger();
  void SetAsInteger(int32_t Value);

  // --- properties ------------------------------------------------------------------------
  TParamType DataType() const { return data_type_; }
  void SetDataType(TParamType Value);
  int32_t DbKind() const { return db_kind_; }
  void SetDbKind(int32_t Value);
  int32_t DbType() const { return db_type_; }
  void SetDbType(int32_t Value);
  int32_t Dimension() const { return dimension_; }
  void SetDimension(int32_t Value);
  bool HaveDefault() const { return have_default_; }
  void SetHaveDefault(bool Value) { have_default_ = Value; }
  int32_t Index() const { return index_; }
  void SetIndex(int32_t Value);
  int32_t ItemSize() const { return item_size_; }
  // Above kMaxItemSize raises the layer error 6.7 with the parameter's name.
  void SetItemSize(int32_t Value);
  TParamKind Kind() const { return kind_; }
  void SetKind(TParamKind Value) { kind_ = Value; }
  bool NullOk() const { return null_ok_; }
  void SetNullOk(bool Value) { null_ok_ = Value; }
  const std::string& ParamName() const { return param_name_; }
  void SetParamName(const std::string& Value);
  int32_t Pos() const { return pos_; }
  void SetPos(int32_t Value);
  int32_t RowCount() const {
    // The library updates RowCount in place after an array bind: checked where it is read.
    AssertInvariants();
    return row_count_;
  }
  void SetRowCount(int32_t Value);

  TParams* ParamList() const { return params_; }
  bool HasBuffer() const { return buffer_ != nullptr; }
  uint8_t* AuxBuffer() const { return aux_buffer_.get(); }
  // Addresses of the arrays, for binding (valid while the block exists).
  uint8_t* ValueArray() const { return buffer_.get(); }
  uint16_t* LengthArray() const;
  int16_t* IndicatorArray() const;
  uint16_t* ReturnCodeArray() const;
  // RowCount itself: an array bind lets the library read and update it in place.
  int32_t* RowCountField() { return &row_count_; }

 protected:
  // Refuses an element index outside 0..Dimension-1 with the layer warning 6.4.
  void CheckElement(int32_t i) const;

 private:
  friend class TParams;

  struct Accessors {
    uint8_t* (TParam::*ItemAddress)(int32_t);
    uint16_t (TParam::*GetLength)(int32_t);
    int16_t (TParam::*GetIndicator)(int32_t);
    uint16_t (TParam::*GetReturnCode)(int32_t);
    void (TParam::*SetLength)(int32_t, uint16_t);
    std::string (TParam::*GetText)(int32_t);
    void (TParam::*SetText)(int32_t, const std::string&);
  };
  static const Accessors kAllocateFirst;
  static const Accessors kDirectRaw;
  static const Accessors kDirectInteger;

  // Allocate-first accessors.
  uint8_t* AllocItemAddress(int32_t i);
  uint16_t AllocGetLength(int32_t i);
  int16_t AllocGetIndicator(int32_t i);
  uint16_t AllocGetReturnCode(int32_t i);
  void AllocSetLength(int32_t i, uint16_t Len);
  std::string AllocGetText(int32_t i);
  void AllocSetText(int32_t i, const std::string& Text);
  // Direct accessors.
  uint8_t* DirItemAddress(int32_t i);
  uint16_t DirGetLength(int32_t i);
  int16_t DirGetIndicator(int32_t i);
  uint16_t DirGetReturnCode(int32_t i);
  void DirSetLength(int32_t i, uint16_t Len);
  std::string DirGetRawText(int32_t i);
  void DirSetRawText(int32_t i, const std::string& Text);
  std::string DirGetIntText(int32_t i);
  void DirSetIntText(int32_t i, const std::string& Text);

  size_t LengthsOffset() const;
  void GrowRowCount(int32_t i);
  void AssertInvariants() const {
    assert(row_count_ >= 0 && row_count_ <= std::max(dimension_, 0));
    assert(index_ == 0 || (index_ > 0 && index_ < dimension_));
  }
  // Streaming: the value read for AsString waits until the properties that size the
  // block have been read too.
  void ApplyStreamedValue();

  TParams* params_ = nullptr;
  TParamType data_type_ = oUnknown;
  int32_t db_kind_ = 0;
  int32_t db_type_ = 0;
  int32_t dimension_ = 1;
  bool have_default_ = false;
  int32_t index_ = 0;
  int32_t item_size_ = 0;
  TParamKind kind_ = oInput;
  bool null_ok_ = false;
  std::string param_name_;
  int32_t pos_ = -1;
  int32_t row_count_ = 0;

  std::unique_ptr<uint8_t[]> buffer_;
  std::unique_ptr<uint8_t[]> aux_buffer_;
  int64_t allocated_size_ = -1;
  int32_t allocated_dimension_ = -1;
  bool direct_ = false;
  const Accessors* acc_ = &kAllocateFirst;

  bool streaming_in_ = false;
  std::optional<std::string> streamed_value_;
};

// Makes a parameter of the list's class (the statement decides which).
using TParamClass = std::function<TParam*(TParams* Params, const std::string& Name)>;

class TParams : public TPersistent {
 public:
  TParams(TDataSetLite* Owner, TParamClass ParamClass);
  // Frees every parameter.
  ~TParams() override;
  TParams(const TParams&) = delete;
  TParams& operator=(const TParams&) = delete;

  // --- virtual operations, in slot order ----------------------------------------------
  // Sets the default dimension and, when it changes, the Dimension of every parameter.
  virtual void SetDimension(int32_t Value);
  // The parameter of that name, or a new one of the list's class.
  virtual TParam* FindOrAdd(const std::string& Name);

  int Count() const { return static_cast<int>(items_.size()); }
  // Zero-based; a bad index raises EListError.
  TParam* Items(int i) const;
  // First parameter of that name ignoring case; null when none.
  TParam* FindParam(const std::string& Name) const;
  // Frees every parameter, last first.
  void Clear();
  bool Changed() const { return changed_; }
  void SetChanged(bool Value) { changed_ = Value; }
  int32_t Dimension() const { return dimension_; }
  TDataSetLite* Owner() const { return owner_; }
  const TParamClass& ParamClass() const { return param_class_; }

  // Every parameter with a namesake in Old takes it over (Assign).
  void CopyValuesFrom(TParams* Old);
  void Assign(TPersistent* Source) override;
  // The parameters as the binary property "D": a 4-byte count, then each parameter as a
  // component.
  void DefineProperties(TFiler* Filer) override;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  int32_t dimension_ = 0;

 private:
  friend class TParam;
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  TDataSetLite* owner_;
  TParamClass param_class_;
  std::vector<TParam*> items_;
  bool changed_ = true;
};

// The result columns: a default dimension of 10, and everything found or added is a column.
class TFields : public TParams {
 public:
  TFields(TDataSetLite* Owner, TParamClass ParamClass);
  // Values below 1 are ignored.
  void SetDimension(int32_t Value) override;
  TParam* FindOrAdd(const std::string& Name) override;
};

}  // namespace tess

// See dispatch.h.
#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>

#include <new>

#include "olesrv/dispatch.h"
#include "platform/ansi_text.h"

namespace tess::olesrv {

namespace {

std::atomic<long> g_objects{0};

// The automation code of a server error.
constexpr WORD kServerErrorCode = 440;

HRESULT Raise(EXCEPINFO* Info, const std::string& Text) {
  if (Info != nullptr) {
    *Info = EXCEPINFO{};
    Info->wCode = kServerErrorCode;
    Info->bstrSource = ToBstr("OracleInProcServer");
    Info->bstrDescription = ToBstr(Text);
  }
  return DISP_E_EXCEPTION;
}

bool IsLeftOut(const VARIANT& V) {
  return V.vt == VT_ERROR && V.scode == DISP_E_PARAMNOTFOUND;
}

}  // namespace

BSTR ToBstr(const std::string& S) {
  const std::wstring w = platform::AnsiToWide(S);
  BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  if (b == nullptr) throw std::bad_alloc();
  return b;
}

std::string FromBstr(BSTR B) {
  return B != nullptr ? platform::WideToAnsi(B, SysStringLen(B)) : std::string();
}

void SetText(VARIANT* R, const std::string& S) {
  if (R == nullptr) return;
  R->bstrVal = ToBstr(S);
  R->vt = VT_BSTR;
}

void SetInt(VARIANT* R, int32_t V) {
  if (R == nullptr) return;
  R->vt = VT_I4;
  R->lVal = V;
}

void SetBool(VARIANT* R, bool V) {
  if (R == nullptr) return;
  R->vt = VT_BOOL;
  R->boolVal = V ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetObject(VARIANT* R, IDispatch* Object) {
  if (R == nullptr) {
    Object->Release();
    return;
  }
  R->vt = VT_DISPATCH;
  R->pdispVal = Object;
}

// ---------------------------------------------------------------------------------------
// Arguments
// ---------------------------------------------------------------------------------------

Arguments::Arguments(const MemberSpec& Member, const DISPPARAMS* Params) {
  const UINT count = Params != nullptr ? Params->cArgs : 0;
  const UINT named = Params != nullptr ? Params->cNamedArgs : 0;
  if (named > count || (count > 0 && Params->rgvarg == nullptr) ||
      (named > 0 && Params->rgdispidNamedArgs == nullptr))
    throw InvokeFailure{E_INVALIDARG};
  // Positional arguments follow the named ones in rgvarg, the last first.
  const UINT positional = count - named;
  if (positional > Member.paramCount) throw InvokeFailure{DISP_E_BADPARAMCOUNT};
  for (UINT k = 0; k < positional; ++k) index_[k] = static_cast<int>(count - 1 - k);
  for (UINT j = 0; j < named; ++j) {
    const DISPID p = Params->rgdispidNamedArgs[j];
    if (p < 0 || static_cast<size_t>(p) >= Member.paramCount || index_[p] >= 0)
      throw InvokeFailure{DISP_E_PARAMNOTFOUND, static_cast<int>(j)};
    index_[p] = static_cast<int>(j);
  }
  for (size_t i = 0; i < Member.paramCount; ++i) {
    if (index_[i] >= 0) {
      // A script's variable arrives by reference: its value is what counts.
      // (VariantCopyInd follows a VT_BYREF | VT_VARIANT to the variable itself.)
      if (FAILED(VariantCopyInd(&values_[i].v, &Params->rgvarg[index_[i]])))
        throw InvokeFailure{DISP_E_TYPEMISMATCH, index_[i]};
      given_[i] = !IsLeftOut(values_[i].v);
    }
    if (!given_[i] && !Member.params[i].optional)
      throw InvokeFailure{index_[i] >= 0 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT,
                          index_[i]};
  }
}

void Arguments::Mismatch(size_t I) const {
  throw InvokeFailure{DISP_E_TYPEMISMATCH, index_[I]};
}

std::string Arguments::Text(size_t I) const {
  platform::ScopedVariant s;
  if (!given_[I] ||
      FAILED(VariantChangeType(&s.v, const_cast<VARIANT*>(&values_[I].v), 0, VT_BSTR)))
    Mismatch(I);
  return FromBstr(s.v.bstrVal);
}

int32_t Arguments::Integer(size_t I) const {
  platform::ScopedVariant s;
  if (!given_[I] || FAILED(VariantChangeType(&s.v, const_cast<VARIANT*>(&values_[I].v), 0, VT_I4)))
    Mismatch(I);
  return s.v.lVal;
}

// ---------------------------------------------------------------------------------------
// DispatchObject
// ---------------------------------------------------------------------------------------

DispatchObject::DispatchObject(const MemberSpec* Members, size_t Count)
    : members_(Members), count_(Count) {
  ++g_objects;
}

DispatchObject::~DispatchObject() {
  --g_objects;
}

long DispatchObject::Live() {
  return g_objects.load();
}

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID Riid, void** Out) {
  if (Out == nullptr) return E_POINTER;
  if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IDispatch)) {
    *Out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *Out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef() {
  return static_cast<ULONG>(++refs_);
}

ULONG STDMETHODCALLTYPE DispatchObject::Release() {
  const long n = --refs_;
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* Count) {
  if (Count == nullptr) return E_POINTER;
  *Count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** Info) {
  if (Info != nullptr) *Info = nullptr;
  return DISP_E_BADINDEX;
}

const MemberSpec* DispatchObject::Find(DISPID Id) const {
  for (size_t m = 0; m < count_; ++m)
    if (members_[m].id == Id) return &members_[m];
  return nullptr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* Names, UINT Count, LCID,
                                                        DISPID* Ids) {
  if (Names == nullptr || Ids == nullptr) return E_POINTER;
  if (Count == 0) return S_OK;
  for (UINT i = 0; i < Count; ++i) Ids[i] = DISPID_UNKNOWN;
  const MemberSpec* member = nullptr;
  for (size_t m = 0; m < count_ && member == nullptr; ++m)
    if (Names[0] != nullptr && _wcsicmp(Names[0], members_[m].name) == 0) member = &members_[m];
  if (member == nullptr) return DISP_E_UNKNOWNNAME;
  Ids[0] = member->id;
  HRESULT hr = S_OK;
  // The DISPID of a parameter is its position.
  for (UINT i = 1; i < Count; ++i) {
    for (size_t p = 0; p < member->paramCount; ++p)
      if (Names[i] != nullptr && _wcsicmp(Names[i], member->params[p].name) == 0)
        Ids[i] = static_cast<DISPID>(p);
    if (Ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID Id, REFIID Riid, LCID, WORD Flags,
                                                 DISPPARAMS* Params, VARIANT* Result,
                                                 EXCEPINFO* Info, UINT* ArgErr) {
  if (Result != nullptr) VariantInit(Result);
  if (!IsEqualIID(Riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const MemberSpec* member = Find(Id);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  // No property of this server can be written: a put finds no member to take it, as it
  // does on a server whose type library gives the property no put.
  if ((Flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) return DISP_E_MEMBERNOTFOUND;
  const WORD reads = member->kind == MemberKind::kProperty
                         ? static_cast<WORD>(DISPATCH_PROPERTYGET | DISPATCH_METHOD)
                         : static_cast<WORD>(DISPATCH_METHOD);
  if ((Flags & reads) == 0) return DISP_E_MEMBERNOTFOUND;
  try {
    Arguments args(*member, Params);
    Call(Id, args, Result);
    return S_OK;
  } catch (const Fault& f) {
    if (Result != nullptr) VariantClear(Result);
    return Raise(Info, f.text);
  } catch (const InvokeFailure& f) {
    if (Result != nullptr) VariantClear(Result);
    if (ArgErr != nullptr && f.argIndex >= 0) *ArgErr = static_cast<UINT>(f.argIndex);
    return f.hr;
  } catch (const std::bad_alloc&) {
    if (Result != nullptr) VariantClear(Result);
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    if (Result != nullptr) VariantClear(Result);
    return Raise(Info, e.what());
  } catch (...) {
    if (Result != nullptr) VariantClear(Result);
    return E_UNEXPECTED;
  }
}

}  // namespace tess::olesrv

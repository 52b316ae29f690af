// A script client of the automation server, as VBScript and its kin drive one: IDispatch
// calls with arguments by value, by reference (a script's variables), by name and left
// out, with the flags a script sends, and the raw HRESULT, result and argument index back.
#pragma once

#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/scoped_variant.h"

namespace oletest {

using tess::platform::ScopedVariant;

// How a script hands an argument over.
enum class Form {
  kValue,      // a literal: the value itself
  kReference,  // a script variable: VT_BYREF | VT_VARIANT to the variable
  kTypedRef,   // a typed variable (VT_BYREF | its type), as some hosts send
  kNamed,      // by the parameter's name, in the order written
  kNamedBack,  // by name, in the opposite order
};

inline const Form kAllForms[] = {Form::kValue, Form::kReference, Form::kTypedRef, Form::kNamed,
                                 Form::kNamedBack};

// An argument: a value, or one left out (VT_ERROR, DISP_E_PARAMNOTFOUND), with the name
// of the parameter it goes to when it goes by name.
struct Arg {
  std::wstring param;
  ScopedVariant value;
  Arg(std::wstring Param, const VARIANT& V) : param(std::move(Param)) {
    VariantCopy(&value.v, const_cast<VARIANT*>(&V));
  }
  Arg(const Arg& A) : param(A.param) { VariantCopy(&value.v, const_cast<VARIANT*>(&A.value.v)); }
  Arg& operator=(const Arg&) = delete;
};

inline VARIANT Text(const std::string& S) {
  VARIANT v;
  VariantInit(&v);
  const std::wstring w = tess::platform::AnsiToWide(S);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  return v;
}
inline VARIANT Int(int32_t N) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = N;
  return v;
}
inline VARIANT Missing() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}
// Makes an Arg from a temporary VARIANT (which it then frees).
inline Arg A(const std::wstring& Param, VARIANT V) {
  Arg a(Param, V);
  VariantClear(&V);
  return a;
}

// One call's outcome.
struct Outcome {
  HRESULT hr = S_OK;
  UINT argErr = ~0u;
  std::string exception;  // the description of DISP_E_EXCEPTION
  std::shared_ptr<ScopedVariant> result = std::make_shared<ScopedVariant>();
};

class Dispatch {
 public:
  explicit Dispatch(IDispatch* D = nullptr) : d_(D) {}  // takes the reference
  Dispatch(const Dispatch& O) : d_(O.d_) {
    if (d_ != nullptr) d_->AddRef();
  }
  Dispatch& operator=(Dispatch O) {
    std::swap(d_, O.d_);
    return *this;
  }
  ~Dispatch() {
    if (d_ != nullptr) d_->Release();
  }
  IDispatch* get() const { return d_; }
  explicit operator bool() const { return d_ != nullptr; }

  // The DISPIDs of a member and of parameter names after it; hr as GetIDsOfNames gave it.
  HRESULT Ids(const std::vector<std::wstring>& Names, std::vector<DISPID>& Out) const {
    std::vector<LPOLESTR> names;
    std::vector<std::wstring> copies(Names);
    for (auto& n : copies) names.push_back(n.data());
    Out.assign(Names.size(), 12345);
    return d_->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                             LOCALE_USER_DEFAULT, Out.data());
  }

  // Calls Member with Args in the given form and flags.
  Outcome Invoke(const std::wstring& Member, WORD Flags, const std::vector<Arg>& Args = {},
                 Form F = Form::kValue, bool WantResult = true) const {
    Outcome o;
    std::vector<std::wstring> names{Member};
    const bool named = F == Form::kNamed || F == Form::kNamedBack;
    std::vector<size_t> order;
    for (size_t i = 0; i < Args.size(); ++i) order.push_back(i);
    if (F == Form::kNamedBack) std::reverse(order.begin(), order.end());
    if (named)
      for (size_t i : order) names.push_back(Args[i].param);
    std::vector<DISPID> ids;
    o.hr = Ids(names, ids);
    if (FAILED(o.hr)) return o;
    // The variables a script passes by reference, and the rgvarg array (last argument
    // first for positional ones; named ones in the order of their DISPIDs).
    std::vector<ScopedVariant> variables(Args.size());
    std::vector<VARIANT> rgvarg(Args.size());
    std::vector<DISPID> namedIds;
    for (size_t k = 0; k < Args.size(); ++k) {
      const size_t i = named ? order[k] : Args.size() - 1 - k;
      VariantCopy(&variables[i].v, const_cast<VARIANT*>(&Args[i].value.v));
      VARIANT& v = rgvarg[k];
      VariantInit(&v);
      const VARTYPE t = variables[i].v.vt;
      if (F == Form::kReference || (F == Form::kTypedRef && t != VT_BSTR && t != VT_I4)) {
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &variables[i].v;
      } else if (F == Form::kTypedRef && t == VT_BSTR) {
        v.vt = VT_BYREF | VT_BSTR;
        v.pbstrVal = &variables[i].v.bstrVal;
      } else if (F == Form::kTypedRef) {
        v.vt = VT_BYREF | VT_I4;
        v.plVal = &variables[i].v.lVal;
      } else {
        v = variables[i].v;  // borrowed: the variables own what it points to
      }
      if (named) namedIds.push_back(ids[k + 1]);
    }
    DISPPARAMS params{rgvarg.empty() ? nullptr : rgvarg.data(),
                      namedIds.empty() ? nullptr : namedIds.data(),
                      static_cast<UINT>(rgvarg.size()), static_cast<UINT>(namedIds.size())};
    EXCEPINFO info{};
    o.hr = d_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, Flags, &params,
                      WantResult ? &o.result->v : nullptr, &info, &o.argErr);
    if (o.hr == DISP_E_EXCEPTION)
      o.exception =
          tess::platform::WideToAnsi(info.bstrDescription, SysStringLen(info.bstrDescription));
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return o;
  }

  // A property put (or, with DISPATCH_PROPERTYPUTREF, a Set) of V, as a script's
  // assignment makes it.
  Outcome Put(const std::wstring& Member, const VARIANT& V,
              WORD Flags = DISPATCH_PROPERTYPUT) const {
    Outcome o;
    std::vector<DISPID> ids;
    o.hr = Ids({Member}, ids);
    if (FAILED(o.hr)) return o;
    ScopedVariant value;
    VariantCopy(&value.v, const_cast<VARIANT*>(&V));
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value.v, &put, 1, 1};
    o.hr = d_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, Flags, &params, nullptr, nullptr,
                      &o.argErr);
    return o;
  }

  // A property read or method call as VBScript makes it in an expression.
  Outcome Get(const std::wstring& Member, const std::vector<Arg>& Args = {}) const {
    return Invoke(Member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args);
  }
  // The object a member gives (a failed test when it gives none).
  Dispatch Object(const std::wstring& Member, const std::vector<Arg>& Args = {}) const {
    Outcome o = Get(Member, Args);
    EXPECT_EQ(o.hr, S_OK) << o.exception;
    if (o.hr != S_OK || o.result->v.vt != VT_DISPATCH || o.result->v.pdispVal == nullptr)
      return Dispatch();
    o.result->v.pdispVal->AddRef();
    return Dispatch(o.result->v.pdispVal);
  }

 private:
  IDispatch* d_;
};

}  // namespace oletest

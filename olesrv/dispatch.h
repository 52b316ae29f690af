// The dispatch base of the server's objects: reference counting, a fixed table of members
// with their parameters, and Invoke answered as automation servers answer it.
//
// What a script client sends, and what it gets:
//   - a property is read with DISPATCH_PROPERTYGET or DISPATCH_METHOD (either or both), a
//     method is called with DISPATCH_METHOD; anything else, and every property put (no
//     property of this server can be written), answers DISP_E_MEMBERNOTFOUND;
//   - arguments come by value or by reference (a script's variables), positionally or by
//     name (GetIDsOfNames gives the DISPIDs of a member's parameter names), and an optional
//     one may be left out (VT_ERROR with DISP_E_PARAMNOTFOUND);
//   - too many or too few arguments answer DISP_E_BADPARAMCOUNT, a required one left out
//     DISP_E_PARAMNOTOPTIONAL, an unknown named one DISP_E_PARAMNOTFOUND, a value of the
//     wrong kind DISP_E_TYPEMISMATCH, each with the argument's index in ArgErr;
//   - a server error is DISP_E_EXCEPTION with the code 440 and the server's message.
// No C++ exception leaves Invoke.
//
// Windows build only; like platform/scoped_variant.h, the includer brings platform/win32.h
// and <ole2.h> first.
#pragma once

#ifndef _OLEAUTO_H_
#error "include platform/win32.h and <ole2.h> before olesrv/dispatch.h"
#endif

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/scoped_variant.h"

namespace tess::olesrv {

// The most parameters a member has.
inline constexpr size_t kMaxParams = 3;

struct ParamSpec {
  const wchar_t* name;
  bool optional;
};

enum class MemberKind : uint8_t { kProperty, kMethod };

struct MemberSpec {
  const wchar_t* name;
  DISPID id;
  MemberKind kind;
  size_t paramCount;
  ParamSpec params[kMaxParams];
};

// A server error: Invoke answers DISP_E_EXCEPTION with the code 440 and this text.
struct Fault {
  std::string text;
};

// A call the member cannot take: Invoke answers hr, and ArgErr for the argument at
// rgvarg index argIndex when there is one.
struct InvokeFailure {
  HRESULT hr;
  int argIndex = -1;
};

// The arguments of one call in parameter order, references resolved.
class Arguments {
 public:
  // Throws InvokeFailure for a call the member's parameters do not take.
  Arguments(const MemberSpec& Member, const DISPPARAMS* Params);
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  // Whether parameter I was given (and not left out).
  bool Has(size_t I) const { return given_[I]; }
  bool IsText(size_t I) const { return given_[I] && values_[I].v.vt == VT_BSTR; }
  // Parameter I as text or as an integer; DISP_E_TYPEMISMATCH when it is none.
  std::string Text(size_t I) const;
  int32_t Integer(size_t I) const;

 private:
  [[noreturn]] void Mismatch(size_t I) const;

  platform::ScopedVariant values_[kMaxParams];
  bool given_[kMaxParams] = {};
  int index_[kMaxParams] = {-1, -1, -1};
};

class DispatchObject : public IDispatch {
 public:
  DispatchObject(const MemberSpec* Members, size_t Count);
  virtual ~DispatchObject();
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) override;
  // Names[0] is a member, Names[1...] parameters of that member.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* Names, UINT Count, LCID,
                                          DISPID* Ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID Riid, LCID, WORD Flags, DISPPARAMS* Params,
                                   VARIANT* Result, EXCEPINFO* Info, UINT* ArgErr) override;

  // Objects alive in this module.
  static long Live();

 protected:
  // Runs member Id with its arguments; Result may be null.  Throws Fault for a server
  // error, InvokeFailure for a call it cannot take.
  virtual void Call(DISPID Id, const Arguments& Args, VARIANT* Result) = 0;

 private:
  const MemberSpec* Find(DISPID Id) const;

  std::atomic<long> refs_{1};
  const MemberSpec* members_;
  size_t count_;
};

// Results.  Each does nothing without a result, except SetObject, which then drops the
// object's reference.
void SetText(VARIANT* R, const std::string& S);
void SetInt(VARIANT* R, int32_t V);
void SetBool(VARIANT* R, bool V);
void SetObject(VARIANT* R, IDispatch* Object);

BSTR ToBstr(const std::string& S);
std::string FromBstr(BSTR B);

}  // namespace tess::olesrv

#include "com/dispatch.h"

#include "com/bstr.h"
#include "com/error_info.h"

namespace vellorax::com {
namespace {

bool SameNameIgnoringCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i];
    char y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != static_cast<unsigned char>(y)) return false;
  }
  return true;
}

std::u16string_view ZeroTerminated(const OLECHAR* text) {
  if (text == nullptr) return {};
  size_t n = 0;
  while (text[n] != 0) ++n;
  return {text, n};
}

// The value an in argument stands for, looking through one level of
// VT_BYREF (also VT_BYREF | VT_VARIANT).
const VARIANT* Dereferenced(const VARIANT& v, VARIANT& scratch) {
  if (v.vt == (VT_BYREF | VT_VARIANT)) return v.pvarVal;
  if ((v.vt & VT_BYREF) == 0) return &v;
  if (v.byref == nullptr) return nullptr;
  scratch.vt = static_cast<VARTYPE>(v.vt & ~VT_BYREF);
  switch (scratch.vt) {
    case VT_I2: scratch.iVal = *v.piVal; break;
    case VT_I4: scratch.lVal = *v.plVal; break;
    case VT_INT: scratch.intVal = *v.pintVal; break;
    case VT_BOOL: scratch.boolVal = *v.pboolVal; break;
    case VT_BSTR: scratch.bstrVal = *v.pbstrVal; break;
    default: return nullptr;
  }
  return &scratch;
}

bool ReadNumber(const VARIANT& v, INT& out) {
  VARIANT scratch;
  const VARIANT* value = Dereferenced(v, scratch);
  if (value == nullptr) return false;
  switch (value->vt) {
    case VT_I2: out = value->iVal; return true;
    case VT_I4: out = value->lVal; return true;
    case VT_INT: out = value->intVal; return true;
    case VT_BOOL: out = value->boolVal; return true;
    default: return false;
  }
}

bool ReadString(const VARIANT& v, BSTR& out) {
  VARIANT scratch;
  const VARIANT* value = Dereferenced(v, scratch);
  if (value == nullptr || value->vt != VT_BSTR) return false;
  out = value->bstrVal;
  return true;
}

bool AcceptsOut(const VARIANT& v, TParamType type) {
  if (v.byref == nullptr) return false;
  if (v.vt == (VT_BYREF | VT_VARIANT)) return true;
  if (type == TParamType::kOutString) return v.vt == (VT_BYREF | VT_BSTR);
  return v.vt == (VT_BYREF | VT_I4) || v.vt == (VT_BYREF | VT_INT);
}

}  // namespace

TInvokeArgs::TInvokeArgs(size_t count) : values_(count) {}

TInvokeArgs::~TInvokeArgs() {
  for (TValue& v : values_)
    if (v.owned) SysFreeString(v.text);
}

// Maps the caller's DISPPARAMS onto one member's parameters and copies the
// out values back afterwards.
class TInvoker {
 public:
  TInvoker(const TMemberInfo& member, TInvokeArgs& args) : member_(member), args_(args) {}

  // Fills `args_`; a failure status with `arg_error` set where it applies.
  HRESULT Bind(const DISPPARAMS& params, UINT* arg_error) {
    const size_t count = member_.params.size();
    std::vector<int> source(count, -1);  // rgvarg index per parameter
    if (params.cArgs > 0 && params.rgvarg == nullptr) return E_INVALIDARG;
    if (params.cNamedArgs > params.cArgs ||
        (params.cNamedArgs > 0 && params.rgdispidNamedArgs == nullptr))
      return E_INVALIDARG;
    const UINT positional = params.cArgs - params.cNamedArgs;
    if (positional > count) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < positional; ++i) source[i] = static_cast<int>(params.cArgs - 1 - i);
    for (UINT k = 0; k < params.cNamedArgs; ++k) {
      DISPID id = params.rgdispidNamedArgs[k];
      if (id == DISPID_PROPERTYPUT && member_.kind == TMemberKind::kPropertyPut) id = 0;
      if (id < 0 || static_cast<size_t>(id) >= count || source[id] != -1) {
        if (arg_error != nullptr) *arg_error = k;
        return DISP_E_PARAMNOTFOUND;
      }
      source[id] = static_cast<int>(k);
    }
    for (size_t p = 0; p < count; ++p) {
      const TParamType type = member_.params[p].type;
      auto& value = args_.values_[p];
      if (source[p] < 0) {
        // Only a trailing out parameter may be left out: it becomes the result.
        const bool is_out = type == TParamType::kOutInt || type == TParamType::kOutString;
        if (!is_out || p + 1 != count) return DISP_E_BADPARAMCOUNT;
        value.owned = type == TParamType::kOutString;
        continue;
      }
      VARIANT& arg = params.rgvarg[source[p]];
      bool ok = false;
      switch (type) {
        case TParamType::kInt:
        case TParamType::kBool: ok = ReadNumber(arg, value.number); break;
        case TParamType::kString: ok = ReadString(arg, value.text); break;
        case TParamType::kOutInt:
        case TParamType::kOutString:
          ok = AcceptsOut(arg, type);
          value.target = &arg;
          value.owned = type == TParamType::kOutString;
          break;
      }
      if (!ok) {
        if (arg_error != nullptr) *arg_error = static_cast<UINT>(source[p]);
        return DISP_E_TYPEMISMATCH;
      }
    }
    return S_OK;
  }

  // Copies out values to their targets. On failure (`succeeded` false) out
  // strings given by reference are emptied and out integers left alone.
  void Deliver(bool succeeded, VARIANT* result) {
    if (result != nullptr) VariantInit(result);
    for (size_t p = 0; p < member_.params.size(); ++p) {
      const TParamType type = member_.params[p].type;
      if (type != TParamType::kOutInt && type != TParamType::kOutString) continue;
      auto& value = args_.values_[p];
      if (!succeeded && type == TParamType::kOutInt) continue;
      VARIANT* target = value.target;
      if (target == nullptr) {  // left out: the call's result
        if (result == nullptr || !succeeded) continue;
        target = result;
        target->vt = type == TParamType::kOutString ? VT_BSTR : VT_I4;
      }
      if (type == TParamType::kOutString) {
        BSTR text = succeeded ? value.text : nullptr;
        value.owned = false;
        if (text != value.text) SysFreeString(value.text);
        if (target->vt == (VT_BYREF | VT_VARIANT)) {
          VariantClear(target->pvarVal);
          target->pvarVal->vt = VT_BSTR;
          target->pvarVal->bstrVal = text;
        } else if (target->vt == (VT_BYREF | VT_BSTR)) {
          SysFreeString(*target->pbstrVal);
          *target->pbstrVal = text;
        } else {
          target->bstrVal = text;
        }
      } else if (target->vt == (VT_BYREF | VT_VARIANT)) {
        VariantClear(target->pvarVal);
        target->pvarVal->vt = VT_I4;
        target->pvarVal->lVal = value.number;
      } else if (target->vt == (VT_BYREF | VT_I4)) {
        *target->plVal = value.number;
      } else if (target->vt == (VT_BYREF | VT_INT)) {
        *target->pintVal = value.number;
      } else {
        target->lVal = value.number;
      }
    }
  }

 private:
  const TMemberInfo& member_;
  TInvokeArgs& args_;
};

const TMemberInfo* FindMember(const TInterfaceInfo& info, DISPID id) {
  for (const TMemberInfo& m : info.members)
    if (m.dispid == id) return &m;
  return nullptr;
}

HRESULT DispatchGetIDsOfNames(const TInterfaceInfo& info, REFIID riid, LPOLESTR* names,
                              UINT count, DISPID* ids) noexcept {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const TMemberInfo* member = nullptr;
  for (const TMemberInfo& m : info.members)
    if (SameNameIgnoringCase(ZeroTerminated(names[0]), m.name)) member = &m;
  if (member == nullptr) return DISP_E_UNKNOWNNAME;
  ids[0] = member->dispid;
  HRESULT status = S_OK;
  for (UINT i = 1; i < count; ++i) {
    for (size_t p = 0; p < member->params.size(); ++p)
      if (SameNameIgnoringCase(ZeroTerminated(names[i]), member->params[p].name))
        ids[i] = static_cast<DISPID>(p);
    if (ids[i] == DISPID_UNKNOWN) status = DISP_E_UNKNOWNNAME;
  }
  return status;
}

HRESULT DispatchInvoke(const TInterfaceInfo& info, IDispatch* self, const TErrorSource& source,
                       DISPID member_id, REFIID riid, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* arg_error) noexcept {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const TMemberInfo* member = FindMember(info, member_id);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (member->kind == TMemberKind::kPropertyPut ? (flags & DISPATCH_PROPERTYPUT) == 0
                                                : (put || (flags & DISPATCH_METHOD) == 0))
    return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr) return E_INVALIDARG;
  return CallFrame(source, E_UNEXPECTED, [&]() -> HRESULT {
    TInvokeArgs args(member->params.size());
    TInvoker invoker(*member, args);
    const HRESULT bound = invoker.Bind(*params, arg_error);
    if (bound != S_OK) return bound;
    const HRESULT status = member->call(self, args);
    invoker.Deliver(status >= 0, result);
    if (status >= 0) return status;
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = status;
      if (IErrorInfo* record = PeekThreadErrorInfo()) {
        record->GetSource(&exception->bstrSource);
        record->GetDescription(&exception->bstrDescription);
      }
    }
    return DISP_E_EXCEPTION;
  });
}

}  // namespace vellorax::com

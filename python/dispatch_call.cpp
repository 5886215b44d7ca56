#include "python/dispatch_call.h"

#include <algorithm>
#include <vector>

#include "python/com_error.h"
#include "python/variant_convert.h"

namespace veldrive {
namespace {

// Variants owned for the length of one call; cleared however the call ends.
class VariantList {
 public:
  explicit VariantList(std::size_t capacity) { items_.reserve(capacity); }
  ~VariantList() {
    for (auto& v : items_) VariantClear(&v);
  }
  VariantList(const VariantList&) = delete;
  VariantList& operator=(const VariantList&) = delete;
  VARIANT* add() {
    items_.emplace_back();
    VariantInit(&items_.back());
    return &items_.back();
  }
  std::vector<VARIANT>& items() { return items_; }

 private:
  std::vector<VARIANT> items_;  // capacity reserved up front: addresses stay put
};

// An argument that refers to a holder variant the member writes its [out] value into.
VARIANT byReference(VARIANT* holder) {
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_VARIANT;
  ref.pvarVal = holder;
  return ref;
}

}  // namespace

PyObject* invokeMember(const CallRequest& r) {
  const std::vector<ParamRole> noRoles;
  const std::vector<ParamRole>& roles =
      r.member && !r.putValue && (r.flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))
          ? r.member->callParams
          : noRoles;
  const std::size_t capacity = static_cast<std::size_t>(r.argCount) + roles.size() + 1;
  VariantList values(capacity);   // arguments and [out] holders
  std::vector<VARIANT> ordered;   // the arguments in declaration order
  std::vector<VARIANT*> outputs;  // holders of [out] and [in, out] values, in order
  bool hasRetval = false;

  // Declared parameters take the caller's arguments in order; an [out] parameter gets a
  // holder instead. Arguments beyond the declared ones are passed on for the server to
  // refuse; a missing [in] argument ends the list (the server reports it).
  Py_ssize_t next = 0;
  for (ParamRole role : roles) {
    if (role == ParamRole::Retval) {
      hasRetval = true;
      continue;
    }
    if (role == ParamRole::Out) {
      VARIANT* holder = values.add();
      outputs.push_back(holder);
      ordered.push_back(byReference(holder));
      continue;
    }
    if (next >= r.argCount) break;
    VARIANT* v = values.add();
    if (!variantFromPython(r.args[next++], v)) return nullptr;
    if (role == ParamRole::InOut) {
      outputs.push_back(v);
      ordered.push_back(byReference(v));
    } else {
      ordered.push_back(*v);
    }
  }
  for (; next < r.argCount; ++next) {
    VARIANT* v = values.add();
    if (!variantFromPython(r.args[next], v)) return nullptr;
    ordered.push_back(*v);
  }

  // rgvarg: named arguments first, then the positional ones last to first.
  std::vector<VARIANT> rgvarg;
  DISPID putId = DISPID_PROPERTYPUT;
  if (r.putValue) {
    VARIANT* v = values.add();
    if (!variantFromPython(r.putValue, v)) return nullptr;
    rgvarg.push_back(*v);
  }
  rgvarg.insert(rgvarg.end(), ordered.rbegin(), ordered.rend());
  DISPPARAMS params{rgvarg.empty() ? nullptr : rgvarg.data(), r.putValue ? &putId : nullptr,
                    static_cast<UINT>(rgvarg.size()), r.putValue ? 1u : 0u};

  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excepinfo{};
  UINT argErr = 0;
  beginCall();
  const HRESULT hr = r.target->Invoke(r.member->id, GUID_NULL, LOCALE_USER_DEFAULT, r.flags,
                                      &params, r.putValue ? nullptr : &result, &excepinfo, &argErr);
  if (FAILED(hr)) {
    VariantClear(&result);
    const HRESULT code = effectiveResult(hr, excepinfo);
    if (r.quietFailure && std::find(r.quiet.begin(), r.quiet.end(), code) != r.quiet.end()) {
      *r.quietFailure = code;
      raiseComError(hr, &excepinfo, r.what);  // frees the EXCEPINFO strings
      PyErr_Clear();
      return nullptr;
    }
    return raiseComError(hr, &excepinfo, r.what);
  }
  // Success by the code alone is not enough: a message the server showed meanwhile, or a
  // put answered with S_FALSE (the value was not taken), means the call had no effect.
  if (serverReportedError()) {
    VariantClear(&result);
    return raiseComError(DISP_E_EXCEPTION, &excepinfo, r.what);
  }
  if (r.putValue && hr == S_FALSE) return raiseComError(hr, &excepinfo, r.what);

  PyObject* value = pythonFromVariant(result);
  VariantClear(&result);
  if (!value || outputs.empty()) return value;

  const Py_ssize_t first = hasRetval ? 1 : 0;
  PyObject* tuple = PyTuple_New(first + static_cast<Py_ssize_t>(outputs.size()));
  if (!tuple) return Py_DECREF(value), nullptr;
  if (hasRetval)
    PyTuple_SET_ITEM(tuple, 0, value);
  else
    Py_DECREF(value);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    PyObject* out = pythonFromVariant(*outputs[i]);
    if (!out) return Py_DECREF(tuple), nullptr;
    PyTuple_SET_ITEM(tuple, first + static_cast<Py_ssize_t>(i), out);
  }
  return tuple;
}

}  // namespace veldrive

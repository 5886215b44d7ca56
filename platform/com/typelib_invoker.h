#pragma once
// One invoker per described function, made by a template over the member-function pointer:
//   typeLibInvoker<&IFoo::get_bar>   calls  static_cast<IFoo*>(instance)->get_bar(...)
// The parameter list is deduced from the member's own signature, so the unpacking cannot
// disagree with what the member takes. Supported parameter types:
//   [in]   SHORT, LONG, double, BSTR, I* (I an interface)
//   [out]  SHORT*, LONG*, double*, BSTR*, I**
// (VARIANT_BOOL is the same C++ type as SHORT, so a boolean parameter cannot be told apart
// from a 16-bit integer by its signature; the kernel's interfaces pass booleans as LONG.)
// typeLibVarType<T>() gives the VARTYPE a description states for such a parameter.

#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/com/typelib.h"

namespace typelib_detail {

template <class T>
struct Plain;
template <>
struct Plain<SHORT> {
  static constexpr VARTYPE vt = VT_I2;
  static SHORT get(const VARIANT& v) { return v.iVal; }
  static void set(VARIANT& v, SHORT x) { v.iVal = x; }
};
template <>
struct Plain<LONG> {
  static constexpr VARTYPE vt = VT_I4;
  static LONG get(const VARIANT& v) { return v.lVal; }
  static void set(VARIANT& v, LONG x) { v.lVal = x; }
};
template <>
struct Plain<double> {
  static constexpr VARTYPE vt = VT_R8;
  static double get(const VARIANT& v) { return v.dblVal; }
  static void set(VARIANT& v, double x) { v.dblVal = x; }
};

template <class T>
constexpr bool isInterface = std::is_class_v<T>&& std::is_base_of_v<IUnknown, T>;

// How one parameter of type T travels between its variant and the member.
template <class T, class = void>
struct Param;

// [in] numbers and booleans.
template <class T>
struct Param<T, std::enable_if_t<std::is_arithmetic_v<T>>> {
  static constexpr VARTYPE vt = Plain<T>::vt;
  explicit Param(VARIANT& v) : value(Plain<T>::get(v)) {}
  T arg() { return value; }
  void store(VARIANT&) {}
  T value;
};

// [in] strings, borrowed for the call.
template <>
struct Param<BSTR> {
  static constexpr VARTYPE vt = VT_BSTR;
  explicit Param(VARIANT& v) : value(v.bstrVal) {}
  BSTR arg() { return value; }
  void store(VARIANT&) {}
  BSTR value;
};

// [in] objects: the variant already holds a pointer to the declared interface.
template <class I>
struct Param<I*, std::enable_if_t<isInterface<I>>> {
  static constexpr VARTYPE vt = VT_DISPATCH;
  explicit Param(VARIANT& v) : value(static_cast<I*>(v.byref)) {}
  I* arg() { return value; }
  void store(VARIANT&) {}
  I* value;
};

// [out] and [in, out] numbers. A double has room for four values: farr writes
// f, f', f'', f''' through its one pointer, and a late-bound caller gives only one; the
// first of them goes back.
template <class T>
struct Param<T*, std::enable_if_t<std::is_arithmetic_v<T>>> {
  static constexpr VARTYPE vt = Plain<T>::vt;
  explicit Param(VARIANT& v) { value[0] = v.vt == vt ? Plain<T>::get(v) : T{}; }
  T* arg() { return value; }
  void store(VARIANT& v) {
    v.vt = vt;
    Plain<T>::set(v, value[0]);
  }
  T value[std::is_same_v<T, double> ? 4 : 1]{};
};

// [out] and [in, out] strings: the input (if any) stays owned by the variant until the
// member hands back its own string.
template <>
struct Param<BSTR*> {
  static constexpr VARTYPE vt = VT_BSTR;
  explicit Param(VARIANT& v) : in(v.vt == VT_BSTR ? v.bstrVal : nullptr), value(in) {}
  BSTR* arg() { return &value; }
  void store(VARIANT& v) {
    if (value != in) {
      VariantClear(&v);
      v.vt = VT_BSTR;
      v.bstrVal = value;
    }
  }
  BSTR in;
  BSTR value;
};

// [out] objects; the member's reference goes to the variant.
template <class I>
struct Param<I**, std::enable_if_t<isInterface<I>>> {
  static constexpr VARTYPE vt = VT_DISPATCH;
  explicit Param(VARIANT&) {}
  I** arg() { return &value; }
  void store(VARIANT& v) {
    VariantClear(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
  }
  I* value = nullptr;
};

template <auto Member>
struct MemberTraits;
template <class I, class... A, HRESULT (I::*Member)(A...)>
struct MemberTraits<Member> {
  using Interface = I;
  using Params = std::tuple<A...>;
  static constexpr std::size_t arity = sizeof...(A);

  template <std::size_t... K>
  static HRESULT call(void* instance, VARIANT* args, std::index_sequence<K...>) {
    std::tuple<Param<A>...> params{Param<A>(args[K])...};
    const HRESULT hr = (static_cast<I*>(instance)->*Member)(std::get<K>(params).arg()...);
    (std::get<K>(params).store(args[K]), ...);
    return hr;
  }
  static HRESULT invoke(void* instance, [[maybe_unused]] VARIANT* args) {
    return call(instance, args, std::index_sequence_for<A...>{});
  }
};

}  // namespace typelib_detail

// The invoker of a member function HRESULT (I::*)(A...).
template <auto Member>
constexpr TypeLibInvoker typeLibInvoker() {
  return &typelib_detail::MemberTraits<Member>::invoke;
}

// Number of parameters of a member function.
template <auto Member>
constexpr std::size_t typeLibArity() {
  return typelib_detail::MemberTraits<Member>::arity;
}

// The VARTYPE of parameter K of a member function (the pointed-to type for [out] ones).
template <auto Member, std::size_t K>
constexpr VARTYPE typeLibParamVarType() {
  using T = std::tuple_element_t<K, typename typelib_detail::MemberTraits<Member>::Params>;
  return typelib_detail::Param<T>::vt;
}

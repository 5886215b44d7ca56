#include "python/dispatch_object.h"

#include <new>
#include <string>
#include <unordered_map>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "python/com_error.h"
#include "python/dispatch_call.h"
#include "python/member_info.h"

namespace veldrive {
namespace {

PyTypeObject* gDispatchType = nullptr;
PyTypeObject* gMemberType = nullptr;

// What a wrapper owns: its object's reference, the type description and the members.
struct DispatchState {
  explicit DispatchState(IDispatch* d) : dispatch(d) {}
  ComPtr<IDispatch> dispatch;
  ComPtr<ITypeInfo> typeInfo;  // the object's type description, when it gives one
  bool typeInfoAsked = false;
  // Members looked up so far by name. Entries are never erased, so pointers into the map
  // stay valid for the wrapper's life (members handed out hold the wrapper).
  std::unordered_map<std::string, MemberInfo> members;
};

struct DispatchObject {
  PyObject_HEAD DispatchState* state;
  IDispatch* dispatch() const { return state->dispatch.get(); }
};

// d.value / server.segment / drv.compile: a member to call or index. Without a member it
// is d._dynamic, the object's dynamic members indexed by name.
struct BoundMember {
  PyObject_HEAD DispatchObject* owner;  // strong reference
  PyObject* name;                       // str
  const MemberInfo* member;             // null for d._dynamic
};

// The attribute through which a script adds a member at run time: d._dynamic["name"] = v.
// Every other name must be a member already, so that a misspelt one (d.lamda = 0.4) fails
// instead of becoming a member of its own.
constexpr char kDynamicMembers[] = "_dynamic";

DispatchObject* asDispatch(PyObject* o) {
  return gDispatchType && PyObject_TypeCheck(o, gDispatchType)
             ? reinterpret_cast<DispatchObject*>(o)
             : nullptr;
}

ITypeInfo* typeInfoOf(DispatchObject* self) {
  DispatchState& state = *self->state;
  if (!state.typeInfoAsked) {
    state.typeInfoAsked = true;
    UINT count = 0;
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(state.dispatch->GetTypeInfoCount(&count)) && count > 0 &&
        SUCCEEDED(state.dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())))
      state.typeInfo = std::move(info);
    SetErrorInfo(0, nullptr);  // an object without type information may have left some
  }
  return state.typeInfo.get();
}

// The member of that name, looked up once. With ensure, a name the object does not know
// becomes a new dynamic member when the object supports IDispatchEx.
MemberInfo* lookup(DispatchObject* self, const std::string& name, bool ensure) {
  std::unordered_map<std::string, MemberInfo>& members = self->state->members;
  if (auto it = members.find(name); it != members.end()) return &it->second;

  const Bstr wide(name);
  if (wide.isNull()) return PyErr_NoMemory(), nullptr;
  MemberInfo info;
  LPOLESTR names[] = {wide.get()};
  beginCall();
  HRESULT hr = self->dispatch()->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_USER_DEFAULT, &info.id);
  ComPtr<IDispatchEx> ex;
  if (hr == DISP_E_UNKNOWNNAME && ensure &&
      SUCCEEDED(self->state->dispatch.queryInterface(IID_IDispatchEx, &ex)) && ex) {
    beginCall();
    hr = ex->GetDispID(wide.get(), fdexNameEnsure | fdexNameCaseSensitive, &info.id);
  }
  if (FAILED(hr)) return raiseComError(hr, nullptr, "name " + name), nullptr;

  describeMember(typeInfoOf(self), &info);
  try {
    return &members.emplace(name, std::move(info)).first->second;
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory(), nullptr;
  }
}

PyObject* newBoundMember(DispatchObject* owner, PyObject* name, const MemberInfo* member) {
  auto* m = PyObject_New(BoundMember, gMemberType);
  if (!m) return nullptr;
  Py_INCREF(owner);
  Py_INCREF(name);
  m->owner = owner;
  m->name = name;
  m->member = member;
  return reinterpret_cast<PyObject*>(m);
}

bool isDunder(const std::string& s) {
  return s.size() > 4 && s.compare(0, 2, "__") == 0 && s.compare(s.size() - 2, 2, "__") == 0;
}

const char* utf8Name(PyObject* name) {
  if (!PyUnicode_Check(name)) {
    PyErr_SetString(PyExc_TypeError, "member names are strings");
    return nullptr;
  }
  return PyUnicode_AsUTF8(name);
}

// ---- DispatchObject ---------------------------------------------------------------------

void dispatchDealloc(PyObject* o) {
  auto* self = reinterpret_cast<DispatchObject*>(o);
  PyTypeObject* type = Py_TYPE(o);
  delete self->state;
  type->tp_free(o);
  Py_DECREF(type);
}

PyObject* dispatchGetAttr(PyObject* o, PyObject* nameObject) {
  auto* self = reinterpret_cast<DispatchObject*>(o);
  const char* chars = utf8Name(nameObject);
  if (!chars) return nullptr;
  const std::string name = chars;
  if (isDunder(name)) return PyObject_GenericGetAttr(o, nameObject);
  if (name == kDynamicMembers) return newBoundMember(self, nameObject, nullptr);

  MemberInfo* member = lookup(self, name, false);
  if (!member) return nullptr;
  if (member->kind == MemberKind::Callable) return newBoundMember(self, nameObject, member);

  CallRequest get;
  get.target = self->dispatch();
  get.member = member;
  get.flags = DISPATCH_PROPERTYGET;
  get.what = "get " + name;
  HRESULT refused = S_OK;
  if (member->kind == MemberKind::Unknown) {
    // Without a type description: a get that the member refuses for its kind or for missing
    // arguments shows it is a method or an indexed property.
    get.quiet = {DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTOPTIONAL};
    get.quietFailure = &refused;
  }
  PyObject* value = invokeMember(get);
  if (value) {
    if (member->kind == MemberKind::Unknown) member->kind = MemberKind::Property;
    return value;
  }
  if (refused == S_OK) return nullptr;
  member->kind = MemberKind::Callable;
  return newBoundMember(self, nameObject, member);
}

// Puts value into the member of that name; -1 with a Python error set.
int putMember(DispatchObject* self, const std::string& name, bool addIfMissing, PyObject* value) {
  MemberInfo* member = lookup(self, name, addIfMissing);
  if (!member) return -1;

  CallRequest put;
  put.target = self->dispatch();
  put.member = member;
  put.flags = DISPATCH_PROPERTYPUT;
  put.putValue = value;
  put.what = "put " + name;
  // An object may have to be put by reference: try that when the plain put is refused.
  HRESULT refused = S_OK;
  const bool isObject = dispatchOf(value) != nullptr;
  if (isObject) {
    put.quiet = {DISP_E_MEMBERNOTFOUND};
    put.quietFailure = &refused;
  }
  PyObject* done = invokeMember(put);
  if (!done && refused != S_OK) {
    put.flags = DISPATCH_PROPERTYPUTREF;
    put.quietFailure = nullptr;
    done = invokeMember(put);
  }
  if (!done) return -1;
  Py_DECREF(done);
  return 0;
}

int dispatchSetAttr(PyObject* o, PyObject* nameObject, PyObject* value) {
  auto* self = reinterpret_cast<DispatchObject*>(o);
  const char* chars = utf8Name(nameObject);
  if (!chars) return -1;
  const std::string name = chars;
  if (isDunder(name)) return PyObject_GenericSetAttr(o, nameObject, value);
  if (!value) {
    PyErr_Format(PyExc_AttributeError, "members of automation objects cannot be deleted ('%s')",
                 chars);
    return -1;
  }
  return putMember(self, name, false, value);
}

// The object's IUnknown address; only the address is wanted, the object keeps it alive.
IUnknown* identity(IDispatch* d) {
  ComPtr<IUnknown> unknown;
  if (FAILED(d->QueryInterface(IID_IUnknown, unknown.putVoid())) || !unknown) return d;
  return unknown.get();
}

PyObject* dispatchRichCompare(PyObject* a, PyObject* b, int op) {
  IDispatch* x = dispatchOf(a);
  IDispatch* y = dispatchOf(b);
  if (!x || !y || (op != Py_EQ && op != Py_NE)) Py_RETURN_NOTIMPLEMENTED;
  const bool same = identity(x) == identity(y);
  return PyBool_FromLong((op == Py_EQ) == same);
}

Py_hash_t dispatchHash(PyObject* o) {
  return _Py_HashPointer(identity(reinterpret_cast<DispatchObject*>(o)->dispatch()));
}

PyObject* dispatchRepr(PyObject* o) {
  auto* self = reinterpret_cast<DispatchObject*>(o);
  std::string typeName = "IDispatch";
  if (ITypeInfo* info = typeInfoOf(self)) {
    Bstr name;
    if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)) &&
        !name.isNull())
      typeName = name.utf8();
  }
  return PyUnicode_FromFormat("<veldrive.DispatchObject %s at %p>", typeName.c_str(),
                              static_cast<void*>(self->dispatch()));
}

// dir(d): the names its type description lists.
PyObject* dispatchDir(PyObject* o, PyObject*) {
  auto* self = reinterpret_cast<DispatchObject*>(o);
  PyObject* names = PyList_New(0);
  ITypeInfo* info = typeInfoOf(self);
  TYPEATTR* attr = nullptr;
  if (!names || !info || FAILED(info->GetTypeAttr(&attr)) || !attr) return names;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (WORD i = 0; i < count; ++i) {
    FUNCDESC* fd = nullptr;
    if (FAILED(info->GetFuncDesc(i, &fd)) || !fd) continue;
    Bstr name;
    UINT got = 0;
    if (SUCCEEDED(info->GetNames(fd->memid, name.put(), 1, &got)) && got == 1) {
      const std::string text = name.utf8();
      PyObject* s = PyUnicode_FromString(text.c_str());
      const bool ok = s && (PySequence_Contains(names, s) == 1 || PyList_Append(names, s) == 0);
      Py_XDECREF(s);
      if (!ok) PyErr_Clear();
    }
    info->ReleaseFuncDesc(fd);
  }
  return names;
}

PyMethodDef kDispatchMethods[] = {
    {"__dir__", dispatchDir, METH_NOARGS, "The member names of the object's type description."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot kDispatchSlots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(dispatchDealloc)},
    {Py_tp_getattro, reinterpret_cast<void*>(dispatchGetAttr)},
    {Py_tp_setattro, reinterpret_cast<void*>(dispatchSetAttr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(dispatchRichCompare)},
    {Py_tp_hash, reinterpret_cast<void*>(dispatchHash)},
    {Py_tp_repr, reinterpret_cast<void*>(dispatchRepr)},
    {Py_tp_methods, kDispatchMethods},
    {Py_tp_doc,
     const_cast<char*>(
         "An automation object reached through IDispatch; its members are its attributes.")},
    {0, nullptr},
};

PyType_Spec kDispatchSpec = {"veldrive.DispatchObject", sizeof(DispatchObject), 0,
                             Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
                             kDispatchSlots};

// ---- BoundMember ------------------------------------------------------------------------

void memberDealloc(PyObject* o) {
  auto* self = reinterpret_cast<BoundMember*>(o);
  PyTypeObject* type = Py_TYPE(o);
  Py_DECREF(self->owner);
  Py_DECREF(self->name);
  type->tp_free(o);
  Py_DECREF(type);
}

std::string memberName(BoundMember* self) {
  const char* s = PyUnicode_AsUTF8(self->name);
  return s ? s : "?";
}

PyObject* memberInvoke(BoundMember* self, WORD flags, PyObject* key, PyObject* putValue,
                       const std::string& what) {
  // Several indices arrive as one tuple: value["a", 1] passes "a" and 1.
  PyObject* const* args = nullptr;
  Py_ssize_t count = 0;
  if (key && PyTuple_Check(key)) {
    args = &PyTuple_GET_ITEM(key, 0);
    count = PyTuple_GET_SIZE(key);
  } else if (key) {
    args = &key;
    count = 1;
  }
  CallRequest r;
  r.target = self->owner->dispatch();
  r.member = self->member;
  r.flags = flags;
  r.args = args;
  r.argCount = count;
  r.putValue = putValue;
  r.what = what + " " + memberName(self);
  return invokeMember(r);
}

bool refuseDynamic(BoundMember* self) {
  if (self->member) return false;
  PyErr_SetString(PyExc_TypeError, "_dynamic is indexed by a member name: obj._dynamic[\"name\"]");
  return true;
}

PyObject* memberCall(PyObject* o, PyObject* args, PyObject* kwargs) {
  if (refuseDynamic(reinterpret_cast<BoundMember*>(o))) return nullptr;
  if (kwargs && PyDict_Size(kwargs) > 0) {
    PyErr_SetString(PyExc_TypeError, "automation members take positional arguments only");
    return nullptr;
  }
  return memberInvoke(reinterpret_cast<BoundMember*>(o), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                      args, nullptr, "call");
}

PyObject* memberGetItem(PyObject* o, PyObject* key) {
  auto* self = reinterpret_cast<BoundMember*>(o);
  if (!self->member) return dispatchGetAttr(reinterpret_cast<PyObject*>(self->owner), key);
  return memberInvoke(reinterpret_cast<BoundMember*>(o), DISPATCH_PROPERTYGET, key, nullptr, "get");
}

int memberSetItem(PyObject* o, PyObject* key, PyObject* value) {
  if (!value) {
    PyErr_SetString(PyExc_TypeError, "indexed automation properties cannot be deleted");
    return -1;
  }
  auto* self = reinterpret_cast<BoundMember*>(o);
  if (!self->member) {
    const char* name = utf8Name(key);
    return name ? putMember(self->owner, name, true, value) : -1;
  }
  PyObject* done =
      memberInvoke(reinterpret_cast<BoundMember*>(o), DISPATCH_PROPERTYPUT, key, value, "put");
  if (!done) return -1;
  Py_DECREF(done);
  return 0;
}

PyObject* memberRepr(PyObject* o) {
  auto* self = reinterpret_cast<BoundMember*>(o);
  if (!self->member)
    return PyUnicode_FromFormat("<veldrive dynamic members of %R>",
                                reinterpret_cast<PyObject*>(self->owner));
  return PyUnicode_FromFormat("<veldrive member %R (dispatch id %ld) of %R>", self->name,
                              static_cast<long>(self->member->id),
                              reinterpret_cast<PyObject*>(self->owner));
}

PyType_Slot kMemberSlots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(memberDealloc)},
    {Py_tp_call, reinterpret_cast<void*>(memberCall)},
    {Py_mp_subscript, reinterpret_cast<void*>(memberGetItem)},
    {Py_mp_ass_subscript, reinterpret_cast<void*>(memberSetItem)},
    {Py_tp_repr, reinterpret_cast<void*>(memberRepr)},
    {Py_tp_doc,
     const_cast<char*>("A member of an automation object: call it, or index it to get or put "
                       "a property that takes arguments.")},
    {0, nullptr},
};

PyType_Spec kMemberSpec = {"veldrive.Member", sizeof(BoundMember), 0,
                           Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, kMemberSlots};

}  // namespace

bool addDispatchTypes(PyObject* module) {
  gDispatchType = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&kDispatchSpec));
  if (!gDispatchType) return false;
  gMemberType = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&kMemberSpec));
  if (!gMemberType) return false;
  Py_INCREF(gDispatchType);
  if (PyModule_AddObject(module, "DispatchObject", reinterpret_cast<PyObject*>(gDispatchType)) < 0)
    return Py_DECREF(gDispatchType), false;
  Py_INCREF(gMemberType);
  if (PyModule_AddObject(module, "Member", reinterpret_cast<PyObject*>(gMemberType)) < 0)
    return Py_DECREF(gMemberType), false;
  return true;
}

PyObject* wrapDispatch(IDispatch* d) {
  auto* self = PyObject_New(DispatchObject, gDispatchType);
  if (!self) return nullptr;
  self->state = new (std::nothrow) DispatchState(d);
  if (!self->state) {
    Py_DECREF(self);
    return PyErr_NoMemory();
  }
  return reinterpret_cast<PyObject*>(self);
}

IDispatch* dispatchOf(PyObject* object) {
  DispatchObject* self = asDispatch(object);
  return self ? self->dispatch() : nullptr;
}

PyObject* invokeByName(PyObject* object, PyObject* nameObject, WORD flags, PyObject* const* args,
                       Py_ssize_t argCount, PyObject* putValue) {
  DispatchObject* self = asDispatch(object);
  if (!self) {
    PyErr_SetString(PyExc_TypeError, "a veldrive.DispatchObject is needed");
    return nullptr;
  }
  const char* chars = utf8Name(nameObject);
  if (!chars) return nullptr;
  const std::string name = chars;
  MemberInfo* member = lookup(self, name, false);
  if (!member) return nullptr;
  CallRequest r;
  r.target = self->dispatch();
  r.member = member;
  r.flags = flags;
  r.args = args;
  r.argCount = argCount;
  r.putValue = putValue;
  r.what = (putValue ? "put " : (flags & DISPATCH_METHOD) ? "call " : "get ") + name;
  return invokeMember(r);
}

}  // namespace veldrive

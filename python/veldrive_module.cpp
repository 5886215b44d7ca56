// The Python module `veldrive`: a client of automation servers. Objects are created through
// class activation (registered ProgID -> class identifier -> in-process server library) and
// used through late-bound dispatch by name:
//
//   import veldrive
//   server = veldrive.Dispatch("VelDriveServer.1")
//   drv = server.newDrive("demo")
//   seg = server.segment("ModSine"); seg.value["fd1"] = 0.5; drv.add(seg)
//
// Failures raise veldrive.ComError with the result code and the server's message.

#include <Python.h>
#include <dlfcn.h>

#include <string>

#include "platform/com/activation.h"
#include "platform/com/com_ptr.h"
#include "platform/com/registry.h"
#include "python/com_error.h"
#include "python/dispatch_object.h"

namespace {

using veldrive::raiseComError;

// The registry form of a class identifier, or a ProgID looked up in the registry.
HRESULT classIdOf(const std::string& name, CLSID* clsid) {
  if (!name.empty() && name.front() == '{') {
    if (auto guid = guidFromString(name)) return *clsid = *guid, S_OK;
    return CO_E_CLASSSTRING;
  }
  return CLSIDFromProgID(std::string_view(name), clsid);
}

PyObject* dispatchCreate(PyObject*, PyObject* args) {
  const char* progId = nullptr;
  if (!PyArg_ParseTuple(args, "s:Dispatch", &progId)) return nullptr;
  const std::string what = std::string("create \"") + progId + "\"";
  veldrive::beginCall();
  CLSID clsid;
  HRESULT hr = classIdOf(progId, &clsid);
  if (FAILED(hr)) return raiseComError(hr, nullptr, what);
  ComPtr<IDispatch> d;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.putVoid());
  if (FAILED(hr) || !d) return raiseComError(FAILED(hr) ? hr : E_NOINTERFACE, nullptr, what);
  return veldrive::wrapDispatch(d.get());  // the wrapper holds a reference of its own
}

// The in-process server library registered for a ProgID, loaded (it stays loaded).
void* serverLibraryOf(const std::string& progId, const std::string& what) {
  CLSID clsid;
  HRESULT hr = classIdOf(progId, &clsid);
  if (FAILED(hr)) return raiseComError(hr, nullptr, what), nullptr;
  std::string file;
  HKEY key = nullptr;
  const std::string path = "CLSID\\" + guidToString(clsid) + "\\InprocServer32";
  if (RegOpenKey(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS ||
      RegQueryValueText(key, nullptr, &file) != ERROR_SUCCESS) {
    if (key) RegCloseKey(key);
    return raiseComError(REGDB_E_CLASSNOTREG, nullptr, what), nullptr;
  }
  RegCloseKey(key);
  std::string error;
  void* library = loadServerLibrary(file, &error);
  if (!library) PyErr_Format(PyExc_OSError, "%s: %s", what.c_str(), error.c_str());
  return library;
}

// _can_unload(progid): what the server library's DllCanUnloadNow answers: True when it
// holds no objects and no locks.
PyObject* canUnload(PyObject*, PyObject* args) {
  const char* progId = nullptr;
  if (!PyArg_ParseTuple(args, "s:_can_unload", &progId)) return nullptr;
  const std::string what = std::string("DllCanUnloadNow of \"") + progId + "\"";
  void* library = serverLibraryOf(progId, what);
  if (!library) return nullptr;
  auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(library, "DllCanUnloadNow"));
  if (!canUnloadNow) return raiseComError(CO_E_ERRORINDLL, nullptr, what);
  const HRESULT hr = canUnloadNow();
  if (FAILED(hr)) return raiseComError(hr, nullptr, what);
  return PyBool_FromLong(hr == S_OK);
}

// get(obj, name, *args) / call(obj, name, *args) / put(obj, name, *args, value).
PyObject* byName(PyObject* args, WORD flags, bool put, const char* usage) {
  const Py_ssize_t n = PyTuple_GET_SIZE(args);
  const Py_ssize_t fixed = put ? 3 : 2;
  if (n < fixed) {
    PyErr_SetString(PyExc_TypeError, usage);
    return nullptr;
  }
  PyObject* const* items = &PyTuple_GET_ITEM(args, 0);
  // The value of a put is the last argument; the property's own arguments stand between.
  return veldrive::invokeByName(items[0], items[1], flags, items + 2, n - fixed,
                                put ? items[n - 1] : nullptr);
}

PyObject* getByName(PyObject*, PyObject* args) {
  return byName(args, DISPATCH_PROPERTYGET, false, "get(obj, name, *args)");
}
PyObject* callByName(PyObject*, PyObject* args) {
  return byName(args, DISPATCH_METHOD | DISPATCH_PROPERTYGET, false, "call(obj, name, *args)");
}
PyObject* putByName(PyObject*, PyObject* args) {
  return byName(args, DISPATCH_PROPERTYPUT, true, "put(obj, name, *args, value)");
}

PyObject* echoMessages(PyObject*, PyObject* args) {
  int on = 1;
  if (!PyArg_ParseTuple(args, "p:echo_messages", &on)) return nullptr;
  return PyBool_FromLong(veldrive::setMessageEcho(on != 0));
}

PyMethodDef kMethods[] = {
    {"Dispatch", dispatchCreate, METH_VARARGS,
     "Dispatch(progid) -> DispatchObject\n\nCreates an object of the registered class (a ProgID "
     "such as \"VelDriveServer.1\", or a class identifier in braces) through class activation."},
    {"get", getByName, METH_VARARGS, "get(obj, name, *args): property get of a member by name."},
    {"call", callByName, METH_VARARGS, "call(obj, name, *args): calls a member by name."},
    {"put", putByName, METH_VARARGS,
     "put(obj, name, *args, value): property put by name; args are the property's arguments "
     "(put(seg, \"value\", \"fd1\", 0.5) is seg.value[\"fd1\"] = 0.5)."},
    {"echo_messages", echoMessages, METH_VARARGS,
     "echo_messages(on) -> previous: whether server messages are also written to stderr."},
    {"_can_unload", canUnload, METH_VARARGS,
     "_can_unload(progid) -> bool: DllCanUnloadNow of the class's server library is S_OK."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT,
                       "veldrive",
                       "A client of in-process automation servers (late-bound dispatch by name).",
                       -1,
                       kMethods,
                       nullptr,
                       nullptr,
                       nullptr,
                       nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_veldrive() {
  PyObject* module = PyModule_Create(&kModule);
  if (!module) return nullptr;
  if (!veldrive::addErrorTypes(module) || !veldrive::addDispatchTypes(module)) {
    Py_DECREF(module);
    return nullptr;
  }
  CoInitialize(nullptr);
  veldrive::installMessageCollector();
  return module;
}

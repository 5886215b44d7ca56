#include "python/com_error.h"

#include <cstdio>
#include <cstring>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "platform/msgbox/message_box.h"

namespace veldrive {
namespace {

PyObject* gComError = nullptr;
PyObject* gUnknownNameError = nullptr;

std::vector<std::string> gMessages;  // shown since the last beginCall (GIL-protected)
bool gEcho = true;

std::string trimmed(const char* text) {
  std::string s = text ? text : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

int collectMessage(const char* text, const char* title) {
  std::string line = trimmed(text);
  if (gEcho) {
    std::fprintf(stderr, "%s: %s\n", title ? title : "", line.c_str());
    std::fflush(stderr);
  }
  try {
    gMessages.push_back(std::move(line));
  } catch (...) {
    // Out of memory: the message was echoed at least.
  }
  return kMessageBoxOk;
}

std::string describeErrorInfo() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
  Bstr description;
  if (FAILED(info->GetDescription(description.put()))) return {};
  return trimmed(description.utf8().c_str());
}

std::string takeExcepInfo(EXCEPINFO* e) {
  if (!e) return {};
  if (e->pfnDeferredFillIn) {
    e->pfnDeferredFillIn(e);
    e->pfnDeferredFillIn = nullptr;
  }
  std::string text = trimmed(utf8FromBstr(e->bstrDescription).c_str());
  ExcepInfoClear(e);
  return text;
}

std::string hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}

}  // namespace

bool addErrorTypes(PyObject* module) {
  gComError = PyErr_NewExceptionWithDoc(
      "veldrive.ComError",
      "A failed automation call: .hresult (unsigned 32-bit result code), .message (the "
      "server's text) and .messages (message boxes shown during the call).",
      nullptr, nullptr);
  if (!gComError) return false;
  PyObject* bases = Py_BuildValue("(OO)", gComError, PyExc_AttributeError);
  if (!bases) return false;
  gUnknownNameError = PyErr_NewExceptionWithDoc(
      "veldrive.UnknownNameError", "The object has no member of that name (DISP_E_UNKNOWNNAME).",
      bases, nullptr);
  Py_DECREF(bases);
  if (!gUnknownNameError) return false;
  Py_INCREF(gComError);
  if (PyModule_AddObject(module, "ComError", gComError) < 0) return Py_DECREF(gComError), false;
  Py_INCREF(gUnknownNameError);
  if (PyModule_AddObject(module, "UnknownNameError", gUnknownNameError) < 0)
    return Py_DECREF(gUnknownNameError), false;
  return true;
}

void installMessageCollector() { setMessageBoxHandler(collectMessage); }

bool setMessageEcho(bool on) {
  const bool old = gEcho;
  gEcho = on;
  return old;
}

void beginCall() {
  gMessages.clear();
  SetErrorInfo(0, nullptr);
}

bool serverReportedError() { return !gMessages.empty(); }

HRESULT effectiveResult(HRESULT hr, const EXCEPINFO& e) {
  if (hr != DISP_E_EXCEPTION) return hr;
  if (e.scode != 0) return e.scode;
  // wCode: an application error number; 1000 and above map into FACILITY_ITF's range.
  if (e.wCode != 0) return static_cast<HRESULT>(0x80040000u + e.wCode);
  return hr;
}

std::string standardText(HRESULT hr) {
  struct Entry {
    HRESULT hr;
    const char* text;
  };
  static const Entry kTexts[] = {
      {S_FALSE, "The object did not take the value."},  // raised for puts only
      {E_FAIL, "Unspecified error."},
      {E_NOTIMPL, "Not implemented."},
      {E_NOINTERFACE, "No such interface supported."},
      {E_POINTER, "Invalid pointer."},
      {E_INVALIDARG, "The parameter is incorrect."},
      {E_OUTOFMEMORY, "Not enough memory."},
      {E_UNEXPECTED, "Catastrophic failure."},
      {DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
      {DISP_E_MEMBERNOTFOUND, "Member not found."},
      {DISP_E_PARAMNOTFOUND, "Parameter not found."},
      {DISP_E_TYPEMISMATCH, "Type mismatch."},
      {DISP_E_UNKNOWNNAME, "Unknown name."},
      {DISP_E_NONAMEDARGS, "No named arguments."},
      {DISP_E_BADVARTYPE, "Bad variable type."},
      {DISP_E_EXCEPTION, "Exception occurred."},
      {DISP_E_OVERFLOW, "Out of present range."},
      {DISP_E_BADINDEX, "Invalid index."},
      {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
      {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
      {CO_E_CLASSSTRING, "Invalid class string."},
      {CO_E_DLLNOTFOUND, "The server library could not be found."},
      {CO_E_ERRORINDLL, "The server library is not a valid server."},
      {REGDB_E_CLASSNOTREG, "Class not registered."},
      {REGDB_E_READREGDB, "The registry could not be read."},
      {CLASS_E_CLASSNOTAVAILABLE, "Class not available."},
      {CLASS_E_NOAGGREGATION, "Class does not support aggregation."},
  };
  for (const auto& e : kTexts)
    if (e.hr == hr) return e.text;
  return {};
}

PyObject* raiseComError(HRESULT hr, EXCEPINFO* excepinfo, const std::string& what) {
  const HRESULT code = excepinfo ? effectiveResult(hr, *excepinfo) : hr;
  std::string message = describeErrorInfo();
  const std::string fromExcepInfo = takeExcepInfo(excepinfo);
  if (message.empty()) message = fromExcepInfo;
  if (message.empty() && !gMessages.empty()) {
    for (const auto& m : gMessages) message += (message.empty() ? "" : "\n") + m;
  }
  if (message.empty()) {
    message = standardText(code);
    if (message.empty()) message = "Automation error " + hex(code) + ".";
  }
  const std::string text = what + ": " + message + " [" + hex(code) + "]";

  PyObject* type = code == DISP_E_UNKNOWNNAME ? gUnknownNameError : gComError;
  PyObject* error = PyObject_CallFunction(type, "s", text.c_str());
  if (!error) return nullptr;
  PyObject* messages = PyList_New(0);
  bool ok = messages != nullptr;
  for (std::size_t i = 0; ok && i < gMessages.size(); ++i) {
    PyObject* m = PyUnicode_DecodeUTF8(gMessages[i].data(),
                                       static_cast<Py_ssize_t>(gMessages[i].size()), "replace");
    ok = m && PyList_Append(messages, m) == 0;
    Py_XDECREF(m);
  }
  PyObject* hresult = ok ? PyLong_FromUnsignedLong(static_cast<std::uint32_t>(code)) : nullptr;
  PyObject* msg =
      ok ? PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace")
         : nullptr;
  ok = hresult && msg && PyObject_SetAttrString(error, "hresult", hresult) == 0 &&
       PyObject_SetAttrString(error, "message", msg) == 0 &&
       PyObject_SetAttrString(error, "messages", messages) == 0;
  Py_XDECREF(hresult);
  Py_XDECREF(msg);
  Py_XDECREF(messages);
  if (ok) PyErr_SetObject(type, error);
  Py_DECREF(error);
  return nullptr;
}

}  // namespace veldrive

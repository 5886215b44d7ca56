#pragma once
// Failures of automation calls as Python exceptions, and the kernel's messages.
//
// veldrive.ComError carries .hresult (the result code as an unsigned 32-bit number),
// .message (the best text there is: the thread's error information, else the EXCEPINFO
// description, else the messages the server showed during the call, else the standard text
// of the code) and .messages (every message box text shown during the call).
// veldrive.UnknownNameError derives from ComError and AttributeError, so getattr() with a
// default and hasattr() work on dispatch objects.

#include <Python.h>

#include <string>
#include <vector>

#include "platform/com/interfaces.h"

namespace veldrive {

// Creates the exception classes and adds them to the module; false with a Python error set.
bool addErrorTypes(PyObject* module);

// Installs the message-box handler that collects the server's messages (and echoes them to
// standard error as "<title>: <text>" unless echoing is turned off).
void installMessageCollector();
bool setMessageEcho(bool on);  // returns the previous setting

// Marks the start of one call: forgets messages collected so far and clears the thread's
// error information, so that what is found after the call belongs to it.
void beginCall();
// Whether the server showed an error message since beginCall: a call that succeeded by its
// result code but during which the server reported an error did not do what was asked.
bool serverReportedError();

// Sets a ComError (or UnknownNameError for DISP_E_UNKNOWNNAME) for hr. excepinfo, when
// given, is read (its deferred fill-in called) and its strings are freed. what names the
// operation for the standard text ("get z0"). Returns null for the caller to pass on.
PyObject* raiseComError(HRESULT hr, EXCEPINFO* excepinfo, const std::string& what);

// The result code DISP_E_EXCEPTION stands for: the scode (or wCode) of the EXCEPINFO.
HRESULT effectiveResult(HRESULT hr, const EXCEPINFO& excepinfo);

// The standard text of a result code ("Unknown name.", ...); empty when unknown.
std::string standardText(HRESULT hr);

}  // namespace veldrive

#pragma once
// veldrive.DispatchObject: a Python object over any IDispatch. Attributes are the object's
// members, found by name through GetIDsOfNames once per name and object:
//   d.z0            property get            d.periodic = 1   property put
//   d.compile()     method call             server.segment("Linear")  get with arguments
//   seg.value["fd1"] = 0.5 / seg.value["fd1"]   put / get with arguments
//   d._dynamic["note"] = "x"   adds a member at run time (IDispatchEx) and puts into it
// A name that is no member raises UnknownNameError (an AttributeError), for puts too: only
// _dynamic adds members, so a misspelt name never becomes one.
// Objects that come back are wrapped again. The wrapper holds one reference on the object
// and releases it when Python frees the wrapper. Wrappers compare equal when they stand for
// the same object (same IUnknown).

#include <Python.h>

#include "platform/com/interfaces.h"

namespace veldrive {

// Creates the types and adds DispatchObject to the module; false with a Python error set.
bool addDispatchTypes(PyObject* module);

// A new wrapper over d, which gets a reference of its own.
PyObject* wrapDispatch(IDispatch* d);

// The object a wrapper stands for (borrowed); null without an error for anything else.
IDispatch* dispatchOf(PyObject* object);

// The module's helpers, for names that attribute syntax cannot reach and for puts with
// arguments: invoke(obj, name, flags, args, putValue) with flags DISPATCH_*.
PyObject* invokeByName(PyObject* object, PyObject* name, WORD flags, PyObject* const* args,
                       Py_ssize_t argCount, PyObject* putValue);

}  // namespace veldrive

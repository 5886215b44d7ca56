#pragma once
// The test server's class and interface, shared by the server library and the tests.

#include "platform/com/interfaces.h"

DEFINE_GUID(CLSID_TestCounter, 0x3F1C2A10, 0x5B7E, 0x4C21, 0x9A, 0x41, 0x6E, 0x0D, 0x11, 0x22, 0x33,
            0x44);
DEFINE_GUID(IID_ITestCounter, 0x3F1C2A11, 0x5B7E, 0x4C21, 0x9A, 0x41, 0x6E, 0x0D, 0x11, 0x22, 0x33,
            0x44);

struct ITestCounter : IUnknown {
  virtual HRESULT get_value(LONG* value) = 0;
  virtual HRESULT put_value(LONG value) = 0;
};

// Exported by the server besides DllGetClassObject and DllCanUnloadNow: live objects.
using TestServerObjectCountFn = LONG (*)();

#pragma once
// The kernel's type library VelDriveLib: the three dual interfaces with their members,
// dispatch ids, kinds, parameters and help texts, and the two creatable classes. It is
// compiled into the library; the library file publishes it as its type-library resource.

#include "platform/com/typelib.h"

// The description itself (lives for the whole process).
const TypeLibDesc& velDriveTypeLibDesc();
// The compiled-in type library with one reference added for the caller.
ITypeLib* velDriveTypeLib();

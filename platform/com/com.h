#pragma once
// The automation subset in one include.

#include "platform/com/activation.h"
#include "platform/com/bstr.h"
#include "platform/com/categories.h"
#include "platform/com/com_ptr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/interfaces.h"
#include "platform/com/registry.h"
#include "platform/com/types.h"
#include "platform/com/variant.h"

#pragma once
// The kernel's core API in one header: support library, motion laws and drive model.

#include "kernel/support/auxcom.h"
#include "kernel/support/numeric.h"
#include "kernel/laws/law_types.h"
#include "kernel/laws/base_drive.h"
#include "kernel/laws/basic_laws.h"

#pragma once
// The kernel's core API in one header: support library, motion laws and drive model.

#include "kernel/support/auxcom.h"
#include "kernel/support/numeric.h"

#include "kernel/laws/base_drive.h"
#include "kernel/laws/basic_laws.h"
#include "kernel/laws/derived_laws.h"
#include "kernel/laws/harm_comb.h"
#include "kernel/laws/incl_sine.h"
#include "kernel/laws/law_types.h"
#include "kernel/laws/mod_sine.h"
#include "kernel/laws/mod_trapez.h"
#include "kernel/laws/poly5.h"
#include "kernel/laws/sine_linear.h"

#include "kernel/model/segment_core.h"
#include "kernel/model/value_names.h"

#pragma once
// The nine segment types, one header per family.

#include "kernel/model/seg_basic.h"
#include "kernel/model/seg_poly.h"
#include "kernel/model/seg_sine.h"

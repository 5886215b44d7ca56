#pragma once
// auxcom: the kernel's support library. Error messages, trace lines, the scanner that
// reads structured text, conversions between automation strings and 8-bit text, and two
// growable containers. This header gathers the pieces.

#include "kernel/support/auxcom_messages.h"  // reportError, setErrorHook
#include "kernel/support/auxcom_trace.h"     // traceDebug
#include "kernel/support/ptr_array.h"        // PtrArray, PtrArrayOf<T>
#include "kernel/support/scanner.h"          // scan, scanv, nextToken
#include "kernel/support/text_buffer.h"      // TextBuffer
#include "kernel/support/text_conversion.h"  // bstrToText, bstrToNewText, textToBstr

#pragma once
// The fixed-width integer and pointer names that automation code is written with.
// Widths follow the 32-bit model of the interfaces: LONG and ULONG are 32 bits everywhere.

#include <cstdint>

#include "platform/com/bstr.h"

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using BOOL = std::int32_t;
using ULONG_PTR = std::uintptr_t;
using PVOID = void*;
using LPVOID = void*;
using LPOLESTR = OLECHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using CLIPFORMAT = WORD;

// Locale identifiers; the kernel passes them on and never interprets them.
using LCID = DWORD;
constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_ENGLISH_US = 0x0409;  // language 1033

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

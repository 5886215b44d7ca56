#pragma once
// The table of named values: exact, case-sensitive lookup in both directions.

#include "kernel/laws/law_types.h"

// The code of a value name, or vtNone for a name that is not in the table (or null).
ValueType valueTypeFromName(const char* name);
// The name of a code, or "" for a code that is not in the table.
const char* valueTypeName(int code);

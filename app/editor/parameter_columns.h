#pragma once
// The twelve law parameters of the input table: the grid column that holds each, the kernel
// value name it is sent as (unchanged, to isVarValue and value), the column header and the
// German description.

#include <array>

struct ParameterColumn {
  int column;
  const char* kernelName;
  const char* header;
  const char* description;
};

inline constexpr std::array<ParameterColumn, 12> kParameterColumns{{
    {4, "fd0", "f' Beg", "Steigung am Abschnitsbeginn"},
    {5, "fd1", "f' End", "Steigung am Abschnitsende"},
    {6, "fdd0", "f'' Beg", "Krümmung am Abschnitsbeginn"},
    {7, "fdd1", "f'' End", "Krümmung am Abschnitsende"},
    {8, "lambda", "Lambda", "Beiwert der Wendepunktverschiebung"},
    {9, "c", "C", "Kennwert der Sinus-Gerade Kombination"},
    {10, "Cv", "Cv", "Geschwindigkeitsbeiwert"},
    {11, "Ca", "Ca", "Beschleunigungsbeiwert"},
    {12, "Ca*", "Ca*", "Beschleunigungsbeiwert"},
    {13, "Ca=Ca*", "Ca=Ca*", "Bedingung zur Auslegung des ModSinus"},
    {14, "Cj", "Cj", "Ruckbeiwert"},
    {15, "Cj*", "Cj*", "Ruckbeiwert"},
}};

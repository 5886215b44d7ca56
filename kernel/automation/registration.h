#pragma once
// Registration of the in-process server: writing and removing the class records' registry
// tables, the type library's registration, and the two safety categories.
//
// A registry table is a list of VelRegEntry ended by an entry whose flags are all set. An
// entry with a root starts a key path (and becomes the base of the entries after it); an
// entry without one names a key below that base. Flag kVelRegDeleteFirst deletes the key with
// everything under it before it is written, kVelRegDeleteOnly only deletes it, kVelRegKeep
// keeps it when unregistering. A value kVelRegModulePath stands for this library's full path.

#include <string>

#include "kernel/automation/vel_module.h"

// The full path of the file that holds this code (the shared library, or the program it is
// linked into), made absolute; empty when it cannot be found.
std::string velModulePath();
// The path of file in the folder of this library ("<folder>/<file>").
std::string velModuleSibling(const char* file);

// Writes table. With typeLib, first loads the type library from this library's file and
// registers it (any failure: SELFREG_E_TYPELIB, nothing written). A table that cannot be
// written is not written at all: SELFREG_E_CLASS.
HRESULT velRegisterTable(const VelRegEntry* table, bool typeLib);
// Removes table (keys flagged kVelRegKeep or kVelRegDeleteOnly stay; a key already gone is
// no failure). With typeLib, first unregisters this library's type library.
HRESULT velUnregisterTable(const VelRegEntry* table, bool typeLib);

// Registers the categories "safe for initialising" and "safe for scripting" and marks clsid
// as implementing both.
HRESULT velRegisterSafetyCategories(REFCLSID clsid);
// Removes clsid's two marks; the categories stay registered.
HRESULT velUnregisterSafetyCategories(REFCLSID clsid);

// The bodies of DllRegisterServer and DllUnregisterServer: every class record with a class
// identifier, in table order, while no step failed. Return the last result code.
HRESULT velRegisterServer();
HRESULT velUnregisterServer();

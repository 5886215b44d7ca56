#pragma once
// The module record of the in-process server: the live-object and lock counts that
// DllCanUnloadNow reads, the loaded type library, and the table of class records.

#include <atomic>
#include <cstdint>

#include "platform/com/interfaces.h"

// One entry of a registry table; the table ends with an entry whose flags are all set.
struct VelRegEntry {
  int root;  // 0: the key of the last entry that named a root
  const char* key;
  const char* valueName;  // null: the key's default value
  const char* value;      // kVelRegModulePath: this library's full path
  unsigned flags;         // kVelRegDeleteFirst, kVelRegDeleteOnly, kVelRegKeep
};
constexpr int kVelRegRootClasses = 1;       // HKEY_CLASSES_ROOT
constexpr unsigned kVelRegKeep = 1;         // keep the key when unregistering
constexpr unsigned kVelRegDeleteOnly = 2;   // only delete
constexpr unsigned kVelRegDeleteFirst = 4;  // delete the key with everything under it first
constexpr unsigned kVelRegEnd = ~0u;
inline const char* const kVelRegModulePath = reinterpret_cast<const char*>(~std::uintptr_t{0});

struct VelMemberTable;

struct VelClassRecord {
  const char* description;
  const char* progId;
  const char* versionIndependentProgId;
  unsigned char safeForScripting;  // register as safe for scripting and initialising
  // Makes a new object with reference count 0; null when the class is not creatable.
  IUnknown* (*create)();
  const CLSID* clsid;
  const IID* defaultIid;
  const VelRegEntry* registryTable;
  // Filled at run time by the first object of the class.
  ITypeInfo* typeInfo;
  VelMemberTable* members;
};

enum VelClassIndex : int { kVelClassSeg = 0, kVelClassDrive = 1, kVelClassServer = 2 };
constexpr int kVelClassCount = 3;

struct VelModule {
  void* handle = nullptr;       // set when the library is attached to a process
  ITypeLib* typeLib = nullptr;  // loaded on first use
  const GUID* typeLibId = nullptr;
  std::atomic<long> lockCount{0};
  const char* typeLibFile = nullptr;
  std::atomic<long> objectCount{0};
  VelClassRecord* classes = nullptr;
  int classCount = 0;
};

VelModule& velModule();
VelClassRecord& velClassRecord(VelClassIndex index);

#include "kernel/automation/type_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/automation/vel_drive.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/kernel/automation/dispatch_helpers.h"

namespace {

ComPtr<ITypeLib> library() { return ComPtr<ITypeLib>::adopt(velDriveTypeLib()); }

// The library's attributes, its classes and interfaces, and rows of the published member
// tables (ids and help texts clients rely on).
TEST(TypeLibrary, LibraryClassesAndMembersCarryTheirPublishedIdsAndTexts) {
  ComPtr<ITypeLib> lib = library();
  ASSERT_TRUE(lib);
  Bstr name, help;
  ASSERT_EQ(lib->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(name.utf8(), "VelDriveLib");
  EXPECT_EQ(help.utf8(), "VelDrive 2.0 Type Library");
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, LIBID_VelDriveLib);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->lcid, 1033u);
  lib->ReleaseTLibAttr(attr);
  const struct {
    const GUID* guid;
    const char* member;  // null: the type itself
    MEMBERID id;
    const char* help;
  } rows[] = {
      {&CLSID_VelDrive, nullptr, MEMBERID_NIL, "VelDrive Class"},
      {&CLSID_VelDriveServer, nullptr, MEMBERID_NIL, "VelDrive Server Class"},
      {&IID_IVelDriveSeg, "farr", 0xc8,
       "f,f',f'',f'''-value of segment at z - not yet implemented!"},
      {&IID_IVelDrive, "htmlTable", 0x195, "create html table"},
      {&IID_IVelDriveServer, "newDrive", 0x193, "create new drive with name 'name'"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.help);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*r.guid, info.put()), S_OK);
    TYPEATTR* ta = nullptr;
    info->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, r.member ? TKIND_DISPATCH : TKIND_COCLASS);
    EXPECT_TRUE(!r.member || (ta->wTypeFlags & TYPEFLAG_FDUAL));
    info->ReleaseTypeAttr(ta);
    MEMBERID id = MEMBERID_NIL;
    if (r.member) {
      Bstr member(r.member);
      LPOLESTR names[] = {member.get()};
      EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
    }
    EXPECT_EQ(id, r.id);
    Bstr doc;
    EXPECT_EQ(info->GetDocumentation(id, nullptr, doc.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(doc.utf8(), r.help);
  }
  EXPECT_EQ(lib.detach()->Release(), 1u) << "the process keeps its own reference";
}

// A dual interface's functions sit in the virtual table after IDispatchEx's 15 entries, one
// slot each in declaration order (a base interface's first); a get and a put share an id.
TEST(TypeLibrary, FunctionsTakeConsecutiveVirtualTableSlots) {
  ComPtr<ITypeLib> lib = library();
  const std::pair<const IID*, int> interfaces[] = {
      {&IID_IVelDriveSeg, 33}, {&IID_IVelDrive, 45}, {&IID_IVelDriveServer, 12}};
  for (auto [iid, count] : interfaces) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*iid, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    EXPECT_EQ(attr->cFuncs, count);
    EXPECT_EQ(attr->cbSizeVft, (15 + count) * sizeof(void*));
    info->ReleaseTypeAttr(attr);
    for (int i = 0; i < count; ++i) {
      FUNCDESC* fd = nullptr;
      ASSERT_EQ(info->GetFuncDesc(i, &fd), S_OK);
      EXPECT_EQ(fd->oVft, static_cast<SHORT>((15 + i) * sizeof(void*))) << i;
      info->ReleaseFuncDesc(fd);
    }
  }
}

// farr writes four values through its one pointer; a late-bound caller passes one double.
TEST(TypeLibrary, LateBoundFarrWritesOnlyTheOneDoubleItIsGiven) {
  ComPtr<VelDrive> d(new VelDrive("Hub"));
  for (const char* s : {"\"Linear\", 0, 0", "\"ModSine\", 1, 0.5", "\"Linear\", 2, 0"})
    d->put_segment(Bstr(s).get());
  LONG res = 0;
  d->compile(&res);
  struct {
    double f = -1;
    double guard[3] = {7, 7, 7};
  } target;
  VARIANT args[2];
  VariantInit(&args[0]);
  args[0].vt = VT_R8 | VT_BYREF;
  args[0].pdblVal = &target.f;
  TestVariant::r8(&args[1], 1.5);
  DISPPARAMS params{args, nullptr, 2, 0};
  EXPECT_EQ(d->Invoke(0xc8, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  double f = 0;
  d->f(1.5, &f);
  EXPECT_EQ(target.f, f);
  for (double g : target.guard) EXPECT_EQ(g, 7);
}

}  // namespace

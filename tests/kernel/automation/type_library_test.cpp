#include "kernel/automation/type_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/automation/vel_drive_server.h"
#include "kernel/model/segment_registry.h"
#include "tests/kernel/automation/dispatch_helpers.h"
#include "tests/kernel/support/error_capture.h"

namespace {

// ---- What one call gave -------------------------------------------------------------------

std::string describeObject(IUnknown* p) {
  if (!p) return "null";
  IVelDriveSeg* seg = nullptr;
  if (SUCCEEDED(p->QueryInterface(IID_IVelDriveSeg, reinterpret_cast<void**>(&seg)))) {
    BSTR t = nullptr;
    seg->get_typeName(&t);
    seg->Release();
    return "segment " + takeText(t);
  }
  IVelDrive* drv = nullptr;
  if (SUCCEEDED(p->QueryInterface(IID_IVelDrive, reinterpret_cast<void**>(&drv)))) {
    BSTR n = nullptr;
    drv->get_name(&n);
    drv->Release();
    return "drive " + takeText(n);
  }
  return "object";
}

struct Outcome {
  HRESULT hr = S_OK;
  double d[4] = {0, 0, 0, 0};  // double outputs in order (farr: its four values)
  LONG n = 0;
  std::string text, object;
};

bool sameDouble(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The inputs a member gets: the same on both twins, objects their own twin's.
struct Inputs {
  double z = 0.37;
  std::string text;
  LONG n = 1;
  SHORT idx = 0;
  IUnknown* segment = nullptr;  // for IVelDriveSeg parameters
  IUnknown* drive = nullptr;    // for IVelDrive parameters
  IUnknown* objectFor(REFIID iid) const { return iid == IID_IVelDrive ? drive : segment; }
};

// ---- The early-bound call: straight through the C++ interface ------------------------------

template <class T>
struct IidOf;
template <>
struct IidOf<IVelDriveSeg> {
  static constexpr const IID& iid = IID_IVelDriveSeg;
};
template <>
struct IidOf<IVelDrive> {
  static constexpr const IID& iid = IID_IVelDrive;
};

// Per parameter type: the argument from Inputs and what it leaves in Outcome.
struct EarlyFrame {
  const Inputs& in;
  Outcome& out;
  TestBstr text;
  int doubles = 0;
  std::vector<std::function<void()>> after;
  std::vector<IUnknown*> held;
  EarlyFrame(const Inputs& i, Outcome& o) : in(i), out(o), text(i.text) {}
  ~EarlyFrame() {
    for (IUnknown* p : held)
      if (p) p->Release();
  }

  double arg(std::type_identity<double>) { return in.z; }
  LONG arg(std::type_identity<LONG>) { return in.n; }
  SHORT arg(std::type_identity<SHORT>) { return in.idx; }
  BSTR arg(std::type_identity<BSTR>) { return text.s; }
  double* arg(std::type_identity<double*>) { return &out.d[doubles++]; }
  LONG* arg(std::type_identity<LONG*>) { return &out.n; }
  BSTR* arg(std::type_identity<BSTR*>) {
    auto* slot = new BSTR(nullptr);
    after.push_back([this, slot] {
      out.text = takeText(*slot);
      delete slot;
    });
    return slot;
  }
  template <class I>
  I* arg(std::type_identity<I*>) {
    I* p = nullptr;
    if (IUnknown* o = in.objectFor(IidOf<I>::iid))
      o->QueryInterface(IidOf<I>::iid, reinterpret_cast<void**>(&p));
    held.push_back(p);
    return p;
  }
  template <class I>
  I** arg(std::type_identity<I**>) {
    auto* slot = new I*(nullptr);
    after.push_back([this, slot] {
      out.object = describeObject(*slot);
      if (*slot) (*slot)->Release();
      delete slot;
    });
    return slot;
  }
};

using EarlyCall = std::function<Outcome(void* self, const Inputs&)>;

template <class I, class... A>
EarlyCall early(HRESULT (I::*member)(A...)) {
  return [member](void* self, const Inputs& in) {
    Outcome out;
    {
      EarlyFrame frame(in, out);
      // Braced initialisation evaluates the arguments left to right.
      std::tuple<A...> args{frame.arg(std::type_identity<A>{})...};
      out.hr = std::apply([&](A... a) { return (static_cast<I*>(self)->*member)(a...); }, args);
      for (auto& f : frame.after) f();
    }
    return out;
  };
}

// The members in the order of the interface declarations (the virtual-table order).
std::vector<EarlyCall> segmentCalls() {
  using S = IVelDriveSeg;
  return {
      early(&S::get_z0),     early(&S::put_z0),      early(&S::get_z1),       early(&S::get_f0),
      early(&S::put_f0),     early(&S::get_f1),      early(&S::get_fd0),      early(&S::get_fdd0),
      early(&S::get_fd1),    early(&S::get_fdd1),    early(&S::get_fmin),     early(&S::get_fdmin),
      early(&S::get_fddmin), early(&S::get_fdddmin), early(&S::get_fmax),     early(&S::get_fdmax),
      early(&S::get_fddmax), early(&S::get_fdddmax), early(&S::get_next),     early(&S::get_prev),
      early(&S::get_value),  early(&S::put_value),   early(&S::get_typeName), early(&S::get_clone),
      early(&S::get__dump),  early(&S::farr),        early(&S::fderiv),       early(&S::f),
      early(&S::fd),         early(&S::fdd),         early(&S::fddd),         early(&S::hasValue),
      early(&S::isVarValue)};
}
std::vector<EarlyCall> driveCalls() {
  using D = IVelDrive;
  std::vector<EarlyCall> calls = segmentCalls();
  for (EarlyCall c :
       {early(&D::get_name), early(&D::put_name), early(&D::get_periodic), early(&D::put_periodic),
        early(&D::get_head), early(&D::put_segment), early(&D::add), early(&D::remove),
        early(&D::compile), early(&D::decompile), early(&D::clear), early(&D::htmlTable)})
    calls.push_back(c);
  return calls;
}
std::vector<EarlyCall> serverCalls() {
  using V = IVelDriveServer;
  return {early(&V::get_version),
          early(&V::get_driveCount),
          early(&V::get_drive),
          early(&V::get_driveByName),
          early(&V::get_segmentTypeCount),
          early(&V::get_segmentType),
          early(&V::get_segment),
          early(&V::put_segment),
          early(&V::add),
          early(&V::remove),
          early(&V::clear),
          early(&V::newDrive)};
}

// ---- The late-bound call: Invoke with arguments built from the FUNCDESC ----------------------

// The interface an object parameter is declared with.
IID declaredInterface(ITypeInfo* info, const TYPEDESC& t) {
  ITypeInfo* ref = nullptr;
  IID iid = IID_NULL;
  if (t.vt == VT_PTR && t.lptdesc->vt == VT_USERDEFINED &&
      SUCCEEDED(info->GetRefTypeInfo(t.lptdesc->hreftype, &ref))) {
    TYPEATTR* a = nullptr;
    ref->GetTypeAttr(&a);
    iid = a->guid;
    ref->ReleaseTypeAttr(a);
    ref->Release();
  }
  return iid;
}

Outcome lateCall(IDispatch* self, ITypeInfo* info, const FUNCDESC& fd, const Inputs& in) {
  Outcome out;
  TestBstr text(in.text);
  std::vector<VARIANT> args;  // in declaration order, reversed below
  VARIANT result;
  VariantInit(&result);
  int doubles = 0, retvalDouble = -1;
  std::vector<IDispatch*> objects;
  for (SHORT k = 0; k < fd.cParams; ++k) {
    const ELEMDESC& e = fd.lprgelemdescParam[k];
    const USHORT flags = e.paramdesc.wParamFlags;
    VARIANT v;
    VariantInit(&v);
    if (flags & PARAMFLAG_FRETVAL) {
      if (e.tdesc.lptdesc->vt == VT_R8) retvalDouble = doubles++;
      continue;
    }
    if (flags & PARAMFLAG_FOUT) {  // only doubles are passed by reference in these interfaces
      EXPECT_EQ(e.tdesc.lptdesc->vt, VT_R8);
      v.vt = VT_R8 | VT_BYREF;
      v.pdblVal = &out.d[doubles++];
    } else {
      switch (e.tdesc.vt) {
        case VT_R8: v.vt = VT_R8, v.dblVal = in.z; break;
        case VT_I4: v.vt = VT_I4, v.lVal = in.n; break;
        case VT_I2: v.vt = VT_I2, v.iVal = in.idx; break;
        case VT_BSTR: v.vt = VT_BSTR, v.bstrVal = text.s; break;
        case VT_PTR: {
          IDispatch* object = nullptr;
          if (IUnknown* o = in.objectFor(declaredInterface(info, e.tdesc)))
            o->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
          objects.push_back(object);
          v.vt = VT_DISPATCH, v.pdispVal = object;
          break;
        }
        default: ADD_FAILURE() << "parameter type " << e.tdesc.vt;
      }
    }
    args.push_back(v);
  }
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = fd.invkind == INVOKE_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                    put ? 1u : 0u};
  const WORD flags = fd.invkind == INVOKE_FUNC          ? DISPATCH_METHOD
                     : fd.invkind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                                                        : DISPATCH_PROPERTYPUT;
  EXCEPINFO ei{};
  UINT argErr = 0;
  out.hr =
      self->Invoke(fd.memid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &ei, &argErr);
  if (out.hr == DISP_E_EXCEPTION) out.hr = ei.scode;  // the member's own failure
  SysFreeString(ei.bstrSource);
  SysFreeString(ei.bstrDescription);
  SysFreeString(ei.bstrHelpFile);
  switch (result.vt) {
    case VT_EMPTY: break;
    case VT_R8: out.d[retvalDouble < 0 ? 0 : retvalDouble] = result.dblVal; break;
    case VT_I4: out.n = result.lVal; break;
    case VT_BSTR: out.text = utf8FromBstr(result.bstrVal); break;
    case VT_DISPATCH: out.object = describeObject(result.pdispVal); break;
    default: ADD_FAILURE() << "result type " << result.vt;
  }
  VariantClear(&result);
  for (IDispatch* o : objects)
    if (o) o->Release();
  return out;
}

std::string memberName(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  return takeText(name);
}

// Texts the members get: names they know, so that the calls do real work.
std::string textFor(const std::string& member) {
  if (member == "name" || member == "driveByName") return "Hub";
  if (member == "segment") return "\"Linear\", 3, 0";
  if (member == "newDrive") return "Cam";
  return "fd0";
}

// Walks every function of the interface's type description; calls it late-bound on a and
// early-bound (through the member at the same virtual-table slot) on b, and compares.
// twinA / twinB hold the object arguments of members that take one.
void compareEveryMember(IDispatch* a, void* b, const std::vector<EarlyCall>& calls,
                        std::size_t expectedFuncs, const Inputs& twinA, const Inputs& twinB) {
  ITypeInfo* info = nullptr;
  ASSERT_EQ(a->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  EXPECT_EQ(count, expectedFuncs);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &fd), S_OK);
    const std::string name = memberName(info, fd->memid);
    SCOPED_TRACE(name + " kind " + std::to_string(fd->invkind));
    const std::size_t slot = static_cast<std::size_t>(fd->oVft) / sizeof(void*) - 15;
    ASSERT_LT(slot, calls.size());
    Inputs in = twinA;
    in.text = textFor(name);
    const Outcome late = lateCall(a, info, *fd, in);
    Inputs inB = twinB;
    inB.text = in.text;
    const Outcome direct = calls[slot](b, inB);
    EXPECT_EQ(late.hr, direct.hr);
    // A failing member hands out nothing late-bound; farr gives a late-bound caller f only
    // (it passes one double by reference).
    const int doubles = FAILED(direct.hr) ? 0 : name == "farr" ? 1 : 4;
    for (int k = 0; k < doubles; ++k)
      EXPECT_PRED2(sameDouble, late.d[k], direct.d[k]) << "double " << k;
    if (SUCCEEDED(direct.hr)) {
      EXPECT_EQ(late.n, direct.n);
      EXPECT_EQ(late.text, direct.text);
      EXPECT_EQ(late.object, direct.object);
    }
    info->ReleaseFuncDesc(fd);
  }
  info->Release();
}

// A compiled three-segment drive, the same every time.
VelDrive* newDrive() {
  auto* d = new VelDrive("Hub");
  d->AddRef();
  for (const char* s : {"\"Linear\", 0, 0", "\"ModSine\", 1, 0.5", "\"Linear\", 2, 0"}) {
    TestBstr b(s);
    d->put_segment(b.s);
  }
  LONG res = 0;
  d->compile(&res);
  return d;
}

// The objects one side of a late/early comparison works on; both sides get equal ones.
struct Twin {
  Twin() : drive(newDrive()), segment(createSegment("Linear")) { segment->AddRef(); }
  ~Twin() {
    segment->Release();
    drive->Release();
  }
  Twin(const Twin&) = delete;
  Twin& operator=(const Twin&) = delete;
  Inputs inputs() const {
    Inputs in;
    in.drive = static_cast<IVelDrive*>(drive);
    in.segment = static_cast<IVelDriveSeg*>(segment);
    return in;
  }
  VelDrive* drive;
  VelDriveSeg* segment;
};

class TypeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KINETRA_DBWIN_PREFIX", ("type_library_test_" + std::to_string(getpid())).c_str(), 1);
    startObjects_ = velModule().objectCount.load();
  }
  void TearDown() override {
    EXPECT_EQ(velModule().objectCount.load(), startObjects_) << "an object was leaked";
  }
  ErrorCapture errors_;
  long startObjects_ = 0;
};

TEST_F(TypeLibraryTest, LibraryCarriesNameHelpVersionLanguageAndClasses) {
  ITypeLib* lib = velDriveTypeLib();
  ASSERT_NE(lib, nullptr);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(takeText(name), "VelDriveLib");
  EXPECT_EQ(takeText(help), "VelDrive 2.0 Type Library");
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, LIBID_VelDriveLib);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 1033u);
  lib->ReleaseTLibAttr(attr);
  const std::vector<std::pair<GUID, std::string>> classes = {
      {CLSID_VelDrive, "VelDrive Class"}, {CLSID_VelDriveServer, "VelDrive Server Class"}};
  for (const auto& [clsid, text] : classes) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(clsid, &info), S_OK);
    TYPEATTR* ta = nullptr;
    info->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, TKIND_COCLASS);
    info->ReleaseTypeAttr(ta);
    BSTR doc = nullptr;
    info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ(takeText(doc), text);
    info->Release();
  }
  for (const GUID* iid : {&IID_IVelDriveSeg, &IID_IVelDrive, &IID_IVelDriveServer}) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*iid, &info), S_OK);
    TYPEATTR* ta = nullptr;
    info->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(ta);
    info->Release();
  }
  EXPECT_EQ(lib->Release(), 1u) << "the process keeps its own reference";
}

TEST_F(TypeLibraryTest, MembersHaveTheirDispatchIdsKindsAndHelpTexts) {
  struct Row {
    const GUID* iid;
    const char* name;
    MEMBERID id;
    const char* help;
  };
  // Rows of the published member tables.
  const Row rows[] = {
      {&IID_IVelDriveSeg, "z0", 0x64, "Start z-value of segment"},
      {&IID_IVelDriveSeg, "fdd0", 0x6a, "start f''-value of segment"},
      {&IID_IVelDriveSeg, "fd1", 0x69, "end f'-value of segment"},
      {&IID_IVelDriveSeg, "fmin", 0x72, "minimum f-value of segment"},
      {&IID_IVelDriveSeg, "fmax", 0x6e, "maximum f-value of segment"},
      {&IID_IVelDriveSeg, "_dump", 0x7b, ""},
      {&IID_IVelDriveSeg, "farr", 0xc8,
       "f,f',f'',f'''-value of segment at z - not yet implemented!"},
      {&IID_IVelDriveSeg, "isVarValue", 0xcf,
       "can the segment's value 'type' explicitly be changed?"},
      {&IID_IVelDrive, "z0", 0x64, "Start z-value of segment"},
      {&IID_IVelDrive, "name", 0x12c, "name of drive"},
      {&IID_IVelDrive, "htmlTable", 0x195, "create html table"},
      {&IID_IVelDriveServer, "version", 0x64, "current version of this server"},
      {&IID_IVelDriveServer, "newDrive", 0x193, "create new drive with name 'name'"},
  };
  ITypeLib* lib = velDriveTypeLib();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*r.iid, &info), S_OK);
    TestBstr name(r.name);
    MEMBERID id = 0;
    EXPECT_EQ(info->GetIDsOfNames(&name.s, 1, &id), S_OK);
    EXPECT_EQ(id, r.id);
    BSTR doc = nullptr;
    EXPECT_EQ(info->GetDocumentation(id, nullptr, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(takeText(doc), r.help);
    info->Release();
  }
  lib->Release();
}

TEST_F(TypeLibraryTest, EverySegmentMemberLateBoundMatchesTheEarlyBoundCall) {
  Twin a, b;
  IVelDriveSeg* headA = nullptr;
  IVelDriveSeg* headB = nullptr;
  a.drive->get_head(&headA);
  b.drive->get_head(&headB);
  ASSERT_NE(headA, nullptr);
  ASSERT_NE(headB, nullptr);
  compareEveryMember(headA, headB, segmentCalls(), 33, a.inputs(), b.inputs());
  headA->Release();
  headB->Release();
}

TEST_F(TypeLibraryTest, EveryDriveMemberLateBoundMatchesTheEarlyBoundCall) {
  Twin a, b;
  compareEveryMember(static_cast<IVelDrive*>(a.drive), static_cast<IVelDrive*>(b.drive),
                     driveCalls(), 45, a.inputs(), b.inputs());
}

TEST_F(TypeLibraryTest, EveryServerMemberLateBoundMatchesTheEarlyBoundCall) {
  Twin a, b;
  auto* serverA = new VelDriveServer();
  auto* serverB = new VelDriveServer();
  serverA->AddRef();
  serverB->AddRef();
  compareEveryMember(static_cast<IVelDriveServer*>(serverA), static_cast<IVelDriveServer*>(serverB),
                     serverCalls(), 12, a.inputs(), b.inputs());
  serverA->Release();
  serverB->Release();
}

// farr writes four values through its one pointer; a late-bound caller passes one double.
TEST_F(TypeLibraryTest, LateBoundFarrWritesOnlyTheOneDoubleItIsGiven) {
  VelDrive* d = newDrive();
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
  d->Release();
}

}  // namespace

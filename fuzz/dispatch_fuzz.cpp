// Random names and argument variants through GetDispID / InvokeEx / Invoke on each kernel
// class: nothing may crash or leak. Names come from a small alphabet (plus the real member
// names and integers), so the class-wide member tables stay bounded over a long run.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "kernel/automation/vel_drive.h"
#include "kernel/automation/vel_drive_seg.h"
#include "kernel/automation/vel_drive_server.h"
#include "kernel/model/segment_registry.h"
#include "kernel/support/auxcom.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  std::uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
  double real() {
    static const double values[] = {0, 1, -1, 0.5, 2.5, 1e300, -1e-300, 3, 360, 1e9};
    return values[byte() % 10];
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

const char* const kNames[] = {"z0",    "z1",        "f0",          "f",       "fd",     "value",
                              "name",  "periodic",  "segment",     "add",     "remove", "compile",
                              "clear", "htmlTable", "_dump",       "farr",    "fderiv", "next",
                              "head",  "_array",    "7",           "-3",      "Z0",     "version",
                              "drive", "newDrive",  "driveByName", "hasValue"};

std::string randomName(Input& in) {
  const std::uint8_t pick = in.byte();
  if (pick < 200) return kNames[pick % (sizeof kNames / sizeof *kNames)];
  std::string s;
  const int n = in.byte() % 3 + 1;
  for (int i = 0; i < n; ++i) s += "abc9"[in.byte() % 4];
  return s;
}

// One argument of a kind picked by the input; strings and objects are owned by the holder.
struct Arguments {
  std::vector<VARIANT> args;
  std::vector<double> doubles = std::vector<double>(16);
  std::vector<Bstr> strings;
  void add(Input& in, IDispatch* objects[3]) {
    VARIANT v;
    VariantInit(&v);
    switch (in.byte() % 9) {
      case 0: v.vt = VT_R8, v.dblVal = in.real(); break;
      case 1: v.vt = VT_I4, v.lVal = static_cast<LONG>(in.byte()) - 128; break;
      case 2: v.vt = VT_I2, v.iVal = static_cast<SHORT>(in.byte() % 4); break;
      case 3: {
        static const char* const texts[] = {"Linear", "fd0", "Hub", "\"Sine\", 1, 0",
                                            "",       "1.5", "x"};
        strings.emplace_back(texts[in.byte() % 7]);
        v.vt = VT_BSTR, v.bstrVal = strings.back().get();
        break;
      }
      case 4: v.vt = VT_BOOL, v.boolVal = in.byte() & 1 ? VARIANT_TRUE : VARIANT_FALSE; break;
      case 5: v.vt = VT_DISPATCH, v.pdispVal = objects[in.byte() % 3]; break;
      case 6: {
        double& d = doubles[args.size() % doubles.size()];
        d = in.real();
        v.vt = VT_R8 | VT_BYREF, v.pdblVal = &d;
        break;
      }
      case 7: v.vt = VT_ERROR, v.scode = DISP_E_PARAMNOTFOUND; break;
      default: break;  // empty
    }
    args.push_back(v);
  }
};

void exercise(IDispatchEx* target, Input& in, IDispatch* objects[3]) {
  const Bstr name(randomName(in));
  const std::uint8_t mode = in.byte();
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = target->GetDispID(name.get(), mode & 0x0b, &id);
  if (mode & 0x10) id = static_cast<DISPID>(in.byte()) + 0x60;  // ids near the type members
  if (mode & 0x20) {
    target->DeleteMemberByName(name.get(), 0);
  } else if (SUCCEEDED(hr) || (mode & 0x10)) {
    Arguments a;
    const int count = in.byte() % 6;
    for (int i = 0; i < count; ++i) a.add(in, objects);
    DISPID named = in.byte() & 1 ? DISPID_PROPERTYPUT : static_cast<DISPID>(in.byte() % 3);
    const bool useNamed = count > 0 && (in.byte() & 1);
    DISPPARAMS params{a.args.data(), useNamed ? &named : nullptr, static_cast<UINT>(count),
                      useNamed ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO ei{};
    UINT argErr = 0;
    const WORD flags = static_cast<WORD>(in.byte() % 16);
    if (mode & 0x40)
      target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &ei, &argErr);
    else
      target->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, (mode & 0x80) ? nullptr : &result,
                       &ei, nullptr);
    VariantClear(&result);
    ExcepInfoClear(&ei);
  }
  Bstr member;
  target->GetMemberName(id, member.put());
  DISPID next = DISPID_UNKNOWN;
  target->GetNextDispID(0, id, &next);
}

int quiet(const char*) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool once = [] {
    setErrorHook(quiet);
    setenv("KINETRA_DBWIN_PREFIX", "dispatch_fuzz", 1);
    return true;
  }();
  (void)once;
  Input in(data, size);
  VelDriveSeg* made = createSegment("Sine");
  if (!made) return 0;
  const ComPtr<VelDriveSeg> seg(made);
  const ComPtr<VelDrive> drive(new VelDrive("Hub"));
  const ComPtr<VelDriveServer> server(new VelDriveServer());
  IDispatchEx* targets[3] = {static_cast<IVelDriveSeg*>(seg.get()),
                             static_cast<IVelDrive*>(drive.get()),
                             static_cast<IVelDriveServer*>(server.get())};
  IDispatch* objects[3] = {targets[0], targets[1], nullptr};
  for (int steps = 0; steps < 32 && !in.empty(); ++steps)
    exercise(targets[in.byte() % 3], in, objects);
  return 0;
}

#include "platform/com/errorinfo.h"

#include <atomic>
#include <new>
#include <string>

namespace {

// One error object; answers both the writing and the reading interface.
class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo)
      *ppv = static_cast<IErrorInfo*>(this);
    else if (riid == IID_ICreateErrorInfo)
      *ppv = static_cast<ICreateErrorInfo*>(this);
    else
      return *ppv = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetGUID(GUID* out) override { return out ? (*out = guid_, S_OK) : E_INVALIDARG; }
  HRESULT GetSource(BSTR* out) override { return give(source_, out); }
  HRESULT GetDescription(BSTR* out) override { return give(description_, out); }
  HRESULT GetHelpFile(BSTR* out) override { return give(helpFile_, out); }
  HRESULT GetHelpContext(DWORD* out) override {
    return out ? (*out = helpContext_, S_OK) : E_INVALIDARG;
  }

  HRESULT SetGUID(REFGUID g) override { return guid_ = g, S_OK; }
  HRESULT SetSource(LPOLESTR s) override { return take(s, &source_); }
  HRESULT SetDescription(LPOLESTR s) override { return take(s, &description_); }
  HRESULT SetHelpFile(LPOLESTR s) override { return take(s, &helpFile_); }
  HRESULT SetHelpContext(DWORD c) override { return helpContext_ = c, S_OK; }

 private:
  ~ErrorInfo() = default;

  static HRESULT give(const std::u16string& text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = SysAllocStringLen(text.data(), static_cast<unsigned>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT take(LPCOLESTR s, std::u16string* into) {
    try {
      *into = s ? std::u16string(s) : std::u16string();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  std::atomic<ULONG> refs_{1};
  GUID guid_ = GUID_NULL;
  std::u16string source_, description_, helpFile_;
  DWORD helpContext_ = 0;
};

// This thread's error object; released when the thread ends.
struct ThreadErrorSlot {
  IErrorInfo* info = nullptr;
  ~ThreadErrorSlot() {
    if (info) info->Release();
  }
};
thread_local ThreadErrorSlot tlsError;

}  // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
  if (perrinfo) perrinfo->AddRef();
  IErrorInfo* old = tlsError.info;
  tlsError.info = perrinfo;
  if (old) old->Release();
  return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  *pperrinfo = tlsError.info;
  tlsError.info = nullptr;
  return *pperrinfo ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  auto* info = new (std::nothrow) ErrorInfo;
  *pperrinfo = info;
  return info ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfoText(REFGUID iid, std::string_view source, std::string_view description) {
  ICreateErrorInfo* create = nullptr;
  HRESULT hr = CreateErrorInfo(&create);
  if (FAILED(hr)) return hr;
  try {
    std::u16string s = utf16FromUtf8(source), d = utf16FromUtf8(description);
    create->SetGUID(iid);
    create->SetSource(s.data());
    create->SetDescription(d.data());
  } catch (const std::bad_alloc&) {
    create->Release();
    return E_OUTOFMEMORY;
  }
  IErrorInfo* info = nullptr;
  hr = create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  create->Release();
  if (FAILED(hr)) return hr;
  SetErrorInfo(0, info);
  info->Release();
  return S_OK;
}

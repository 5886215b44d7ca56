#include "platform/com/errorinfo.h"

#include <new>
#include <string>

#include "platform/com/ref_counted.h"

namespace {

// One error object; answers both the writing and the reading interface.
class ErrorInfo final : public RefCounted<Answers<IErrorInfo, IID_IErrorInfo>,
                                          Answers<ICreateErrorInfo, IID_ICreateErrorInfo>> {
 public:
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
  ~ErrorInfo() override = default;

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

  GUID guid_ = GUID_NULL;
  std::u16string source_, description_, helpFile_;
  DWORD helpContext_ = 0;
};

// This thread's error object; released when the thread ends.
thread_local ComPtr<IErrorInfo> tlsError;

}  // namespace

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
  tlsError = ComPtr<IErrorInfo>(perrinfo);
  return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  *pperrinfo = tlsError.detach();
  return *pperrinfo ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  return queryNewObject(new (std::nothrow) ErrorInfo, IID_ICreateErrorInfo,
                        reinterpret_cast<void**>(pperrinfo));
}

HRESULT SetErrorInfoText(REFGUID iid, std::string_view source, std::string_view description) {
  ComPtr<ICreateErrorInfo> create;
  HRESULT hr = CreateErrorInfo(create.put());
  if (FAILED(hr)) return hr;
  try {
    std::u16string s = utf16FromUtf8(source), d = utf16FromUtf8(description);
    create->SetGUID(iid);
    create->SetSource(s.data());
    create->SetDescription(d.data());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  ComPtr<IErrorInfo> info;
  hr = create.queryInterface(IID_IErrorInfo, &info);
  if (FAILED(hr)) return hr;
  SetErrorInfo(0, info.get());
  return S_OK;
}

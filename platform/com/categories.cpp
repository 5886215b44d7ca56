#include "platform/com/categories.h"

#include <cstdio>
#include <new>

#include "platform/com/ref_counted.h"
#include "platform/com/registry.h"

namespace {

constexpr std::size_t kDescriptionChars = 127;  // CATEGORYINFO::szDescription without its NUL

std::string categoryKey(REFCATID catid) {
  return "HKEY_CLASSES_ROOT\\Component Categories\\" + guidToString(catid);
}
std::string classCategoriesKey(REFCLSID clsid, const char* kind) {
  return "HKEY_CLASSES_ROOT\\CLSID\\" + guidToString(clsid) + "\\" + kind;
}
// Values under a category key are named by the locale in lower-case hex ("409").
std::string localeName(LCID lcid) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(lcid));
  return buf;
}

HRESULT update(const std::function<LONG(RegistryStore&)>& fn) {
  return hresultFromRegistryError(registryUpdate(fn));
}

// A missing key is what removal wants.
LONG removeIfThere(RegistryStore& store, const std::string& path) {
  const LONG rc = store.deleteTree(path);
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

HRESULT markClass(REFCLSID clsid, ULONG count, const CATID* catids, const char* kind) {
  if (count && !catids) return E_INVALIDARG;
  return update([&](RegistryStore& store) {
    for (ULONG i = 0; i < count; ++i) {
      const LONG rc =
          store.createKey(classCategoriesKey(clsid, kind) + "\\" + guidToString(catids[i]));
      if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
  });
}

HRESULT unmarkClass(REFCLSID clsid, ULONG count, const CATID* catids, const char* kind) {
  if (count && !catids) return E_INVALIDARG;
  return update([&](RegistryStore& store) {
    const std::string parent = classCategoriesKey(clsid, kind);
    for (ULONG i = 0; i < count; ++i) {
      const LONG rc = removeIfThere(store, parent + "\\" + guidToString(catids[i]));
      if (rc != ERROR_SUCCESS) return rc;
    }
    // The list key goes with its last entry.
    std::vector<std::string> left;
    std::vector<std::pair<std::string, std::string>> values;
    if (store.subKeys(parent, &left) == ERROR_SUCCESS && left.empty() &&
        store.values(parent, &values) == ERROR_SUCCESS && values.empty())
      return store.deleteTree(parent);
    return ERROR_SUCCESS;
  });
}

class CategoryManager final : public RefCounted<Answers<ICatRegister, IID_ICatRegister>> {
 public:
  HRESULT RegisterCategories(ULONG n, CATEGORYINFO infos[]) override {
    return ::RegisterCategories(n, infos);
  }
  HRESULT UnRegisterCategories(ULONG n, CATID ids[]) override {
    return ::UnRegisterCategories(n, ids);
  }
  HRESULT RegisterClassImplCategories(REFCLSID c, ULONG n, CATID ids[]) override {
    return ::RegisterClassImplCategories(c, n, ids);
  }
  HRESULT UnRegisterClassImplCategories(REFCLSID c, ULONG n, CATID ids[]) override {
    return ::UnRegisterClassImplCategories(c, n, ids);
  }
  HRESULT RegisterClassReqCategories(REFCLSID c, ULONG n, CATID ids[]) override {
    return ::RegisterClassReqCategories(c, n, ids);
  }
  HRESULT UnRegisterClassReqCategories(REFCLSID c, ULONG n, CATID ids[]) override {
    return ::UnRegisterClassReqCategories(c, n, ids);
  }

 private:
  ~CategoryManager() override = default;
};

}  // namespace

HRESULT RegisterCategories(ULONG count, const CATEGORYINFO* infos) {
  if (count && !infos) return E_INVALIDARG;
  return update([&](RegistryStore& store) {
    for (ULONG i = 0; i < count; ++i) {
      const CATEGORYINFO& info = infos[i];
      std::size_t len = 0;
      while (len < kDescriptionChars && info.szDescription[len]) ++len;  // never past the array
      const std::string key = categoryKey(info.catid);
      LONG rc = store.createKey(key);
      if (rc == ERROR_SUCCESS)
        rc = store.setValue(key, localeName(info.lcid),
                            utf8FromUtf16(std::u16string_view(info.szDescription, len)));
      if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
  });
}

HRESULT UnRegisterCategories(ULONG count, const CATID* catids) {
  if (count && !catids) return E_INVALIDARG;
  return update([&](RegistryStore& store) {
    for (ULONG i = 0; i < count; ++i) {
      const LONG rc = removeIfThere(store, categoryKey(catids[i]));
      if (rc != ERROR_SUCCESS) return rc;
    }
    return ERROR_SUCCESS;
  });
}

HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
  return markClass(clsid, count, catids, "Implemented Categories");
}
HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
  return unmarkClass(clsid, count, catids, "Implemented Categories");
}
HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
  return markClass(clsid, count, catids, "Required Categories");
}
HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
  return unmarkClass(clsid, count, catids, "Required Categories");
}

HRESULT IsClassOfCategory(REFCLSID clsid, REFCATID catid) {
  bool found = false;
  const LONG rc = registryRead([&](const RegistryStore& store) {
    found = store.keyExists(classCategoriesKey(clsid, "Implemented Categories") + "\\" +
                            guidToString(catid));
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return hresultFromRegistryError(rc);
  return found ? S_OK : S_FALSE;
}

HRESULT GetCategoryDesc(REFCATID catid, LCID lcid, LPOLESTR* description) {
  if (!description) return E_INVALIDARG;
  *description = nullptr;
  std::string text;
  HRESULT result = S_OK;
  const LONG rc = registryRead([&](const RegistryStore& store) {
    const std::string key = categoryKey(catid);
    if (!store.keyExists(key)) return result = CAT_E_CATIDNOEXIST, ERROR_SUCCESS;
    if (store.queryValue(key, localeName(lcid), &text) == ERROR_SUCCESS ||
        store.queryValue(key, localeName(LOCALE_ENGLISH_US), &text) == ERROR_SUCCESS)
      return ERROR_SUCCESS;
    std::vector<std::pair<std::string, std::string>> values;
    store.values(key, &values);
    if (values.empty()) return result = CAT_E_NODESCRIPTION, ERROR_SUCCESS;
    text = values.front().second;
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return hresultFromRegistryError(rc);
  if (FAILED(result)) return result;
  const std::u16string wide = utf16FromUtf8(text);
  auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
  if (!out) return E_OUTOFMEMORY;
  std::copy(wide.begin(), wide.end(), out);
  out[wide.size()] = 0;
  *description = out;
  return S_OK;
}

HRESULT createCategoryManager(REFIID riid, void** out) {
  return queryNewObject(new (std::nothrow) CategoryManager, riid, out);
}

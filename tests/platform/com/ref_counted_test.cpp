#include "platform/com/ref_counted.h"

#include <gtest/gtest.h>

#include "platform/com/errorinfo.h"

namespace {

int gAlive = 0;

// Answers IDispatch besides its own identifier for the first interface, as a dual one does.
class TwoFaced final : public RefCounted<Answers<IErrorInfo, IID_IErrorInfo, IID_IDispatch>,
                                         Answers<IPersist, IID_IPersist>> {
 public:
  TwoFaced() { ++gAlive; }
  ~TwoFaced() override { --gAlive; }
  HRESULT GetGUID(GUID*) override { return E_NOTIMPL; }
  HRESULT GetSource(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetDescription(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpFile(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpContext(DWORD*) override { return E_NOTIMPL; }
  HRESULT GetClassID(CLSID*) override { return E_NOTIMPL; }
};

TEST(RefCounted, AnswersEveryListedIdentifierWithOneIdentityAndDiesWithTheLastReference) {
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(queryNewObject(new TwoFaced, IID_IUnknown, unknown.putVoid()), S_OK);
  ComPtr<IPersist> persist;
  ComPtr<IErrorInfo> info, dispatch;
  EXPECT_EQ(unknown.queryInterface(IID_IPersist, &persist), S_OK);
  EXPECT_EQ(unknown.queryInterface(IID_IErrorInfo, &info), S_OK);
  EXPECT_EQ(unknown.queryInterface(IID_IDispatch, &dispatch), S_OK);
  EXPECT_EQ(dispatch, info);
  ComPtr<IUnknown> again;
  EXPECT_EQ(persist.queryInterface(IID_IUnknown, &again), S_OK);
  EXPECT_EQ(again, unknown) << "IUnknown is the same pointer from every interface";
  EXPECT_EQ(persist.queryInterface(IID_ITypeInfo, &again), E_NOINTERFACE);
  EXPECT_FALSE(again);

  unknown = nullptr, info = nullptr, dispatch = nullptr;
  EXPECT_EQ(gAlive, 1);
  persist = nullptr;
  EXPECT_EQ(gAlive, 0);
}

TEST(RefCounted, ANewObjectThatDoesNotAnswerIsDestroyed) {
  ComPtr<IUnknown> none;
  EXPECT_EQ(queryNewObject(new TwoFaced, IID_ITypeInfo, none.putVoid()), E_NOINTERFACE);
  EXPECT_FALSE(none);
  EXPECT_EQ(gAlive, 0);
  EXPECT_EQ(queryNewObject<TwoFaced>(nullptr, IID_IUnknown, none.putVoid()), E_OUTOFMEMORY);
}

}  // namespace

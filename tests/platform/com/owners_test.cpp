#include <gtest/gtest.h>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/platform/com/counted.h"

namespace {

TEST(ComPtr, EveryOwnerHoldsOneReferenceAndReleasesItOnce) {
  Counted<IUnknown> object;
  {
    auto owner = ComPtr<IUnknown>::adopt(&object);  // takes the creator's reference
    ComPtr<IUnknown> copy = owner;
    EXPECT_EQ(object.refs, 2u);
    ComPtr<IUnknown> moved = std::move(copy);
    EXPECT_EQ(object.refs, 2u);
    ComPtr<IUnknown> asked;
    EXPECT_EQ(owner.queryInterface(IID_IUnknown, &asked), S_OK);
    EXPECT_EQ(object.refs, 3u);
    EXPECT_EQ(owner.queryInterface(IID_IDispatch, &asked), E_NOINTERFACE);
    EXPECT_FALSE(asked);
    EXPECT_EQ(object.refs, 2u);
    *moved.put() = &object;  // an out parameter fills the slot with a reference of its own
    object.AddRef();         // after put() dropped the reference moved held before
    EXPECT_EQ(object.refs, 2u);
    IUnknown* handedOn = moved.detach();
    EXPECT_EQ(handedOn, &object);
    handedOn->Release();
  }
  EXPECT_EQ(object.refs, 0u);
}

TEST(Bstr, OwnsItsTextAcrossCopiesMovesAndOutParameters) {
  Bstr name("Hub ä");
  EXPECT_EQ(name.length(), 5u);
  EXPECT_EQ(name.view(), u"Hub ä");
  Bstr copy = name;
  EXPECT_NE(copy.get(), name.get());
  EXPECT_EQ(copy.utf8(), "Hub ä");
  Bstr moved = std::move(copy);
  EXPECT_TRUE(copy.isNull());
  *moved.put() = SysAllocString(u"neu");
  EXPECT_EQ(moved.utf8(), "neu");
  BSTR raw = moved.detach();
  EXPECT_EQ(Bstr::adopt(raw).view(), u"neu");
  EXPECT_EQ(Bstr().view(), u"");
}

}  // namespace

#include "platform/com/errorinfo.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "tests/platform/com/counted.h"

namespace {

// An error object whose references the test can watch.
class WatchedError final : public Counted<IErrorInfo> {
 public:
  HRESULT GetGUID(GUID*) override { return E_NOTIMPL; }
  HRESULT GetSource(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetDescription(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpFile(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetHelpContext(DWORD*) override { return E_NOTIMPL; }
};

TEST(ErrorInfo, CreatedObjectKeepsWhatWasSetAndAnswersBothInterfaces) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  OLECHAR source[] = u"VelDrive.1";
  OLECHAR description[] = u"Segment unbekannt: ä";
  create->SetGUID(IID_IDispatch);
  create->SetSource(source);
  create->SetDescription(description);
  create->SetHelpContext(117);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  void* other = nullptr;
  EXPECT_EQ(create->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(create->Release(), 1u);  // one object behind both interfaces
  GUID g;
  Bstr text;
  DWORD context = 0;
  EXPECT_EQ(info->GetGUID(&g), S_OK);
  EXPECT_EQ(g, IID_IDispatch);
  EXPECT_EQ(info->GetDescription(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "Segment unbekannt: ä");
  EXPECT_EQ(info->GetSource(text.put()), S_OK);
  EXPECT_EQ(text.utf8(), "VelDrive.1");
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 117u);
  EXPECT_EQ(info->Release(), 0u);
}

// Get hands the slot's reference to the caller and clears the slot; setting again releases
// the previous object; each thread has its own slot, released when the thread ends.
TEST(ErrorInfo, ThreadSlotsOwnOneReference) {
  WatchedError error, first, second, theirs;
  ASSERT_EQ(SetErrorInfo(0, &error), S_OK);
  EXPECT_EQ(error.refs, 2u);
  {
    ComPtr<IErrorInfo> got;
    ASSERT_EQ(GetErrorInfo(0, got.put()), S_OK);
    EXPECT_EQ(got.get(), &error);
    EXPECT_EQ(error.refs, 2u) << "the caller now owns the slot's reference";
    EXPECT_EQ(GetErrorInfo(0, got.put()), S_FALSE);
    EXPECT_FALSE(got);
  }
  SetErrorInfo(0, &first);
  SetErrorInfo(0, &second);
  EXPECT_EQ(first.refs, 1u);
  std::thread([&] {
    ComPtr<IErrorInfo> got;
    EXPECT_EQ(GetErrorInfo(0, got.put()), S_FALSE);
    SetErrorInfo(0, &theirs);
  }).join();
  EXPECT_EQ(theirs.refs, 1u) << "the ended thread's slot is released";
  ComPtr<IErrorInfo> got;
  ASSERT_EQ(GetErrorInfo(0, got.put()), S_OK);
  EXPECT_EQ(got.get(), &second);
}

TEST(ErrorInfo, TextHelperSetsAReadableObject) {
  ASSERT_EQ(SetErrorInfoText(GUID_NULL, "Kinetra", "kaputt"), S_OK);
  ComPtr<IErrorInfo> got;
  ASSERT_EQ(GetErrorInfo(0, got.put()), S_OK);
  Bstr text;
  got->GetDescription(text.put());
  EXPECT_EQ(text.utf8(), "kaputt");
}

}  // namespace

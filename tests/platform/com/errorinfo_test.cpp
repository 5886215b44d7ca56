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

}  // namespace

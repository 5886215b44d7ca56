#include "platform/com/errorinfo.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// An error object whose references the test can watch.
class WatchedError final : public IErrorInfo {
 public:
  ULONG refs = 1;
  HRESULT QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
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
  EXPECT_EQ(create->Release(), 1u);
  GUID g;
  BSTR text = nullptr;
  DWORD context = 0;
  EXPECT_EQ(info->GetGUID(&g), S_OK);
  EXPECT_EQ(g, IID_IDispatch);
  EXPECT_EQ(info->GetDescription(&text), S_OK);
  EXPECT_EQ(utf8FromBstr(text), "Segment unbekannt: ä");
  SysFreeString(text);
  EXPECT_EQ(info->GetSource(&text), S_OK);
  EXPECT_EQ(utf8FromBstr(text), "VelDrive.1");
  SysFreeString(text);
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 117u);
  EXPECT_EQ(info->Release(), 0u);
}

TEST(ErrorInfo, GetHandsTheObjectOverAndClearsTheThreadSlot) {
  WatchedError error;
  ASSERT_EQ(SetErrorInfo(0, &error), S_OK);
  EXPECT_EQ(error.refs, 2u);
  IErrorInfo* got = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  EXPECT_EQ(got, &error);
  EXPECT_EQ(error.refs, 2u) << "the caller now owns the slot's reference";
  got->Release();
  EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
  EXPECT_EQ(got, nullptr);
}

TEST(ErrorInfo, SettingAgainReleasesThePreviousObject) {
  WatchedError first, second;
  SetErrorInfo(0, &first);
  SetErrorInfo(0, &second);
  EXPECT_EQ(first.refs, 1u);
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(second.refs, 1u);
}

TEST(ErrorInfo, EachThreadHasItsOwnAndReleasesItAtExit) {
  WatchedError mine, theirs;
  SetErrorInfo(0, &mine);
  std::thread([&] {
    IErrorInfo* got = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
    SetErrorInfo(0, &theirs);
  }).join();
  EXPECT_EQ(theirs.refs, 1u) << "the ended thread's slot is released";
  IErrorInfo* got = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  EXPECT_EQ(got, &mine);
  got->Release();
}

TEST(ErrorInfo, TextHelperSetsAReadableObject) {
  ASSERT_EQ(SetErrorInfoText(GUID_NULL, "Kinetra", "kaputt"), S_OK);
  IErrorInfo* got = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  BSTR text = nullptr;
  got->GetDescription(&text);
  EXPECT_EQ(utf8FromBstr(text), "kaputt");
  SysFreeString(text);
  EXPECT_EQ(got->Release(), 0u);
}

}  // namespace

#include "kernel/support/auxcom_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/msgbox/message_box.h"

namespace {

struct Box {
  std::string text, title;
};
std::vector<Box> gBoxes;
int recordBox(const char* text, const char* title) {
  gBoxes.push_back({text, title});
  return 7;
}

// Routes message boxes into gBoxes while it lives.
struct BoxCapture {
  BoxCapture() : previous(setMessageBoxHandler(recordBox)) { gBoxes.clear(); }
  ~BoxCapture() { setMessageBoxHandler(previous); }
  MessageBoxHandler previous;
};

TEST(ReportError, DefaultHookShowsKErrorBoxAndReturnsZero) {
  BoxCapture boxes;
  EXPECT_EQ(reportError("Drive with index %d not in drive servers container.", 3), 0);
  ASSERT_EQ(gBoxes.size(), 1u);
  EXPECT_EQ(gBoxes[0].title, "kError");
  EXPECT_EQ(gBoxes[0].text, "Drive with index 3 not in drive servers container.");
}

std::string gHooked;
int hook(const char* text) {
  gHooked = text;
  return 5;
}

TEST(ReportError, InstalledHookGetsTextAndDecidesResult) {
  BoxCapture boxes;
  const ErrorHook previous = setErrorHook(hook);
  EXPECT_EQ(reportError("%s-%lg", "a", 1.5), 5);
  EXPECT_EQ(gHooked, "a-1.5");
  EXPECT_EQ(setErrorHook(nullptr), hook);
  EXPECT_TRUE(gBoxes.empty());
  reportError("back");  // the default again
  ASSERT_EQ(gBoxes.size(), 1u);
  setErrorHook(previous);
}

TEST(ReportError, LongTextsAreCutToTheBuffer) {
  BoxCapture boxes;
  const std::string longText(3000, 'x');
  reportError("%s", longText.c_str());
  ASSERT_EQ(gBoxes.size(), 1u);
  EXPECT_EQ(gBoxes[0].text, longText.substr(0, kMessageBufferSize - 1));
}

TEST(MessageBox, DefaultWritesTitleAndTextToStandardError) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(showMessageBox("one\n", "kError"), kMessageBoxOk);
  showMessageBox("two", "T");
  showMessageBox(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kError: one\nT: two\n: \n");
}

}  // namespace

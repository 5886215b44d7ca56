#include "kernel/support/auxcom_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/msgbox/message_box.h"

namespace {

std::vector<std::string> gShown;  // "title: text" of every message box
int recordBox(const char* text, const char* title) {
  gShown.push_back(std::string(title) + ": " + text);
  return 7;
}
std::string gHooked;
int hook(const char* text) {
  gHooked = text;
  return 5;
}

// The default hook shows a "kError" box and reports success whatever the user answers; an
// installed hook gets the text and decides the result until null restores the default.
// Texts are cut to the 512-character buffer.
TEST(ReportError, GoesThroughTheHookOrTheDefaultBox) {
  const MessageBoxHandler previousBox = setMessageBoxHandler(recordBox);
  gShown.clear();
  EXPECT_EQ(reportError("Drive with index %d not in drive servers container.", 3), 0);
  const ErrorHook previous = setErrorHook(hook);
  EXPECT_EQ(reportError("%s-%lg", "a", 1.5), 5);
  EXPECT_EQ(gHooked, "a-1.5");
  EXPECT_EQ(setErrorHook(nullptr), hook);
  const std::string longText(3000, 'x');
  EXPECT_EQ(reportError("%s", longText.c_str()), 0);
  EXPECT_EQ(gShown,
            (std::vector<std::string>{"kError: Drive with index 3 not in drive servers container.",
                                      "kError: " + longText.substr(0, kMessageBufferSize - 1)}));
  setErrorHook(previous);
  setMessageBoxHandler(previousBox);
}

TEST(MessageBox, DefaultWritesTitleAndTextToStandardError) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(showMessageBox("one\n", "kError"), kMessageBoxOk);
  showMessageBox(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kError: one\n: \n");
}

}  // namespace

#include "app/common/window_loop.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "app/common/qt_user_dialogs.h"

namespace {

TEST(WindowLoop, EscapeOrTheCallersStopEndsTheLoopBeforeTheNextStep) {
  QLineEdit somewhere;
  somewhere.show();
  QProgressBar bar;
  bool cancel = false;
  WindowLoop loop(&bar, [&] { return cancel; });
  loop.begin(3'000'000'000LL);  // beyond an int: the bar scales
  EXPECT_TRUE(loop.proceed(1'500'000'000LL));
  EXPECT_EQ(bar.value(), bar.maximum() / 2);
  QTest::keyClick(&somewhere, Qt::Key_Escape);
  EXPECT_FALSE(loop.proceed(2));
  loop.begin(5);  // a new loop forgets the old Escape
  EXPECT_TRUE(loop.proceed(1));
  cancel = true;
  EXPECT_FALSE(loop.proceed(2));
  loop.end();
  EXPECT_TRUE(bar.isHidden());
}

TEST(QtUserDialogs, FiltersBecomeQtNameFilters) {
  EXPECT_EQ(qtNameFilters("*.idd (Kinetra Antrieb)|*.idd"),
            QStringList{"*.idd (Kinetra Antrieb) (*.idd)"});
  EXPECT_EQ(qtNameFilters("A|*.a|B|*.b;*.c"), (QStringList{"A (*.a)", "B (*.b *.c)"}));
}

}  // namespace

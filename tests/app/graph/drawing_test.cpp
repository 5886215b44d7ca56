#include "app/graph/drawing.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Drawing, CurrentPositionFollowsEachItemAsInAPictureBox) {
  Drawing d;
  d.setViewSize({200, 130});
  d.setScale({0, 0, 100, 260});  // 2 units per pixel down: a text line is 26 units
  d.line({1, 2}, {30, 40});
  d.lineTo({50, 60});
  EXPECT_EQ(d.items()[1].p1, QPointF(30, 40));
  d.circle({70, 80}, 5);
  EXPECT_EQ(d.currentPosition(), QPointF(70, 80));
  d.text("+X");  // at the current position, which moves one text line down
  d.text("a\nb");
  EXPECT_EQ(d.items()[4].p1, QPointF(70, 106));
  EXPECT_EQ(d.currentPosition(), QPointF(70, 158));
  d.curve(curveFromPoints({{0, 0}, {5, -1}, {9, 4}}), CurveMarks::Lines);
  EXPECT_EQ(d.currentPosition(), QPointF(9, 4));
  d.curve({}, CurveMarks::Lines);  // an empty curve adds nothing
  EXPECT_EQ(d.items().size(), 6u);
  d.clear();  // the scale stays
  EXPECT_EQ(d.currentPosition(), QPointF(0, 0));
  EXPECT_EQ(d.scale(), (UserScale{0, 0, 100, 260}));
}

TEST(Drawing, ScalesWithoutExtentOrBeyondDoublesAreRefused) {
  constexpr double kHuge = std::numeric_limits<double>::max();
  Drawing d;
  const UserScale good{-1, 5, 2, -10};
  ASSERT_TRUE(d.setScale(good));
  for (UserScale bad : {UserScale{0, 0, 0, 1}, UserScale{0, 0, 1, 0},
                        UserScale{0, -kHuge, 1, 2 * kHuge}, UserScale{std::nan(""), 0, 1, 1}}) {
    EXPECT_FALSE(d.setScale(bad));
    EXPECT_EQ(d.scale(), good);
  }
}

}  // namespace

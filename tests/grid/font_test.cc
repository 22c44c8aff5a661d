#include "grid/base/font.h"

#include <gtest/gtest.h>

#include "grid/base/canvas.h"

namespace grid {
namespace {

TEST(FontTest, SettersNotifyOnlyOnChangeAndIdentityIgnoresColour) {
  TFont font;
  int notices = 0;
  font.SetOnChange([&] { ++notices; });
  font.SetColor(font.Color());
  font.SetHeight(font.Height());
  EXPECT_EQ(notices, 0);
  font.SetColor(clBlack);
  font.SetStyle(fsBold);
  EXPECT_EQ(notices, 2);
  FontSpec other;
  other.face = "Arial";
  font.Assign(other);
  EXPECT_EQ(notices, 3);
  EXPECT_EQ(font.Name(), "Arial");
  font.AssignSilently(FontSpec{});
  EXPECT_EQ(notices, 3);
  EXPECT_EQ(font.Name(), "宋体");
  // The identity ignores the colour.
  FontSpec a, b;
  b.color = clBlack;
  EXPECT_TRUE(a.SameIdentity(b));
  EXPECT_FALSE(a == b);
  b.charset = 134;
  EXPECT_FALSE(a.SameIdentity(b));
}

TEST(FixedMetricsCanvasTest, ReferenceFontMetricsAndSystemColours) {
  FixedMetricsCanvas canvas;
  canvas.SetFont(FontSpec{});
  EXPECT_EQ(canvas.TextWidth("0"), 6);
  EXPECT_EQ(canvas.TextWidth("Wg"), 12);
  EXPECT_EQ(canvas.TextWidth("条"), 12);
  EXPECT_EQ(canvas.TextWidth("12条"), 24);
  EXPECT_EQ(canvas.TextHeight("Wg"), 12);
  TextMetrics m = canvas.Metrics();
  EXPECT_EQ(m.ascent, 11);
  EXPECT_EQ(m.descent, 1);
  EXPECT_EQ(m.external_leading, 0);
  FixedMetricsCanvas slanted(2);
  slanted.SetFont(FontSpec{});
  EXPECT_EQ(slanted.TextWidth("00"), 14);
  EXPECT_EQ(slanted.TextWidth(""), 0);
  // System colours resolve.
  EXPECT_TRUE(IsSystemColor(clWindow));
  EXPECT_FALSE(IsSystemColor(clGray));
  EXPECT_EQ(ResolveColor(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ResolveColor(clBtnShadow), clGray);
  EXPECT_EQ(ResolveColor(clSilver), clSilver);
}

}  // namespace
}  // namespace grid

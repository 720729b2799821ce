// The path-ellipsis rule with the real text measure of a font under Wine.
#include "paths/TextMeasure.win32.h"

#include <gtest/gtest.h>

#include "platform/win32/UniqueHandle.h"

namespace ql {
namespace {

class TextMeasureWineTest : public ::testing::Test {
 protected:
  win32::UniqueHFont font{CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH, "Arial")};
  TextMeasure measure = win32::FontTextMeasure(font.get());
};

TEST_F(TextMeasureWineTest, WidthsGrowWithTheText) {
  ASSERT_TRUE(font);
  EXPECT_EQ(measure(""), 0);
  EXPECT_GT(measure("i"), 0);
  EXPECT_GT(measure("WWWW"), measure("iiii"));
  EXPECT_GT(measure("C:\\Program Files\\"), measure("C:\\"));
}

TEST_F(TextMeasureWineTest, LongPathIsShortenedToTheWidth) {
  const AnsiString path = "C:\\Program Files\\Some Vendor\\Some Product\\Bin\\product.exe";
  const int width = measure("C:\\...\\Bin\\product.exe");
  const AnsiString shortened = MinimizePath(path, width, measure);
  EXPECT_EQ(shortened, "C:\\...\\Bin\\product.exe");
  EXPECT_LE(measure(shortened), width);
  EXPECT_EQ(MinimizePath(path, measure(path), measure), path);
}

}  // namespace
}  // namespace ql

#include "platform/clock.h"
#include "support/test_support.h"

using namespace Qt::StringLiterals;

TEST(Clock, FixedNowComesFromTheEnvironment) {
  EXPECT_EQ(ParseFixedNow(u"2024/05/03 10:20:30"_s), QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  EXPECT_EQ(ParseFixedNow(u" 1999/1/2 3:04:05 "_s), QDateTime(QDate(1999, 1, 2), QTime(3, 4, 5)));
  EXPECT_FALSE(ParseFixedNow(u"2024/02/30 10:00:00"_s).isValid());
  EXPECT_FALSE(ParseFixedNow(u"today"_s).isValid());
  // The test run sets VELUM_NOW.
  EXPECT_EQ(CSystemClock().Now(), QDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
  EXPECT_EQ(CSystemClock().Now().offsetFromUtc(), 9 * 3600);  // TZ=Asia/Tokyo
}

#include "platform/posix/RegionalClock.h"

#include <QDateTime>

using platform::posix::ShortDateFormat;
using platform::posix::TimeWithSecondsFormat;

#include <gtest/gtest.h>

TEST(ReportClock, UnitedStatesFormatsGiveAFourDigitYearAndSeconds) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(us.toString(QDate(2026, 12, 7), ShortDateFormat(us)).toStdString(), "12/7/2026");
    EXPECT_EQ(us.toString(QDate(2026, 1, 5), ShortDateFormat(us)).toStdString(), "1/5/2026");
    EXPECT_EQ(us.toString(QTime(7, 5, 9), TimeWithSecondsFormat(us)).toStdString(), "7:05:09 AM");
    EXPECT_EQ(us.toString(QTime(19, 0, 0), TimeWithSecondsFormat(us)).toStdString(), "7:00:00 PM");
}

TEST(ReportClock, OtherRegionsKeepTheirOwnOrderAndSeparators) {
    const QLocale germany(QLocale::German, QLocale::Germany);
    EXPECT_EQ(germany.toString(QDate(2026, 12, 7), ShortDateFormat(germany)).toStdString(),
              "07.12.2026");
    EXPECT_EQ(germany.toString(QTime(19, 5, 9), TimeWithSecondsFormat(germany)).toStdString(),
              "19:05:09");
    const QLocale japan(QLocale::Japanese, QLocale::Japan);
    EXPECT_EQ(japan.toString(QDate(2026, 12, 7), ShortDateFormat(japan)).toStdString(),
              "2026/12/07");
}

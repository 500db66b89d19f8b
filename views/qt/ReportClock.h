#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The date and the time for the report header, in the user's regional formats.
class ReportClock {
public:
    virtual ~ReportClock() = default;
    virtual QString dateText() = 0;
    virtual QString timeText() = 0;
};

// The locale's short date with a four-digit year, as desktop short dates are usually shown.
QString ShortDateFormat(const QLocale& locale);
// The locale's time with seconds and without a time zone.
QString TimeWithSecondsFormat(const QLocale& locale);

// Reads the clock anew for each text.
class RegionalClock final : public ReportClock {
public:
    explicit RegionalClock(QLocale locale = QLocale::system()) : locale_(std::move(locale)) {}
    QString dateText() override;
    QString timeText() override;

private:
    QLocale locale_;
};

#pragma once

#include "platform/Clock.h"

#include <QLocale>
#include <QString>

namespace platform::posix {

// The locale's short date with a four-digit year, as desktop short dates are usually shown.
QString ShortDateFormat(const QLocale& locale);
// The locale's time with seconds and without a time zone.
QString TimeWithSecondsFormat(const QLocale& locale);

// The clock in the formats of a locale (the system's), read anew for each text.
class RegionalClock final : public Clock {
public:
    explicit RegionalClock(QLocale locale = QLocale::system()) : locale_(std::move(locale)) {}
    std::string read(Reading reading) override;

private:
    QLocale locale_;
};

} // namespace platform::posix

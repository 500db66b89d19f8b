#include "platform/posix/RegionalClock.h"

#include <QDateTime>

namespace platform::posix {

namespace {

// Applies edit to each run of the same pattern letter outside quoted literal text.
template <typename Edit> QString EditPatterns(const QString& format, Edit edit) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            result += c;
            ++i;
            continue;
        }
        if (quoted || !c.isLetter()) {
            result += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < format.size() && format[end] == c) {
            ++end;
        }
        result += edit(format.mid(i, end - i));
        i = end;
    }
    return result;
}

} // namespace

QString ShortDateFormat(const QLocale& locale) {
    return EditPatterns(locale.dateFormat(QLocale::ShortFormat), [](const QString& run) {
        return run == u"yy" ? QStringLiteral("yyyy") : run;
    });
}

QString TimeWithSecondsFormat(const QLocale& locale) {
    const QString withoutZone =
        EditPatterns(locale.timeFormat(QLocale::LongFormat),
                     [](const QString& run) { return run.startsWith(u't') ? QString() : run; });
    return withoutZone.trimmed();
}

std::string RegionalClock::read(Reading reading) {
    const QString text =
        reading == Reading::Date
            ? locale_.toString(QDate::currentDate(), ShortDateFormat(locale_))
            : locale_.toString(QTime::currentTime(), TimeWithSecondsFormat(locale_));
    return text.toLocal8Bit().toStdString();
}

} // namespace platform::posix

#include "views/qt/Fonts.h"

#include <QStringList>

namespace {

QFont MakeFont(const QStringList& families, qreal pointSize, bool bold) {
    QFont font(families.constFirst());
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QFont DialogFont(qreal pointSize, bool bold) {
    return MakeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                     QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                     QStringLiteral("DejaVu Sans")},
                    pointSize, bold);
}

QFont VerdanaFont(qreal pointSize) {
    return MakeFont({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                     QStringLiteral("Bitstream Vera Sans")},
                    pointSize, false);
}

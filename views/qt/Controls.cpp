#include "views/qt/Controls.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr char kAutoSize[] = "autoSize";

} // namespace

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    if (label->property(kAutoSize).toBool()) {
        label->resize(label->sizeHint().width(), label->height());
    }
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                 bool autoSize) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // Values come from the network: never let them be read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    label->setProperty(kAutoSize, autoSize);
    SetCaption(label, text);
    return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QIcon IconFrom(const QString& base, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(base).arg(size), QSize(size, size));
    }
    return icon;
}

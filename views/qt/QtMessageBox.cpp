#include "views/qt/QtMessageBox.h"

#include "logic/config/BuildConfig.h"

#include <QMessageBox>

void QtMessageBox::show(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(velnor::kTitle),
                    QString::fromLocal8Bit(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

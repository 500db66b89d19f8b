#pragma once

#include <QColor>
#include <QIcon>
#include <QRect>
#include <QString>

#include <initializer_list>

class QLabel;
class QPushButton;
class QWidget;

// Building blocks of the program's windows, placed by pixel geometry.

void SetTextColor(QWidget* widget, const QColor& color);

// A plain-text label; a self-sizing one keeps its left edge and height, its width follows the
// text.
QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                 bool autoSize);
// Sets a label's text, resizing a self-sizing label.
void SetCaption(QLabel* label, const QString& text);

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& geometry);

// The icon of that name from the program's resources, at the given sizes.
QIcon IconFrom(const QString& base, std::initializer_list<int> sizes);

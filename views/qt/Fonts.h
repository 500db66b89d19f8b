#pragma once

#include <QFont>

// The classic dialog font, with stand-ins where it is not installed.
QFont DialogFont(qreal pointSize, bool bold = false);
// Verdana, or the nearest wide sans-serif face installed.
QFont VerdanaFont(qreal pointSize);

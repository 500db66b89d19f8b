#pragma once

class QWidget;

// Centres the window, frame included, on the primary screen's available area.
void CentreOnScreen(QWidget& window);

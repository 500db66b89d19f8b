#pragma once

#include "platform/MessageBox.h"

class QWidget;

// The program's own message box: OK only, no icon, the application title as caption.
class QtMessageBox final : public platform::MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void show(const std::string& text) override;

private:
    QWidget* parent_;
};

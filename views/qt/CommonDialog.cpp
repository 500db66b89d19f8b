#include "views/qt/CommonDialog.h"

bool CommonDialog::ShowSave(QWidget* owner) {
    const auto chosen = dialog_.showSave(owner, DialogTitle, Filter, FileName);
    if (!chosen) {
        return false;
    }
    FileName = *chosen;
    return true;
}

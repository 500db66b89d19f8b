#pragma once

#include "tests/support/FakeServices.h"
#include "views/qt/SaveDialog.h"

#include <deque>
#include <optional>
#include <vector>

namespace fakes {

// Answers each save dialog with the next queued answer (nothing: the user cancelled).
class Dialog final : public SaveDialog {
public:
    struct Shown {
        QString title;
        QString filter;
        QString fileName;
    };
    std::deque<std::optional<QString>> answers;
    std::vector<Shown> shown;

    std::optional<QString> showSave(QWidget*, const QString& title, const QString& filter,
                                    const QString& fileName) override {
        shown.push_back({title, filter, fileName});
        return NextAnswer(answers);
    }
};

} // namespace fakes

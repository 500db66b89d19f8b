#pragma once

#include "views/qt/ReportClock.h"
#include "views/qt/SaveDialog.h"
#include "tests/support/FakeInternet.h"
#include "tests/support/FakePlatform.h"

#include <deque>
#include <optional>
#include <string>
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
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class Clock final : public ReportClock {
public:
    QString date = QStringLiteral("12/7/2026");
    QString time = QStringLiteral("7:05:09 AM");
    std::vector<char> reads; // 'd' and 't' in the order read
    QString dateText() override {
        reads.push_back('d');
        return date;
    }
    QString timeText() override {
        reads.push_back('t');
        return time;
    }
};

} // namespace fakes

#pragma once

#include "logic/about/AboutPresenter.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

// Title, version, description and the legal warning; links to the maker's pages and the
// system-information tool: a view of the About window's presenter. Loading it (constructing)
// runs Form_Load.
class frmAbout final : public QWidget {
    Q_OBJECT
public:
    frmAbout(const platform::Services& services, platform::MessageBox& messageBox,
             QWidget* parent = nullptr);

    void StartSysInfo();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Image1_Click();
    void picIcon_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void Command1_MouseMove();
    void Command2_MouseMove();

    AboutPresenter presenter_;

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Image1 = nullptr;
};

#pragma once

#include "platform/MessageBox.h"
#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

// What the About window needs of the world.
struct AboutServices {
    platform::Registry& registry;
    platform::Programs& programs;
    platform::Shell& shell;
    platform::MessageBox& messageBox;
};

// Title, version, description and the legal warning; links to the maker's pages and the
// system-information tool. Loading it (constructing) runs Form_Load.
class frmAbout final : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(AboutServices services, QWidget* parent = nullptr);

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
    void OpenPage(const std::string& address);

    AboutServices services_;

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

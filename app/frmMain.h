#pragma once

#include "about/frmAbout.h"
#include "app/ReportClock.h"
#include "app/SaveDialog.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "report/Report.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <functional>

class CommonDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The main window's own seams besides the platform services: main() passes the real ones,
// tests fakes.
struct MainSeams {
    platform::MessageBox& messageBox;
    SaveDialog& saveDialog;
    ReportClock& clock;
    // Ends the program once every window is unloaded.
    std::function<void()> endProgram;
};

class frmMain final : public QWidget {
    Q_OBJECT
public:
    frmMain(const platform::Services& services, MainSeams seams, QWidget* parent = nullptr);

    // Runs the load sequence as the program's start does; false when the program ended in it.
    bool Load();
    bool isUnloaded() const { return unloaded_; }

    // The handlers; a click on a control runs the same code.
    void Form_Load();
    void cmdRefresh2_Click();
    void cmdClose_Click();
    void cmdAbout_Click();
    void cmdRefresh_Click();
    void cmdReset_Click();
    void Command1_Click();
    void cmdCopy_Click();
    void cmdSave_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct ProgramEnding {};

    void CreateControls();
    void SetTabOrder();
    void Form_Unload();
    void FillInfoText();
    void ResetFields();
    // Adds a row at the end of the computer list; throws when its key is taken.
    QTreeWidgetItem* AddRow(const QString& key, const QString& text, const QIcon& smallIcon);
    Report::Stamp ReadClock();
    Report::Captions Captions() const;
    void ShowAndPaint();
    void Yield();
    // Runs one step of a sequence; a failing step is abandoned and the sequence goes on.
    template <typename StepBody> void Step(StepBody&& body);
    // Runs a handler from an event; ends quietly when the program ends inside it.
    void Guarded(void (frmMain::*handler)());
    void ConnectClick(QPushButton* button, void (frmMain::*handler)());

    const platform::Services& services_;
    MainSeams seams_;
    bool unloaded_ = false;
    QIcon ImageList1;
    // The About window while it is loaded; there is at most one.
    QPointer<frmAbout> about_;

    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblStatus = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblLHost = nullptr;
    QLabel* lblLIP = nullptr;
    QLabel* lblExtIP = nullptr;
    QLabel* lblISP = nullptr;
    QLabel* lblAnswer = nullptr;
    QTreeWidget* lstPCList = nullptr;
    QPushButton* cmdRefresh2 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* Command1 = nullptr;
    QLineEdit* txtInfo = nullptr;
    CommonDialog* CD = nullptr;
};

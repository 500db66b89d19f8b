#pragma once

#include "logic/presenter/MainPresenter.h"
#include "logic/presenter/MainView.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "views/qt/SaveDialog.h"
#include "views/qt/frmAbout.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

class CommonDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The main window, a view of the presenter's record: it lays out the controls, shows what the
// record holds when told, and hands every click to the presenter.
class frmMain final : public QWidget, public MainView {
    Q_OBJECT
public:
    // The About window that it opens uses the services and the message box.
    frmMain(MainPresenter& presenter, const platform::Services& services,
            platform::MessageBox& messageBox, SaveDialog& saveDialog, QWidget* parent = nullptr);

    MainPresenter& presenter() { return presenter_; }

    void captionChanged(Caption caption) override;
    void infoChanged() override;
    void rowsCleared() override;
    void rowAdded() override;
    void rowAddressChanged(std::size_t row) override;
    void busyChanged() override;
    void show() override;
    std::optional<std::string> askSaveFile(const std::string& title, const std::string& filter,
                                           const std::string& fileName) override;
    void setClipboardText(const std::string& text) override;
    void openAbout() override;
    void unloadAll() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateControls(SaveDialog& saveDialog);
    void SetTabOrder();
    template <void (MainPresenter::*Handler)()> void ConnectClick(QPushButton* button);
    QLabel* LabelOf(Caption caption) const;
    // Tells the presenter once that the window has been painted.
    void TellPainted();

    MainPresenter& presenter_;
    const platform::Services& services_;
    platform::MessageBox& messageBox_;
    bool paintedTold_ = false;
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

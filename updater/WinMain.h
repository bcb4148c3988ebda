#pragma once

#include "updater/AgentView.h"
#include "updater/Local.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class QStackedWidget;

namespace quillset {

// The agent's only window, which holds the agent's code module. With an echo stream (unattended
// runs) every label change and progress value is also written there, so a run can be followed
// without a display.
class WinMain : public QWidget, public AgentView {
    Q_OBJECT
public:
    WinMain(Dialogs& dialogs, MousePointer& pointer, InternetTransfer& transfer,
            StoredValues stored, std::FILE* echo = nullptr);

    Local& agent() { return local_; }
    // Reads the command line; false when it was refused and the window unloaded.
    bool Form_Load(const QString& arguments);

    QLabel* CurSoft() const { return curSoft_; }
    QLabel* Status() const { return status_; }
    QProgressBar* Avance() const { return avance_; }
    QPushButton* CloseBtn() const { return closeBtn_; }
    // The signs of life under the status, beside Avance: the busy bar, and the transfer's line
    // with its own thin bar. Read by the window's checks, as the design's controls are.
    QProgressBar* busyBar() const { return busy_; }
    QLabel* transferLine() const { return transferLine_; }
    QProgressBar* TransferBar() const { return transferBar_; }
    QTimer& Timer() { return timer_; }

    void setCurrentSoftware(const QString& text) override;
    void setStatus(const QString& text) override;
    void repaint() override { QWidget::repaint(); }
    using AgentView::setProgress;
    void setProgress(int value) override;
    int progressMaximum() const override { return avance_->maximum(); }
    void processEvents() override;
    void showBusy() override;
    void showTransferProgress(const TransferProgress& progress) override;
    void clearActivity() override;
    bool unloadRequested() const override { return unloaded_; }
    void unload() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Timer_Timer();
    void echo(const char* label, const QString& text);

    std::FILE* echo_;
    QLabel* curSoft_;
    QLabel* status_;
    QProgressBar* avance_;
    QPushButton* closeBtn_;
    QStackedWidget* activity_;
    QProgressBar* busy_;
    QLabel* transferLine_;
    QProgressBar* transferBar_;
    // Since the transfer's first line, and when its line last changed.
    QElapsedTimer transferClock_;
    qint64 lineShownAt_ = 0;
    QTimer timer_;
    bool unloaded_ = false;
    // Last: it works on the window, so it is made when the window is whole and goes first.
    Local local_;
};

} // namespace quillset

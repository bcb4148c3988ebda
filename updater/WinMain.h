#pragma once

#include "updater/AgentView.h"
#include "updater/Local.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>

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
    QTimer& Timer() { return timer_; }

    void setCurrentSoftware(const QString& text) override;
    void setStatus(const QString& text) override;
    void repaint() override { QWidget::repaint(); }
    using AgentView::setProgress;
    void setProgress(int value) override;
    int progressMaximum() const override { return avance_->maximum(); }
    void processEvents() override;
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
    QTimer timer_;
    bool unloaded_ = false;
    // Last: it works on the window, so it is made when the window is whole and goes first.
    Local local_;
};

} // namespace quillset

#pragma once

#include "AgentView.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace quillset {

class Local;

// The agent's only window. With an echo stream (unattended runs) every label change and
// progress value is also written there, so a run can be followed without a display.
class WinMain : public QWidget, public AgentView {
    Q_OBJECT
public:
    explicit WinMain(std::FILE* echo = nullptr);

    void setAgent(Local& local) { local_ = &local; }
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
    Local* local_ = nullptr;
    QLabel* curSoft_;
    QLabel* status_;
    QProgressBar* avance_;
    QPushButton* closeBtn_;
    QTimer timer_;
    bool unloaded_ = false;
};

} // namespace quillset

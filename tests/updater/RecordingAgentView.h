#pragma once

#include "updater/AgentView.h"

#include <QStringList>
#include <vector>

namespace quillset::test {

// The window as the update steps see it, keeping every label text and progress value in order.
// It can play the user who clicks Close after a number of event rounds of a wait.
class RecordingAgentView : public AgentView {
public:
    void setCurrentSoftware(const QString& text) override { currentSoftware = text; }
    void setStatus(const QString& text) override { statuses << text; }
    void repaint() override {
        repaintedStatuses << (statuses.isEmpty() ? QString() : statuses.back());
    }
    void setProgress(int value) override { progress.push_back(value); }
    int progressMaximum() const override { return 4; }
    void processEvents() override {
        if (++eventRounds == closeAfterRounds)
            unload();
    }
    void showBusy() override { activity << QStringLiteral("busy"); }
    void showTransferProgress(const TransferProgress& progress) override {
        if (activity.isEmpty() || activity.back() != QStringLiteral("transfer"))
            activity << QStringLiteral("transfer");
        lastTransfer = progress;
    }
    void clearActivity() override { activity << QStringLiteral("clear"); }
    bool unloadRequested() const override { return unloaded; }
    void unload() override { unloaded = true; }

    QString currentSoftware;
    QStringList statuses;
    QStringList repaintedStatuses;
    std::vector<int> progress;
    // The signs of life in order, a run of transfer lines as one entry, and the last line's bytes.
    QStringList activity;
    TransferProgress lastTransfer;
    int eventRounds = 0;
    int closeAfterRounds = -1;
    bool unloaded = false;
};

} // namespace quillset::test

#pragma once

#include "transfer/InternetTransfer.h"

#include <QString>
#include <exception>

namespace quillset {

// The values of the progress bar, one per step the update cycle reaches.
enum class ProgressStep : int {
    Loaded = 0,         // the command line was read
    VersionChecked = 1, // the version check finished, whatever its outcome
    Downloading = 2,    // the archive transfer starts
    Unpacking = 3,      // the unpack starts
    Updated = 4,        // the update succeeded; also the bar's maximum
};

// What the update steps need of the agent's window: the labels, the progress bar, repainting,
// handling pending events while a transfer runs, and unloading, which ends the agent.
class AgentView {
public:
    virtual ~AgentView() = default;

    virtual void setCurrentSoftware(const QString& text) = 0;
    virtual void setStatus(const QString& text) = 0;
    // Redraws the window at once, before the next step runs.
    virtual void repaint() = 0;
    virtual void setProgress(int value) = 0;
    void setProgress(ProgressStep step) { setProgress(static_cast<int>(step)); }
    virtual int progressMaximum() const = 0;
    virtual void processEvents() = 0;
    // Signs of life beside the status and the bar, which keep their texts and values: a busy
    // indicator while the version check runs, the archive's bytes while it arrives (called on
    // every round of the wait), nothing otherwise.
    virtual void showBusy() = 0;
    virtual void showTransferProgress(const TransferProgress& progress) = 0;
    virtual void clearActivity() = 0;
    // True once the window was asked to unload (Close, or the window closed otherwise).
    virtual bool unloadRequested() const = 0;
    virtual void unload() = 0;
};

// Thrown out of a wait when the window was unloaded meanwhile: nothing after the unload runs.
struct AgentEnded : std::exception {
    const char* what() const noexcept override { return "the agent's window was unloaded"; }
};

} // namespace quillset

#pragma once

#include <csignal>
#include <filesystem>

namespace quillset {

// Makes SIGTERM, SIGINT and SIGHUP (the ending signals) remove the temporaries registered with
// RemovedOnSignal, then end the program with the signal's own default action. The main thread
// does this; a signal another thread receives is passed on to it.
void InstallSignalCleanup();

// Registers a temporary file or folder tree for removal by an ending signal, for the life of the
// object. Without a free place the path is not registered; the next run's clean-up removes it.
class RemovedOnSignal {
public:
    explicit RemovedOnSignal(const std::filesystem::path& path);
    ~RemovedOnSignal();
    RemovedOnSignal(const RemovedOnSignal&) = delete;
    RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

private:
    int slot_ = -1;
};

// Holds the ending signals back for the life of the object, on the main thread (which is the one
// to use it): a change that must not stop half-way completes (or is undone) first, and a signal
// that came meanwhile is acted on afterwards.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

} // namespace quillset

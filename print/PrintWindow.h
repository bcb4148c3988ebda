#pragma once

#include "print/PrintProgram.h"

#include <functional>
#include <memory>

class QWidget;

namespace quillset {

class Dialogs;

// The window, whose print button runs jobs through `services`.
using MakeWindow =
    std::function<std::unique_ptr<QWidget>(PrintJobServices& services, Dialogs& dialogs)>;

// How the window tells a failed print beyond standard error and the log: a desktop notification
// with the program's name, the reason and the log's path.
void NotifyPrintFailure(const FailureRecord& record);

// The window side of a printing program, run by its window module's entry point: the command
// line read again (the program has checked it), the application with Qt's options, the dialogs
// the environment chooses, and the window until it closes; the answer is the exit code.
int RunPrintWindow(int argc, char** argv, const PrintProgramParts& parts,
                   const MakeWindow& makeWindow);

} // namespace quillset

// Defined by each window module, the one name it exports (kWindowEntryPoint).
extern "C" __attribute__((visibility("default"))) int QuillsetWindowMain(int argc, char** argv);

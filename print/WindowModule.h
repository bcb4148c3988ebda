#pragma once

namespace quillset {

struct PrintProgramParts;

// The entry point of a printing program's window module, PROGRAM-window.so: it takes the whole
// command line and runs the window to its end, answering the exit code. A C name, so the module
// and the program need agree on nothing else.
constexpr const char* kWindowEntryPoint = "QuillsetWindowMain";
using WindowEntryPoint = int (*)(int argc, char** argv);

// Loads the program's window module from the suite's private folder and hands it the run. Only a
// run that shows the window maps the module and what it links (Qt Widgets, Qt D-Bus). A module
// that cannot be loaded is told on standard error and in the failure log; the answer is then 1.
int RunWindowModule(const PrintProgramParts& parts, int argc, char** argv);

} // namespace quillset

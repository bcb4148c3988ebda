#pragma once

#include <QString>

namespace quillset {

// The three fields of the agent's command line, read as the starting program writes them:
// module name, installed version, module folder ("%" standing for each space in the folder).
struct CommandLineFields {
    QString ModuleName;
    float CurrentVersion = 0;
    QString ModuleFolder; // upper case, always ending in "\"
};

enum class CommandLineVerdict {
    Read,
    Empty,        // nothing but blanks: the agent was started on its own
    SurplusFields // more than three fields: there is no place to keep the rest
};

struct CommandLineReading {
    CommandLineVerdict verdict = CommandLineVerdict::Empty;
    CommandLineFields fields;
};

// Trims and upper-cases the text, then splits it into fields at single spaces: each space opens
// the next field and becomes its first character, so two spaces in a row open two fields.
CommandLineReading ReadCommandLineFields(const QString& arguments);

} // namespace quillset

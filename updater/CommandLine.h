#pragma once

#include <QString>

namespace quillset {

// The three fields of the agent's command line, read as the starting program writes them:
// module name, installed version, module folder ("%" standing for each space in the folder).
struct CommandLineFields {
    QString ModuleName;
    float CurrentVersion = 0;
    QString ModuleFolder; // upper case, always ending in "\"
    // The same folder spelt as given: on a host whose names tell case apart, app and APP are
    // two folders, and only the spelling given says which one is meant.
    QString givenModuleFolder;
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
// Upper-casing maps each character to one character ("ß" stays "ß", never "SS"), so a name
// keeps its length and cannot turn into another name.
CommandLineReading ReadCommandLineFields(const QString& arguments);

// The module folder as the host folder the agent works in, resolved from the spelling given:
// each name as given where it exists, else the one entry that matches it ignoring case. The
// text ends in "\". When several entries match a name ignoring case and none exactly, there is
// no telling which folder is meant: `folder` is empty and `ambiguous` names the place. The root
// folder (by any spelling or link) is never a module's: `unusable` then says so, and nothing is
// fetched into it, unpacked in it or locked.
struct ModuleFolderResolution {
    QString folder;
    QString ambiguous;
    QString unusable;
};
ModuleFolderResolution ResolveModuleFolder(const CommandLineFields& fields);

} // namespace quillset

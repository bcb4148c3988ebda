// The agent's command-line reader on any text: it must not crash, and whatever it reads keeps the
// shape the update steps rely on.
#include "updater/CommandLine.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const quillset::CommandLineReading reading = quillset::ReadCommandLineFields(text);
    if (reading.verdict != quillset::CommandLineVerdict::Read)
        return 0;
    const quillset::CommandLineFields& fields = reading.fields;
    // A read line has a module name without outer spaces and a folder ending in "\".
    if (fields.ModuleName.isEmpty() || fields.ModuleName.startsWith(QLatin1Char(' ')) ||
        fields.ModuleName.endsWith(QLatin1Char(' ')) ||
        fields.ModuleName.contains(QLatin1Char(' ')))
        std::abort();
    if (!fields.ModuleFolder.endsWith(QLatin1Char('\\')) ||
        fields.ModuleFolder.contains(QLatin1Char('%')))
        std::abort();
    return 0;
}

#pragma once

#include <QString>
#include <ostream>

// Readable QString values in test failures; beside QString, where GoogleTest looks for it.
void PrintTo(const QString& text, std::ostream* out);

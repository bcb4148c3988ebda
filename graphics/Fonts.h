#pragma once

#include <QFont>
#include <QString>

namespace quillset {

// Teaches Qt the Windows typeface names ("MS Sans Serif", "Arial", "Courier New", "Times New
// Roman") so they land on the metric-compatible Liberation faces. Call once after the
// application object exists.
void InstallFontSubstitutions();

// The font for a face name as the programs give it and a size in points.
QFont MakeFont(const QString& faceName, float points, bool italic = false);

} // namespace quillset

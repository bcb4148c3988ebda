#include "graphics/Fonts.h"

namespace quillset {

void InstallFontSubstitutions() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
}

QFont MakeFont(const QString& faceName, float points, bool italic) {
    QFont font(faceName.trimmed());
    font.setPointSizeF(points > 0 ? points : 1.0);
    font.setItalic(italic);
    return font;
}

} // namespace quillset

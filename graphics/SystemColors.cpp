#include "graphics/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>
#include <utility>

namespace quillset {

namespace {

// Windows system-colour indices 0..24 and the palette role that plays each part here.
constexpr std::array<std::pair<QPalette::ColorGroup, QPalette::ColorRole>, 25> kSystemRoles = {{
    {QPalette::Active, QPalette::Button},          // 0 scroll bar
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},     // 3 inactive caption
    {QPalette::Active, QPalette::Window},          // 4 menu
    {QPalette::Active, QPalette::Base},            // 5 window
    {QPalette::Active, QPalette::Shadow},          // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::WindowText},      // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    {QPalette::Active, QPalette::Window},          // 10 active border
    {QPalette::Inactive, QPalette::Window},        // 11 inactive border
    {QPalette::Active, QPalette::Mid},             // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
    {QPalette::Active, QPalette::Light},           // 20 button highlight
    {QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 tooltip background
}};

} // namespace

QColor ToQColor(std::uint32_t color) {
    if ((color & 0xFF000000u) == 0x80000000u) {
        const std::uint32_t index = color & 0x00FFFFFFu;
        const QPalette palette = qGuiApp ? QGuiApplication::palette() : QPalette();
        if (index < kSystemRoles.size())
            return palette.color(kSystemRoles[index].first, kSystemRoles[index].second);
        return palette.color(QPalette::WindowText);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

} // namespace quillset

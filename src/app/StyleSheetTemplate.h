#pragma once

#include <QPalette>
#include <QString>

namespace corvel {

struct StylePalette;

// Turns one palette row into a look for the Fusion style: the QPalette every widget draws with,
// and the one style sheet shared by all compiled-in styles, filled with that row's colours.
class StyleSheetTemplate
{
public:
    static QPalette palette(const StylePalette &row);
    static QString styleSheet(const StylePalette &row);
};

} // namespace corvel

#pragma once

#include <QRgb>
#include <span>

namespace corvel {

// The colours of one compiled-in style. Everything else about its look is derived from these by
// the shared style-sheet template, so a new style is one more row, not a new set of rules.
struct StylePalette
{
    const char *name;
    QRgb window;
    QRgb base;
    QRgb alternateBase;
    QRgb text;
    QRgb button;
    QRgb buttonText;
    QRgb highlight;
    QRgb highlightedText;
    QRgb border;
    QRgb panel;
    QRgb menu;
    QRgb menuText;
    int radius; // 0 for the flat looks
    bool dark;
};

// The thirty compiled-in styles, in the order the style chooser lists them.
std::span<const StylePalette> compiledInPalettes();

} // namespace corvel

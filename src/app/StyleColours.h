#pragma once

#include <QColor>

namespace corvel {

struct StylePalette;

// Every colour a compiled-in style draws with, derived from its palette row in one place, so the
// palette, the style sheet and the readability checks all see the same colours.
struct StyleColours
{
    static StyleColours of(const StylePalette &row);

    QColor window;
    QColor base;
    QColor alternateBase;
    QColor text;
    QColor placeholderText;
    QColor button;
    QColor buttonTop;
    QColor buttonHover;
    QColor buttonPressed;
    QColor buttonText;
    QColor highlight;
    QColor highlightedText;
    QColor border;
    QColor panel;
    QColor header;
    QColor grid;
    QColor menu;
    QColor menuText;
    QColor menuEdge;
    QColor menuSelected;
    QColor menuSelectedText;
    QColor menuDisabledText;
    // The frame of edit boxes, drop-down lists and grids, and the ring that replaces it while the
    // control has the keyboard focus.
    QColor fieldBorder;
    QColor focus;
    QColor disabledWindowText;
    QColor disabledText;
    QColor disabledBase;
    QColor disabledButton;
    QColor disabledButtonText;
    QColor disabledBorder;
    QColor disabledHighlight;
    QColor disabledHighlightedText;
};

} // namespace corvel

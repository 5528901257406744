#pragma once

#include <array>
#include <span>

// The fixed texts of the main window in English, German and Czech, each row naming its target by
// objectName. ApplyLanguage walks them; a target that does not exist (yet) is skipped.

enum class RetitleKind {
    MenuCaption, // a menu item or the item of a whole menu
    ControlCaption, // a button, check box or label text, or a group box title
    RadioItems, // the texts of a group's radio buttons, one per line, in order
    Hint, // tooltip and status tip
};

struct RetitleRow {
    const char* target; // objectName
    RetitleKind kind;
    std::array<const char*, 3> text; // English, German, Czech (UTF-8)
};

// Labels, check boxes, group titles and the two multifunction-input item lists.
std::span<const RetitleRow> ControlCaptionRows();
// Menu captions and the Read, Verify and Program buttons.
std::span<const RetitleRow> MenuCaptionRows();
// Hints of buttons, labels and menu items.
std::span<const RetitleRow> HintRows();

// The lists of ignitions per revolution and of synchronisation polarity are rebuilt right after this
// control's caption, before the captions that follow it.
inline constexpr const char* kLobeListsAfter = "LabelMaxLenLobe";

#pragma once

#include <functional>

class QObject;

// Lists and texts that the main window builds from multi-language literals itself. ApplyLanguage
// calls them at fixed points between the table rows; an empty hook is skipped.
struct LanguageHooks {
    // Right after the caption of LabelMaxLenLobe.
    std::function<void()> rebuildIgnitionsPerRevolution;
    std::function<void()> rebuildSyncPolarity;
    // After the last label and check-box caption, in this order.
    std::function<void()> rebuildBikeList;
    std::function<void()> rebuildPickupPolarity;
    std::function<void()> rebuildPowerOutput;
    std::function<void()> rebuildMonitorTexts;
    // SetLanguage only, after the texts: redisplay every parameter control from the block.
    std::function<void()> refreshParameters;
};

// Puts the current language into effect on the widget tree under `root`, in this order: the message
// table; label and check-box captions and the radio-group item lists (with the list hooks); menu and
// unit-button captions and the check marks of MenuEnglish, MenuGerman and MenuCzech; the hints.
// Targets are found by objectName; no widget is created.
void ApplyLanguage(QObject& root, const LanguageHooks& hooks = {});

// The Language menu commands: makes `language` current, applies it and refreshes the parameters.
void SetLanguage(int language, QObject& root, const LanguageHooks& hooks = {});

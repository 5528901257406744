#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Colours of a status label. ButtonFace is the desktop's own button colour, so information texts
// follow the theme; the window maps each value to a real colour when it paints.
enum class StatusColour { Black, White, ButtonFace, Red, Yellow, Green };

// "Keep" for a colour argument of ShowStatus: the label keeps the colour it has.
inline constexpr std::optional<StatusColour> kKeepColour = std::nullopt;

enum class GaugeColour { Aqua, Red };

// One status label as the window should paint it.
struct StatusSlot {
    QString text; // already in the language of the moment it was shown
    StatusColour textColour = StatusColour::Black;
    StatusColour background = StatusColour::ButtonFace;
    int priority = -1;
    bool visible = false;
    bool expires = false; // false: shown until replaced or hidden
    int32_t expiryTick = 0; // first tick at which the label is hidden, when it expires
};

// The progress gauge of an operation. It belongs to the result slot and is hidden with it.
struct ProgressGauge {
    bool visible = false;
    int progress = 0; // percent, 0..100
    GaugeColour colour = GaugeColour::Aqua;
};

// The prioritised, self-expiring status labels of the main window. Slots are numbered 1 to 4: 1 the
// connection label, 2 the result label with the progress gauge, 4 the congruence label; slot 3 has
// no label. Time is the main timer's tick count, handed in by the caller; durations are given in
// milliseconds of the link clock (50 per tick).
class StatusSlots
{
public:
    static constexpr int kConnection = 1;
    static constexpr int kResult = 2;
    static constexpr int kCongruence = 4;
    static constexpr int kMsPerTick = 50;
    static constexpr int kPermanent = -1; // a duration of 0 or less never expires

    // Shows `text` (a multi-language literal, or a plain text) in `slot`, or hides the slot when `text`
    // is null. A priority of 0 or more loses against a higher priority of the text already shown; a
    // hidden slot counts as priority -1, and a negative priority always wins. Unknown slots and
    // slot 3 are ignored.
    void ShowStatus(int slot, const char* text, int durationMs, std::optional<StatusColour> textColour,
        std::optional<StatusColour> background, int priority, int32_t nowTick);

    // The tick step: hides every label whose time has run out (with the gauge for the result slot).
    void ExpireStatusTexts(int32_t nowTick);

    // Start-up: every label hidden, no expiry pending, gauge hidden.
    void HideAll();

    // Gauge of the running operation: aqua at 0 and visible when it starts; red at 100 when it fails.
    void StartGauge();
    void SetGaugeProgress(int percent); // clamped to 0..100
    void FailGauge();

    // Null for slot numbers without a label.
    const StatusSlot* Slot(int slot) const;
    const ProgressGauge& Gauge() const { return m_gauge; }

private:
    StatusSlot* MutableSlot(int slot);
    void Hide(int slot);

    std::array<StatusSlot, 4> m_slots {}; // index = slot number - 1
    ProgressGauge m_gauge;
};

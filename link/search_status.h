#pragma once

// What the port search tells the user. Both texts go to the connection label (status slot 1) of the
// main window, which implements this interface; the link never shows anything itself.

// The kinds of text and how the window shows them.
enum class LinkStatusKind {
    // A unit with the PC's key was found: black text on white, until replaced, priority 100.
    Connected,
    // A unit answered but does not belong to this program: black text on red, 6000 ms, priority 10.
    Unmatched,
};

inline constexpr int kConnectedStatusPriority = 100;
inline constexpr int kConnectedStatusDurationMs = -1; // never expires
inline constexpr int kUnmatchedStatusPriority = 10;
inline constexpr int kUnmatchedStatusDurationMs = 6000;

// "<name> connected", with the unit's display name in every language.
inline constexpr const char* kStatusUnitConnected = "###%s connected##%s verbunden##%s připojen";
// "COM <port>:<name> (unmatched)".
inline constexpr const char* kStatusUnitUnmatched = "###COM %i:%s (unmatched)##COM %i:%s verbunden "
                                                    "(unübertroffen)##COM %i:%s připojen (nekompatibilní)";

class ILinkStatusSink
{
public:
    virtual ~ILinkStatusSink() = default;
    // text is a multi-language literal ("###English##German##Czech", UTF-8), valid during the call.
    // Main thread.
    virtual void ShowLinkStatus(LinkStatusKind kind, const char* text) = 0;
};

#pragma once

#include <QString>

#include <vector>

// The COM menu as data: thirty items under the Com menu, of which the first three are "offline",
// "auto" and a separator, and the rest one per serial port. The window copies the items onto its
// actions; choosing an item gives the new port choice.

struct ComMenuPort {
    int number = 0;      // COM number
    QString devicePath;  // shown beside the number where the system's name is not "COMn"
};

struct ComMenuItem {
    QString caption;
    bool visible = false;
    bool separator = false;
    bool radio = false; // drawn as a radio item (while the search is automatic)
    bool checked = false;
    bool enabled = true;
};

class ComMenuModel {
public:
    static constexpr int kItems = 30;
    static constexpr int kFirstPortItem = 3;

    // `ports`: the ports that exist, in any order. `choice`: -1 offline, 0 automatic, n a fixed COMn.
    // `connectedPort`: the port of the connected unit, 0 when none. `offlineCaption` and `autoCaption`
    // are the texts of the first two items in the current language.
    static std::vector<ComMenuItem> Build(const std::vector<ComMenuPort>& ports, int choice, int connectedPort,
        const QString& offlineCaption, const QString& autoCaption);

    // The port choice an item stands for: item 0 is -1, item 1 is 0, a port item its number (read from
    // its caption: the first "&" removed, then the number that begins at the first digit). Returns
    // false for the separator and for a caption without a number.
    static bool ChoiceOfItem(int index, const QString& caption, int& choice);
};

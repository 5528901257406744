#include "core/com_menu.h"

#include <algorithm>

namespace {

QString PortCaption(const ComMenuPort& port)
{
    QString caption = QStringLiteral("COM&%1").arg(port.number);
    // The device name helps where ports are not called COMn by the system; a tab puts it in the
    // menu's second column.
    if (!port.devicePath.isEmpty() && port.devicePath != QStringLiteral("COM%1").arg(port.number))
        caption += QLatin1Char('\t') + port.devicePath;
    return caption;
}

} // namespace

std::vector<ComMenuItem> ComMenuModel::Build(const std::vector<ComMenuPort>& ports, int choice, int connectedPort,
    const QString& offlineCaption, const QString& autoCaption)
{
    std::vector<ComMenuPort> listed = ports;
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    const auto exists = [&](int number) {
        return std::any_of(ports.begin(), ports.end(), [number](const auto& p) { return p.number == number; });
    };
    // A fixed choice whose port is gone is still listed, disabled, so the user sees what is chosen.
    if (choice > 0 && !exists(choice)) {
        listed.push_back({ choice, QString() });
        std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
    }
    const int marked = choice > 0 ? choice : (choice == 0 ? connectedPort : 0);

    std::vector<ComMenuItem> items(kItems);
    const int shown = std::min(int(listed.size()) + kFirstPortItem, kItems);
    items[0] = { offlineCaption, true, false, false, choice == -1, true };
    items[1] = { autoCaption, true, false, false, choice == 0, true };
    items[2] = { QString(), true, true, false, false, true };
    for (int i = kFirstPortItem; i < shown; ++i) {
        ComMenuPort port = listed[i - kFirstPortItem];
        // The last item makes room for the marked port when the list is cut before it.
        if (i == shown - 1 && marked > port.number) {
            const auto it = std::find_if(listed.begin(), listed.end(), [marked](const auto& p) { return p.number == marked; });
            port = it != listed.end() ? *it : ComMenuPort { marked, QString() };
        }
        ComMenuItem& item = items[i];
        item.caption = PortCaption(port);
        item.visible = true;
        item.radio = choice == 0;
        item.checked = port.number == marked;
        item.enabled = exists(port.number);
    }
    return items;
}

bool ComMenuModel::ChoiceOfItem(int index, const QString& caption, int& choice)
{
    if (index == 0) {
        choice = -1;
        return true;
    }
    if (index == 1) {
        choice = 0;
        return true;
    }
    if (index == 2)
        return false;
    QString text = caption;
    const int amp = text.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        text.remove(amp, 1);
    int at = 0;
    while (at < text.size() && !text[at].isDigit())
        ++at;
    int number = 0;
    int digits = 0;
    while (at < text.size() && text[at].isDigit() && digits < 4) {
        number = number * 10 + text[at].digitValue();
        ++at;
        ++digits;
    }
    if (digits == 0 || number < 1 || number > 255)
        return false;
    choice = number;
    return true;
}

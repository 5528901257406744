#include "link/unit_com_label.h"

#include "shell/language.h"

#include <QStringList>

namespace
{
inline constexpr const char* kTextNone = "###none##kain##žádný";
} // namespace

QString ComLabelWithoutUnit(bool offline, int releasedPort, int portSelection, std::span<const int> slotPorts)
{
    if (offline)
        return QString::asprintf("COM=%i (DISCONECTED)", releasedPort);
    if (portSelection < 0)
        return QStringLiteral("COM=OFF");

    const bool automatic = portSelection == 0;
    QStringList ports;
    for (int port : slotPorts)
        if (port != 0)
            ports << QString::number(port);
    if (automatic && ports.isEmpty())
        return QStringLiteral("COM=") + SelectQText(kTextNone);
    QString text = automatic ? QStringLiteral("COM=(auto ") : QStringLiteral("COM=");
    text += ports.join(QLatin1Char(','));
    if (automatic)
        text += QLatin1Char(')');
    return text;
}

QString ComLabelConnected(int port)
{
    return QString::asprintf("COM=%i", port);
}

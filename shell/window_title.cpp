#include "shell/window_title.h"

#include "shell/language.h"
#include "shell/version_texts.h"

QString WindowTitle(const QString& fileName, bool offline, int language)
{
    QString title = QStringLiteral("  ") + QString::fromLatin1(kProgramName) + QStringLiteral(" (v")
        + QString::number(kRsKey) + QStringLiteral(")       ") + fileName;
    if (offline)
        title += QStringLiteral("   ") + SelectQText(kTitleOffline, language);
    return title;
}

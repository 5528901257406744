#include "core/dropped_files.h"

QString FirstParameterFile(const QStringList& names)
{
    for (const QString& name : names) {
        if (name.size() <= 3)
            continue;
        if (name.right(4).compare(QLatin1String(".ign"), Qt::CaseInsensitive) == 0)
            return name;
    }
    return QString();
}

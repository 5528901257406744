#pragma once

#include <QStringList>

// Of the files dropped on the window, the first whose name ends in ".ign" (the letters compared
// without case) is opened; the others are ignored. Empty when none qualifies.
QString FirstParameterFile(const QStringList& names);

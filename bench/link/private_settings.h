#pragma once

#include <QTemporaryDir>
#include <QString>

// A settings folder of the benchmark's own: HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR point into a
// temporary folder for this process and every simulator it starts, so the [PORTS] entries the
// simulators write never reach the user's settings. Made before anything reads the environment;
// removed with the object.
class PrivateSettings
{
public:
    PrivateSettings();
    PrivateSettings(const PrivateSettings&) = delete;
    PrivateSettings& operator=(const PrivateSettings&) = delete;

    bool Valid() const { return m_valid; }
    QString Path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    bool m_valid = false;
};

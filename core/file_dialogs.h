#pragma once

#include <QString>

class QWidget;

// The Open and Save dialogs of the parameter files. An empty result means the user cancelled.
// The window uses the real dialogs; tests answer with prepared paths.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual QString OpenFileName(const QString& startPath) = 0;
    virtual QString SaveFileName(const QString& startPath) = 0;
};

class QtFileDialogs : public IFileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent) : m_parent(parent) {}
    QString OpenFileName(const QString& startPath) override;
    QString SaveFileName(const QString& startPath) override;

private:
    QWidget* m_parent;
};

#include "core/file_dialogs.h"

#include <QFileDialog>

namespace {

constexpr const char* kOpenFilter = "Ignition Parametrs(*.ign);;All Files (*.*)";
constexpr const char* kSaveFilter = "Ignition Parametrs(*.ign)";

QString RunDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& startPath, const char* filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("ign"));
    dialog.setNameFilter(QString::fromLatin1(filter));
    // The Save dialog always starts with its first filter; so does Open, which has the .ign files first.
    dialog.selectNameFilter(QStringLiteral("Ignition Parametrs(*.ign)"));
    const QFileInfo start(startPath);
    if (start.isDir()) {
        dialog.setDirectory(startPath);
    } else if (!startPath.isEmpty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

} // namespace

QString QtFileDialogs::OpenFileName(const QString& startPath)
{
    return RunDialog(m_parent, QFileDialog::AcceptOpen, startPath, kOpenFilter);
}

QString QtFileDialogs::SaveFileName(const QString& startPath)
{
    return RunDialog(m_parent, QFileDialog::AcceptSave, startPath, kSaveFilter);
}

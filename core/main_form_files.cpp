// The file commands: New, Open (also from the exe folder), Save (also to the exe folder), the recent
// files and files dropped on the window.

#include "core/main_form.h"

#include "core/dropped_files.h"
#include "params/parameter_file.h"
#include "shell/message_table.h"
#include "shell/status_texts.h"
#include "shell/version_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>

void TMainForm::ConnectFileCommands()
{
    auto on = [this](const char* name, auto handler) {
        connect(findChild<QAction*>(name), &QAction::triggered, this, handler);
    };
    on("MenuNew", [this] { MenuNewClick(); });
    on("MenuOpen", [this] { MenuOpenClick(false); });
    on("MenuOpenExeDir", [this] { MenuOpenClick(true); });
    on("MenuSave", [this] { MenuSaveClick(false); });
    on("MenuSaveExeDir", [this] { MenuSaveClick(true); });
    for (int i = 1; i <= FileHistory::kMenuItems; ++i)
        on(QStringLiteral("MenuHistory%1").arg(i).toLatin1().constData(), [this, i] { MenuHistoryClick(i); });

    // The speed buttons do the same; with Ctrl held, Open and Save go to the exe folder.
    auto ctrlHeld = [] { return QApplication::keyboardModifiers().testFlag(Qt::ControlModifier); };
    connect(findChild<QAbstractButton*>("SpeedButtonNew"), &QAbstractButton::clicked, this, [this] { MenuNewClick(); });
    connect(findChild<QAbstractButton*>("SpeedButtonOpen"), &QAbstractButton::clicked, this,
        [this, ctrlHeld] { MenuOpenClick(ctrlHeld()); });
    connect(findChild<QAbstractButton*>("SpeedButtonSave"), &QAbstractButton::clicked, this,
        [this, ctrlHeld] { MenuSaveClick(ctrlHeld()); });
}

void TMainForm::MenuNewClick()
{
    MessageRequest ask;
    ask.caption = QString::fromLatin1(kProgramName);
    ask.text = MessageText(kMessageAskDefaults);
    ask.icon = MessageIcon::Question;
    ask.buttons = MessageButtons::YesNoCancel;
    ask.defaultAnswer = MessageAnswer::Yes;
    if (m_messages->Show(ask) != MessageAnswer::Yes)
        return;

    SetDefaults(m_block);
    RefreshControls();
    Commit();
    ClearResult(m_statusSlots, m_clock.Ticks());
    PaintStatusSlots();

    m_settings.history.AddRecentFile(QString());
    m_settings.file.clear();
    BuildFileHistoryMenu();
    UpdateWindowTitle();
}

void TMainForm::MenuOpenClick(bool fromExeDir)
{
    if (fromExeDir)
        m_dialogFileName = m_exeDir;
    const QString path = m_dialogs->OpenFileName(m_dialogFileName.isEmpty() ? m_settings.dialogPath : m_dialogFileName);
    if (path.isEmpty())
        return;
    ClearNewInstallation();
    OpenParameterFile(path);
}

void TMainForm::MenuHistoryClick(int index)
{
    const QString path = m_settings.history.Entry(index);
    if (!path.isEmpty())
        OpenParameterFile(path);
}

void TMainForm::OpenParameterFile(const QString& path)
{
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        ShowOpenFileError();
        m_settings.history.RemoveRecentFile(path);
        BuildFileHistoryMenu();
    } else {
        probe.close();
        CommitPendingEdit();
        const ParameterFileResult result = LoadParameterFile(path, m_block);
        m_blockState.fileVersion = result.version;
        ShowParameterFileMessage(MessageFor(result));
        NormalizeBlock();
        m_blockState.savedCopy = m_block;
        RefreshControls();
        CurveEditorTakeLoadedValues();
        if (result.Accepted()) {
            ClearNewInstallation();
            RecordUndoEntry();
            RefreshControls();
            Commit();
            RememberCurrentFile(path);
        }
    }
    ClearResult(m_statusSlots, m_clock.Ticks());
    PaintStatusSlots();
}

void TMainForm::MenuSaveClick(bool toExeDir)
{
    if (toExeDir)
        m_dialogFileName = m_exeDir;
    const QString path = m_dialogs->SaveFileName(m_dialogFileName.isEmpty() ? m_settings.dialogPath : m_dialogFileName);
    if (path.isEmpty())
        return;

    CollectControls();
    NormalizeBlock();
    RefreshControls();
    // Written to a temporary file and renamed over the target: a failed save leaves the old file whole.
    if (!SaveParameterFile(path, m_block, ParameterFileInfoNow())) {
        ShowOpenFileError();
        return;
    }
    m_blockState.savedCopy = m_block;
    RememberCurrentFile(path);
}

void TMainForm::RememberCurrentFile(const QString& path)
{
    m_settings.file = path;
    m_settings.dialogPath = path;
    m_dialogFileName = path;
    UpdateWindowTitle();
    m_settings.history.AddRecentFile(path);
    BuildFileHistoryMenu();
}

void TMainForm::ClearNewInstallation()
{
    if (!m_settings.newInstall)
        return;
    m_settings.newInstall = 0;
    SaveSettings();
}

ParameterFileInfo TMainForm::ParameterFileInfoNow() const
{
    ParameterFileInfo info;
    const UnitInfoTexts& unit = m_versionTexts.UnitInfo();
    info.unitProgramVersion = unit.name;
    info.unitProgramDate = unit.date;
    info.unitProgramTime = unit.time;
    info.buildDate = QString::fromLatin1(__DATE__);
    info.buildTime = QString::fromLatin1(__TIME__);
    info.unitInformation = { unit.updateCode, QStringLiteral("RSKEY=%1").arg(kRsKey), unit.serialNumber,
        unit.lastUpdate, unit.options };
    info.powerSource = m_unitPowerSource;
    return info;
}

void TMainForm::ShowOpenFileError()
{
    ShowParameterFileMessage(ParameterFileMessage::OpenFileError);
}

void TMainForm::ShowParameterFileMessage(ParameterFileMessage message)
{
    const char* key = nullptr;
    switch (message) {
    case ParameterFileMessage::None:
        return;
    case ParameterFileMessage::OlderVersion:
        key = kMessageOlderFileVersion;
        break;
    case ParameterFileMessage::UnmatchedVersion:
        key = kMessageUnmatchedFileVersion;
        break;
    case ParameterFileMessage::OpenFileError:
        key = kMessageOpenFileError;
        break;
    }
    MessageRequest box;
    box.caption = QString::fromLatin1(kProgramName);
    box.text = MessageText(key);
    m_messages->Show(box);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    event->acceptProposedAction();
    OpenDroppedFiles(names);
}

void TMainForm::OpenDroppedFiles(const QStringList& names)
{
    const QString chosen = FirstParameterFile(names);
    if (!chosen.isEmpty())
        OpenParameterFile(chosen);
}

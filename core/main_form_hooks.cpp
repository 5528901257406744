// Steps of start-up, the tick and closing that belong to subsystems still being connected to the
// window. Each is called at its fixed place; an empty body means that subsystem is not there yet.

#include "core/main_form.h"

#include "shell/apply_language.h"

#include <QLabel>

void TMainForm::OpenSettings() {}
void TMainForm::HideStatusSlots()
{
    for (const char* name : { "LabelConnection", "LabelResult", "LabelCongruence" })
        findChild<QLabel*>(name)->hide();
}
void TMainForm::CreateCurveEditorAndLists() {}
void TMainForm::LoadSettings() {}
void TMainForm::ApplyLanguage() { ::ApplyLanguage(*this, LanguageHooksForWindow()); }
void TMainForm::RefreshControls() {}
void TMainForm::BuildFileHistoryMenu() {}
void TMainForm::ResetUndoHistory() {}
void TMainForm::BuildVersionTexts() {}
void TMainForm::ReadTestMarker() {}
void TMainForm::RefreshDependentControls() {}
void TMainForm::OpenSerialTrace() {}
void TMainForm::BuildMonitorTexts() {}
void TMainForm::UpdateWindowTitle() { setWindowTitle(QStringLiteral("Velmor (v109)")); }
void TMainForm::InitMonitorPlayer() {}
void TMainForm::HideUnusedControls() {}
void TMainForm::LinkStep() {}
bool TMainForm::PortListChanged() { return false; }
void TMainForm::CommitPendingEdit() {}
void TMainForm::UpdateCurveEditor() {}
void TMainForm::ExpireStatusTexts() {}
bool TMainForm::UnitConnected() const { return false; }
QString TMainForm::UnitVersionText() const { return QString(); }
void TMainForm::ReplayMonitorEvents() {}
void TMainForm::StopMonitorRecorder() {}
void TMainForm::ClosePorts() {}
void TMainForm::CollectControls() {}
void TMainForm::NormalizeBlock() {}
void TMainForm::SaveSettings() {}
void TMainForm::ReleaseLinkBuffers() {}

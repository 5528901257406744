// Steps of start-up, the tick and closing that belong to subsystems still being connected to the
// window. Each is called at its fixed place; an empty body means that subsystem is not there yet.

#include "core/main_form.h"

#include "shell/apply_language.h"

#include <QLabel>

void TMainForm::CreateCurveEditorAndLists() {}
void TMainForm::ApplyLanguage() { ::ApplyLanguage(*this, LanguageHooksForWindow()); }
void TMainForm::RefreshControls() {}
void TMainForm::ResetUndoHistory() {}
void TMainForm::RefreshDependentControls() {}
void TMainForm::InitMonitorPlayer() {}
void TMainForm::HideUnusedControls() {}
void TMainForm::CommitPendingEdit() {}
void TMainForm::UpdateCurveEditor() {}
void TMainForm::ReplayMonitorEvents() {}
void TMainForm::StopMonitorRecorder() {}
void TMainForm::CollectControls() {}
void TMainForm::ReleaseLinkBuffers() {}
void TMainForm::Commit() {}
void TMainForm::RecordUndoEntry() {}
void TMainForm::CurveEditorTakeLoadedValues() {}

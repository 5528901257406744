#include "shell/apply_language.h"

#include "shell/language.h"
#include "shell/message_table.h"
#include "shell/retitle_tables.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

#include <cstring>

namespace
{

void Call(const std::function<void()>& hook)
{
    if (hook)
        hook();
}

void SetCaption(QObject* target, const QString& text)
{
    if (auto* action = qobject_cast<QAction*>(target))
        action->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(target))
        menu->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(target))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(target))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(target))
        group->setTitle(text);
}

// Only the texts change, so each button keeps its checked state and the group goes on showing the
// choice its parameter selects.
void SetRadioItems(QObject* target, const QString& lines)
{
    const QStringList items = lines.split(QLatin1Char('\n'));
    const QList<QRadioButton*> buttons = target->findChildren<QRadioButton*>();
    for (qsizetype i = 0; i < buttons.size() && i < items.size(); ++i)
        buttons[i]->setText(items[i]);
}

void SetHint(QObject* target, const QString& text)
{
    if (auto* menu = qobject_cast<QMenu*>(target))
        target = menu->menuAction();
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setToolTip(text);
        action->setStatusTip(text);
    } else if (auto* widget = qobject_cast<QWidget*>(target)) {
        widget->setToolTip(text);
        widget->setStatusTip(text);
    }
}

void ApplyRow(QObject& root, const RetitleRow& row, int language)
{
    const QString text = QString::fromUtf8(row.text[language]);
    const QList<QObject*> targets = root.findChildren<QObject*>(QString::fromLatin1(row.target));
    for (QObject* target : targets) {
        switch (row.kind) {
        case RetitleKind::MenuCaption:
        case RetitleKind::ControlCaption:
            SetCaption(target, text);
            break;
        case RetitleKind::RadioItems:
            SetRadioItems(target, text);
            break;
        case RetitleKind::Hint:
            SetHint(target, text);
            break;
        }
    }
}

void CheckLanguageItems(QObject& root, int language)
{
    static constexpr const char* kItems[kLanguageCount] = { "MenuEnglish", "MenuGerman", "MenuCzech" };
    for (int i = 0; i < kLanguageCount; ++i) {
        for (QAction* item : root.findChildren<QAction*>(QString::fromLatin1(kItems[i]))) {
            item->setCheckable(true);
            item->setChecked(i == language);
        }
    }
}

} // namespace

void ApplyLanguage(QObject& root, const LanguageHooks& hooks)
{
    const int language = ResolveLanguage(kUseCurrentLanguage);

    RebuildMessageTable(language);

    for (const RetitleRow& row : ControlCaptionRows()) {
        ApplyRow(root, row, language);
        if (row.kind == RetitleKind::ControlCaption && std::strcmp(row.target, kLobeListsAfter) == 0) {
            Call(hooks.rebuildIgnitionsPerRevolution);
            Call(hooks.rebuildSyncPolarity);
        }
    }
    Call(hooks.rebuildBikeList);
    Call(hooks.rebuildPickupPolarity);
    Call(hooks.rebuildPowerOutput);
    Call(hooks.rebuildMonitorTexts);

    for (const RetitleRow& row : MenuCaptionRows())
        ApplyRow(root, row, language);
    CheckLanguageItems(root, language);

    for (const RetitleRow& row : HintRows())
        ApplyRow(root, row, language);
}

void SetLanguage(int language, QObject& root, const LanguageHooks& hooks)
{
    SetCurrentLanguage(language);
    ApplyLanguage(root, hooks);
    Call(hooks.refreshParameters);
}

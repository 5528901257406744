// The window's side of the status slots, the version texts and the title: the models live in shell/,
// the window paints them.

#include "core/main_form.h"

#include "core/gauge_value.h"

#include <QLabel>
#include <QPalette>
#include <QProgressBar>

namespace {

QColor ToColor(StatusColour colour, const QPalette& palette)
{
    switch (colour) {
    case StatusColour::Black:
        return Qt::black;
    case StatusColour::ButtonFace:
        return palette.color(QPalette::Button);
    case StatusColour::White:
        return Qt::white;
    case StatusColour::Red:
        return QColor(0xff, 0x00, 0x00);
    case StatusColour::Yellow:
        return QColor(0xff, 0xff, 0x00);
    case StatusColour::Green:
        return QColor(0x00, 0x80, 0x00);
    }
    return Qt::black;
}

} // namespace

void TMainForm::HideStatusSlots()
{
    m_statusSlots.HideAll();
    PaintStatusSlots();
}

void TMainForm::ExpireStatusTexts()
{
    m_statusSlots.ExpireStatusTexts(m_clock.Ticks());
    PaintStatusSlots();
}

void TMainForm::PaintStatusSlots()
{
    const std::pair<int, const char*> labels[] = {
        { StatusSlots::kConnection, "LabelConnection" },
        { StatusSlots::kResult, "LabelResult" },
        { StatusSlots::kCongruence, "LabelCongruence" },
    };
    for (const auto& [slotNumber, name] : labels) {
        const StatusSlot* slot = m_statusSlots.Slot(slotNumber);
        auto* label = findChild<QLabel*>(name);
        if (label->text() != slot->text)
            label->setText(slot->text);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ToColor(slot->textColour, palette));
        palette.setColor(QPalette::Window, ToColor(slot->background, palette));
        label->setPalette(palette);
        label->setVisible(slot->visible);
    }
    const ProgressGauge& gauge = m_statusSlots.Gauge();
    SetGaugeValue(*m_gaugeProgram, gauge.progress);
    QPalette palette = m_gaugeProgram->palette();
    palette.setColor(QPalette::Highlight, gauge.colour == GaugeColour::Red ? QColor(0xff, 0, 0) : QColor(0, 0xff, 0xff));
    m_gaugeProgram->setPalette(palette);
    m_gaugeProgram->setVisible(gauge.visible);
}

void TMainForm::BuildVersionTexts()
{
    m_versionTexts.ParseBuildDate();
    m_versionTexts.FormatPcVersion();
    m_versionTexts.FormatUnitVersion();
}

QString TMainForm::UnitVersionText() const
{
    return m_versionTexts.UnitVersionText();
}

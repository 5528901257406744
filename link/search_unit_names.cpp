#include "link/search_unit_names.h"

#include "platform/text_1250.h"

#include <QString>

#include <cstdio>

namespace
{

constexpr UnitModel kNoModels[1] = {};

std::string Printable(const std::string& raw)
{
    QString text = FromWindows1250(QByteArrayView(raw.data(), static_cast<qsizetype>(raw.size())));
    for (QChar& c : text) {
        if (c == u'#' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return text.toStdString();
}

} // namespace

std::span<const UnitModel> DefaultUnitModels()
{
    return std::span<const UnitModel>(kNoModels, 0);
}

std::string IgnUnitName(int version, std::span<const UnitModel> models)
{
    const UnitModel* match = nullptr;
    for (const UnitModel& model : models) {
        if (model.type == version)
            match = &model;
    }
    char text[96];
    if (match)
        std::snprintf(text, sizeof text, "%s v%i", match->name, version);
    else if (version == -1)
        std::snprintf(text, sizeof text, "Kordanex (unknown)");
    else
        std::snprintf(text, sizeof text, "Kordanex %i", version);
    return text;
}

std::string WcomUnitName(const std::string& unitName, int version, int hardwareCode)
{
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, " v%i (hw:%x)", version, static_cast<unsigned>(hardwareCode));
    return Printable(unitName) + suffix;
}

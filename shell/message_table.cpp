#include "shell/message_table.h"

#include "shell/language.h"

#include <cstring>

namespace
{

constexpr MessageEntry kEntries[] = {
    { kMessageUnmatchedUnitVersion,
        { kMessageUnmatchedUnitVersion, "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!",
            "Neshodné verze proramu v PC a zapalování!" } },
    { kMessageOlderFileVersion,
        { "Older version of *.ign file!\n\n"
          "Some parameters won't be changed or will be set to default value.\n"
          "They are parameters which are not in older version or have another structure.",
            "Älter Version von Datendatei *.ign!\n\n"
            "Einige Kenndaten werden nicht geändert oder werden implizit Wert gestellt.\n"
            "Sie sind die Kenndaten, die in älter Version nicht sind oder andere Struktur haben",
            "Starší verze souboru *.ign!\n\n"
            "Některé parametry budou nezměněny nebo nataveny na základní hodnotu.\n"
            "Jsou to parametry, které v této verzi nebyly obsaženy nebo měly jinou strukturu." } },
    { kMessageUnmatchedFileVersion,
        { kMessageUnmatchedFileVersion, "Datei *.ign ist nicht kompatiebel!",
            "Neshodná verze souboru *.ign!" } },
    { kMessageOpenFileError,
        { "Open file error!", "Fehler beim öffnen der Datei!", "Chyba při otevírání souboru!" } },
    { kMessageAskDefaults,
        { kMessageAskDefaults, "Wollen Sie Standardeinstellungen öffnen?",
            "Chcete nastavit základní hodnoty?" } },
    { kMessageAskCopyAToB,
        { kMessageAskCopyAToB, "Wollen Sie kopieren A -> B ?", "Chcete zkopírovat nastavení A do B ?" } },
    { kMessagePolarityOfCkps, { kMessagePolarityOfCkps, "Polarität des CKPS", "Polarita CKPS" } },
    { kMessagePositive, { kMessagePositive, "Positiv", "Kladná" } },
    { kMessageNegative, { kMessageNegative, "Negativ", "Záporná" } },
    { kMessageAdvance, { kMessageAdvance, "Vorzündung", "Předstih" } },
    { kMessageNumberOfPrograming,
        { kMessageNumberOfPrograming, "Programmierungsanzahl ", "Počet programování " } },
    { kMessagePickUp, { kMessagePickUp, "Geber(CPS)", "Snímač (CPS)" } },
    { kMessageBasic, { kMessageBasic, "Grund", "Základní" } },
    { kMessageHourMeter, { kMessageHourMeter, "Betriebstundenzähler", "Počítadlo provozních hodin" } },
    { kMessageHourMeterUnit, { kMessageHourMeterUnit, "[s:mm]", "[h:mm]" } },
    { kMessageComOffline, { kMessageComOffline, "COM &offline", "COM &odpojen" } },
    { kMessageComAuto, { kMessageComAuto, "COM &auto", "COM &automaticky" } },
    { kMessageNewInstallation,
        { kMessageNewInstallation, kMessageNewInstallation,
            "Toto je nová instalace setovacího programu pro zapalování Kordanex.\n"
            "Před prvním naprogramováním jednotky musíte stav připojené jednotky vyčíst (tlačítkem číst),\n"
            "nebo otevřít .ign soubor s odpovídajícím nastavením (například z přiloženého CD) !" } },
    { kMessageAttention, { kMessageAttention, "Attention", "Upozornění" } },
    { kMessageDifferentBike,
        { kMessageDifferentBike, kMessageDifferentBike,
            "V setovacím programu je vybrán jiný motocykl než aktuálně nastavený v zapalování,\n"
            " jste si jist že chcete provést v zapalování tuto změnu ?" } },
    { kMessageWarning, { kMessageWarning, "Warning", "Varování" } },
};

int g_tableLanguage = kEnglish;

} // namespace

std::span<const MessageEntry> MessageEntries()
{
    return kEntries;
}

void RebuildMessageTable(int language)
{
    g_tableLanguage = language >= 0 && language < kLanguageCount ? language : kEnglish;
}

QString MessageText(const char* english)
{
    if (!english)
        return {};
    for (const MessageEntry& entry : kEntries) {
        if (std::strcmp(entry.key, english) == 0 || std::strcmp(entry.text[kEnglish], english) == 0)
            return QString::fromUtf8(entry.text[g_tableLanguage]);
    }
    return QString::fromUtf8(english);
}

#include "shell/language.h"

#include "shell/message_sink.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace
{

// Longest variant in bytes (UTF-8 as stored), counted before trailing white space is removed.
constexpr std::size_t kMaxVariantBytes = 255;

struct ParsedLiteral {
    std::string source; // the literal as it was split: tells a reused address from the same literal
    int count = 0; // variants present, 1 to 3
    std::array<std::string, kLanguageCount> variants;
};

// Parsed forms are never freed: the texts handed out by SelectText point into them.
struct LiteralCache {
    std::unordered_map<const char*, const ParsedLiteral*> byAddress;
    std::vector<std::unique_ptr<ParsedLiteral>> store;
};

LiteralCache& Cache()
{
    static LiteralCache cache;
    return cache;
}

int g_currentLanguage = kEnglish;
IMessageSink* g_faultSink = nullptr;
int g_splitCount = 0;

void ReportFault(const QString& message)
{
    if (!g_faultSink) {
        std::fprintf(stderr, "Error: %s\n", message.toLocal8Bit().constData());
        return;
    }
    MessageRequest request;
    request.caption = QStringLiteral("Error");
    request.text = message;
    request.icon = MessageIcon::None;
    request.buttons = MessageButtons::Ok;
    g_faultSink->Show(request);
}

// Drops trailing blanks, tabs and line breaks but keeps the first character, so a variant made
// only of white space still holds one character.
std::string TrimTrailing(std::string_view variant)
{
    std::size_t size = variant.size();
    while (size > 1) {
        const char last = variant[size - 1];
        if (last != ' ' && last != '\t' && last != '\n' && last != '\r')
            break;
        --size;
    }
    return std::string(variant.substr(0, size));
}

// Splits a text that begins with "#". Reports the fault and returns null when it is malformed.
std::unique_ptr<ParsedLiteral> Split(const char* text)
{
    ++g_splitCount;

    if (text[1] != '#') {
        // The character after a single "#" stands where the variant count would be, which is what
        // the report shows. Unsigned, so that a UTF-8 lead byte does not turn into a negative count.
        const int count = static_cast<unsigned char>(text[1]);
        ReportFault(QString::asprintf(
            "Chybny pocet jazykovych mutaci (%i > %i || %i==0) !\n ", count, kLanguageCount, count));
        return nullptr;
    }
    if (text[2] != '#') {
        ReportFault(QStringLiteral("Chybi ### na zacatku v jazykovem retezci !\n") + QString::fromUtf8(text));
        return nullptr;
    }

    auto parsed = std::make_unique<ParsedLiteral>();
    parsed->source = text;
    const char* position = text + 3;
    int counter = 1;
    for (int round = 0; round < kLanguageCount; ++round) {
        parsed->count = counter;
        const char* end = std::strstr(position, "##");
        if (!end) {
            // The variant that runs to the end of the text is taken as it is.
            parsed->variants[counter - 1].assign(position);
            break;
        }
        const std::string_view variant(position, static_cast<std::size_t>(end - position));
        if (variant.size() > kMaxVariantBytes) {
            ReportFault(
                QStringLiteral("Prilis dlouha jazykova mutace (>255 chars) !\n") + QString::fromUtf8(text));
            return nullptr;
        }
        parsed->variants[counter - 1] = TrimTrailing(variant);
        ++counter;
        position = end + 2;
    }
    return parsed;
}

const ParsedLiteral* Parsed(const char* text)
{
    LiteralCache& cache = Cache();
    const auto found = cache.byAddress.find(text);
    if (found != cache.byAddress.end() && std::strcmp(found->second->source.c_str(), text) == 0)
        return found->second;

    std::unique_ptr<ParsedLiteral> parsed = Split(text);
    if (!parsed)
        return nullptr;
    const ParsedLiteral* kept = cache.store.emplace_back(std::move(parsed)).get();
    cache.byAddress[text] = kept;
    return kept;
}

const char* Variant(const ParsedLiteral& parsed, int language)
{
    const std::string& english = parsed.variants[kEnglish];
    if (language >= parsed.count)
        return english.c_str();
    const std::string& chosen = parsed.variants[language];
    if (chosen.empty() || chosen == "..")
        return english.c_str();
    return chosen.c_str();
}

} // namespace

int CurrentLanguage()
{
    return g_currentLanguage;
}

void SetCurrentLanguage(int language)
{
    g_currentLanguage = language;
}

int ResolveLanguage(int language)
{
    if (language == kUseCurrentLanguage)
        language = g_currentLanguage;
    return language >= 0 && language < kLanguageCount ? language : kEnglish;
}

const char* SelectText(const char* text, int language)
{
    if (!text || text[0] != '#')
        return text;
    const ParsedLiteral* parsed = Parsed(text);
    if (!parsed)
        return text;
    return Variant(*parsed, ResolveLanguage(language));
}

QString SelectQText(const char* text, int language)
{
    return QString::fromUtf8(SelectText(text, language));
}

IMessageSink* SetTextFaultSink(IMessageSink* sink)
{
    IMessageSink* previous = g_faultSink;
    g_faultSink = sink;
    return previous;
}

int LiteralSplitCount()
{
    return g_splitCount;
}

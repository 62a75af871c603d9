// Splits arbitrary text from an arbitrary start and checks what the callers of the runs
// rely on. Input: one flag byte (bit 0: text is UTF-16LE, else UTF-8; bit 1: take the
// start as a raw 32-bit number, else fold it into -1..length), four start bytes, text.
#include "FuzzRequire.h"
#include "common/Gbk.h"
#include "reading/LanguageRuns.h"

#include <cstdint>
#include <cstring>

using lirondo::GbkCodePage;
using lirondo::LanguageRuns;
using CharClass = GbkCodePage::CharClass;

namespace {

constexpr int kChinese = 4;
constexpr int kEnglish = 9;

void checkSplit(const GbkCodePage& gbk, const LanguageRuns& split, const QString& text,
                qsizetype start, bool ok)
{
    if (start < 0 || start >= text.size()) {
        require(!ok && split.count() == 0 && split.runCount() == 0, "runs from nothing");
        require(!split.inRange(0) && split.runText(0).isEmpty() && split.runVoice(0) == -1,
                "entry 0 of an empty split");
        return;
    }
    require(ok, "split refused");
    const QStringView rest = QStringView(text).sliced(start);
    require(split.count() == rest.size(), "count is not the number of characters");
    require(split.runCount() >= 1 && split.runCount() <= split.count(), "run count");

    // Language of the last letter or Chinese character seen so far, walking the runs.
    int lang = LanguageRuns::None;
    qsizetype offset = 0;
    for (qsizetype k = 0; k < split.runCount(); ++k) {
        const QString run = split.runText(k);
        require(!run.isEmpty(), "empty run in use");
        require(split.runOffset(k) == offset, "run offset");
        require(rest.sliced(offset).startsWith(run), "runs do not join back to the text");
        const int voice = split.runVoice(k);
        if (k > 0) {
            require(voice != split.runVoice(k - 1), "neighbouring runs share a language");
            // A run starts exactly where the language changes.
            const CharClass first = gbk.classify(run.at(0).unicode());
            require(first != CharClass::Neutral, "run starts with a neutral character");
            require((first == CharClass::Chinese) != (lang == LanguageRuns::Chinese),
                    "run starts without a change of language");
        }
        // Within a run every letter and Chinese character is of the run's language.
        for (const QChar ch : run) {
            const CharClass cls = gbk.classify(ch.unicode());
            if (cls == CharClass::Neutral)
                continue;
            lang = cls == CharClass::Chinese ? LanguageRuns::Chinese : LanguageRuns::English;
            require(voice == (lang == LanguageRuns::Chinese ? kChinese : kEnglish),
                    "run tagged with the wrong voice");
        }
        offset += run.size();
    }
    require(offset == rest.size(), "runs do not cover the text");
    require(lang != LanguageRuns::None || split.runVoice(0) == -1,
            "voice for a text without letters");
    require(split.lastLanguage() == lang, "lastlang");
    for (qsizetype k = split.runCount(); k < split.count(); ++k)
        require(split.inRange(k) && split.runText(k).isEmpty() && split.runVoice(k) == -1,
                "entry after the last run in use");
    require(!split.inRange(split.count()) && !split.inRange(-1), "index outside the arrays");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const GbkCodePage gbk; // built once; never written after
    if (size < 5)
        return 0;
    const uint8_t flags = data[0];
    int32_t rawStart;
    std::memcpy(&rawStart, data + 1, sizeof rawStart);
    const char* body = reinterpret_cast<const char*>(data + 5);
    const qsizetype bodySize = qsizetype(size - 5);

    QString text;
    if (flags & 1) {
        text.resize(bodySize / 2);
        std::memcpy(text.data(), body, size_t(text.size()) * sizeof(char16_t));
    } else {
        text = QString::fromUtf8(body, bodySize);
    }
    qsizetype start = rawStart;
    if (!(flags & 2))
        start = qsizetype(uint32_t(rawStart) % uint32_t(text.size() + 2)) - 1;

    LanguageRuns split(gbk);
    checkSplit(gbk, split, text, start, split.split(text, start, kChinese, kEnglish));
    // The same object again from the top: nothing of the first split may remain.
    checkSplit(gbk, split, text, 0, split.split(text, 0, kChinese, kEnglish));
    return 0;
}

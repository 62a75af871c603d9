#include "reading/VoiceTable.h"

#include <array>

namespace lirondo {

namespace {

int firstTagged(const QList<VoiceInfo>& voices, QLatin1StringView tag)
{
    for (int i = 0; i < voices.size(); ++i) {
        for (const QString& language : voices.at(i).languages) {
            if (language.compare(tag, Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    return -1;
}

template <std::size_t N>
int firstTaggedOf(const QList<VoiceInfo>& voices, const std::array<QLatin1StringView, N>& tags)
{
    for (QLatin1StringView tag : tags) {
        const int found = firstTagged(voices, tag);
        if (found >= 0)
            return found;
    }
    return -1;
}

} // namespace

VoiceTable VoiceTable::build(const QList<VoiceInfo>& voices)
{
    VoiceTable table;
    for (int j = 0; j < voices.size(); ++j) {
        const VoiceInfo& voice = voices.at(j);
        // A voice without a description is listed under its identifier, so the
        // table index, the engine position and the list position stay one number.
        table.engineIndex.append(j);
        table.descriptions.append(voice.description.isEmpty() ? voice.id : voice.description);
    }

    const QString chineseNames[] = {QStringLiteral("中文女声语音(Ch.Female) [单机版]"),
                                    QStringLiteral("Microsoft Simplified Chinese")};
    const QString englishNames[] = {QStringLiteral("Microsoft Mary"),
                                    QStringLiteral("Microsoft Mike")};
    for (int i = 0; i < voices.size(); ++i) {
        const QString& description = voices.at(i).description;
        if (description == chineseNames[0] || description == chineseNames[1])
            table.chinese = i;
        else if (description == englishNames[0] || description == englishNames[1])
            table.english = i;
    }

    if (table.chinese < 0) {
        table.chinese =
            firstTaggedOf(voices, std::array{QLatin1StringView("cmn"), QLatin1StringView("zh-cmn"),
                                             QLatin1StringView("zh"), QLatin1StringView("zh-CN")});
    }
    if (table.english < 0) {
        table.english =
            firstTaggedOf(voices, std::array{QLatin1StringView("en-US"), QLatin1StringView("en")});
    }
    return table;
}

} // namespace lirondo

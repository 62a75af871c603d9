#include "export/ExportCommandLine.h"

#include "documents/TextDecoder.h"
#include "export/AudioFileWriter.h"
#include "export/Exporter.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cmath>

namespace lirondo {

namespace {
// Messages the user reads, looked up in the installed translation.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(lirondo::ExportCommandLine)
};
} // namespace

using namespace Qt::StringLiterals;

namespace {

QString helpText()
{
    return Text::tr("用法 / Usage:\n"
                    "  lirondo [FILE...]                      打开窗口（并打开文件）\n"
                    "  lirondo --export OUT [选项] FILE|-     把文本朗读成音频文件，字幕写在旁边\n"
                    "  lirondo --list-voices                  列出语音（标识、语言、名称）\n"
                    "  lirondo --help | --version\n"
                    "\n"
                    "--export 的选项 / options:\n"
                    "  --voice ID     语音（见 --list-voices；默认中文语音）\n"
                    "  --rate N       朗读速度 -10 .. 10（默认 0）\n"
                    "  --volume N     音量 0 .. 100（默认 100）\n"
                    "  --mixed        中英文混读：中文和英文各用自己的语音\n"
                    "\n"
                    "OUT 的扩展名决定格式：%1。\n"
                    "同名的 .lrc、.srt、.vtt 和逐词的 .words.vtt 字幕写在 OUT 旁边。\n"
                    "FILE 为 - 时从标准输入读取。文本可为 UTF-8 或 GBK。\n")
        .arg(AudioFileWriter::extensions().join(u", "_s));
}

// A voice by its identifier ("sit/cmn" or "cmn"), its name or a language tag.
int findVoice(const QList<VoiceInfo>& voices, const QString& wanted)
{
    const auto match = [&](auto&& test) {
        for (int i = 0; i < voices.size(); ++i) {
            if (test(voices.at(i)))
                return i;
        }
        return -1;
    };
    const auto same = [&wanted](const QString& s) {
        return s.compare(wanted, Qt::CaseInsensitive) == 0;
    };
    int found = match([&](const VoiceInfo& v) { return same(v.id); });
    if (found < 0)
        found = match([&](const VoiceInfo& v) { return same(v.id.section(u'/', -1)); });
    if (found < 0)
        found = match([&](const VoiceInfo& v) { return same(v.description); });
    if (found < 0)
        found = match([&](const VoiceInfo& v) {
            return std::any_of(v.languages.begin(), v.languages.end(), same);
        });
    return found;
}

QString clockText(double seconds)
{
    const auto s = static_cast<qint64>(std::lround(std::max(0.0, seconds)));
    return u"%1:%2"_s.arg(s / 60).arg(int(s % 60), 2, 10, QChar(u'0'));
}

bool readInteger(const QString& text, int low, int high, int* value)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

} // namespace

bool isCommandLineMode(const QStringList& arguments)
{
    static const QStringList flags = {u"--export"_s, u"--list-voices"_s, u"--help"_s,
                                      u"-h"_s,       u"--version"_s,     u"-v"_s};
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return flags.contains(a) || a.startsWith(u"--export="_s);
    });
}

bool parseProgressLine(QStringView line, double* fraction, double* secondsLeft)
{
    const auto parts = line.trimmed().split(u' ');
    if (parts.size() != 3 || parts[0] != u"progress")
        return false;
    bool ok1 = false, ok2 = false;
    *fraction = parts[1].toDouble(&ok1);
    *secondsLeft = parts[2].toDouble(&ok2);
    return ok1 && ok2;
}

int runCommandLine(const QStringList& arguments, const CommandLineIo& io, const GbkCodePage& gbk,
                   const std::atomic<bool>* cancel)
{
    QCommandLineParser parser;
    const QCommandLineOption exportOption(u"export"_s, {}, u"OUT"_s);
    const QCommandLineOption voiceOption(u"voice"_s, {}, u"ID"_s);
    const QCommandLineOption rateOption(u"rate"_s, {}, u"N"_s);
    const QCommandLineOption volumeOption(u"volume"_s, {}, u"N"_s);
    const QCommandLineOption mixedOption(u"mixed"_s);
    const QCommandLineOption listOption(u"list-voices"_s);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption versionOption(QStringList{u"v"_s, u"version"_s});
    const QCommandLineOption linesOption(u"progress-lines"_s);
    parser.addOptions({exportOption, voiceOption, rateOption, volumeOption, mixedOption, listOption,
                       helpOption, versionOption, linesOption});
    if (!parser.parse(QStringList{u"lirondo"_s} + arguments)) {
        io.err(u"lirondo: %1\n%2"_s.arg(parser.errorText(), Text::tr("用 --help 查看用法。\n")));
        return ExitUsage;
    }
    if (parser.isSet(helpOption)) {
        io.out(helpText());
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        io.out(u"lirondo %1\n"_s.arg(QStringLiteral(LIRONDO_VERSION)));
        return ExitOk;
    }

    const auto engine = [&]() -> EspeakSynthesizer* {
        EspeakSynthesizer* synth = io.synthesizer ? &io.synthesizer() : nullptr;
        if (!synth || synth->sampleRate() <= 0) {
            io.err(exportMessage(ExportStatus::EngineFailed, {}) + u'\n');
            return nullptr;
        }
        return synth;
    };

    if (parser.isSet(listOption)) {
        const EspeakSynthesizer* s = engine();
        if (!s)
            return ExitFailed;
        QString list;
        for (const VoiceInfo& v : s->voices())
            list += v.id + u'\t' + v.languages.value(0) + u'\t' + v.description + u'\n';
        io.out(list);
        return ExitOk;
    }
    if (!parser.isSet(exportOption)) {
        io.err(Text::tr("lirondo: 缺少 --export OUT。用 --help 查看用法。\n"));
        return ExitUsage;
    }

    ExportRequest request;
    request.outputPath = parser.value(exportOption);
    request.mixed = parser.isSet(mixedOption);
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() != 1) {
        io.err(Text::tr("lirondo: --export 需要一个文本文件（或 - 表示标准输入）。\n"));
        return ExitUsage;
    }
    if (parser.isSet(rateOption) &&
        !readInteger(parser.value(rateOption), -10, 10, &request.rate)) {
        io.err(Text::tr("lirondo: 朗读速度应为 -10 到 10 之间的整数：%1\n")
                   .arg(parser.value(rateOption)));
        return ExitUsage;
    }
    if (parser.isSet(volumeOption) &&
        !readInteger(parser.value(volumeOption), 0, 100, &request.volume)) {
        io.err(Text::tr("lirondo: 音量应为 0 到 100 之间的整数：%1\n")
                   .arg(parser.value(volumeOption)));
        return ExitUsage;
    }
    if (!AudioFileWriter::formatFor(request.outputPath)) {
        io.err(u"lirondo: "_s + exportMessage(ExportStatus::UnsupportedFormat, request.outputPath) +
               u'\n');
        return ExitUsage;
    }
    if (QFileInfo(request.outputPath).isDir()) {
        io.err(u"lirondo: "_s +
               exportMessage(ExportStatus::CannotWrite, request.outputPath,
                             Text::tr("这是一个文件夹")) +
               u'\n');
        return ExitCannotWrite;
    }

    const QString& input = inputs.first();
    if (input == u"-") {
        request.text = decodeTextFile(io.readStdin ? io.readStdin() : QByteArray(), gbk);
    } else {
        TextFileResult file = readTextFile(input, gbk);
        if (!file.ok()) {
            const QString why = file.status == TextFileStatus::NotAFile
                                    ? Text::tr("不是文件或不存在")
                                : file.status == TextFileStatus::TooLarge ? Text::tr("文件太大")
                                                                          : Text::tr("无法读取");
            io.err(Text::tr("lirondo: %1：%2\n").arg(input, why));
            return ExitBadInput;
        }
        request.text = std::move(file.text);
    }
    if (request.text.trimmed().isEmpty()) {
        io.err(u"lirondo: "_s + exportMessage(ExportStatus::EmptyText, {}) + u'\n');
        return ExitBadInput;
    }

    EspeakSynthesizer* s = engine();
    if (!s)
        return ExitFailed;
    if (parser.isSet(voiceOption)) {
        request.voice = findVoice(s->voices(), parser.value(voiceOption));
        if (request.voice < 0) {
            io.err(Text::tr("lirondo: 没有这个语音：%1（用 --list-voices 查看）\n")
                       .arg(parser.value(voiceOption)));
            return ExitUsage;
        }
    }

    const bool lines = parser.isSet(linesOption);
    const bool meter = io.errIsTerminal && !lines;
    QElapsedTimer shown;
    const qint64 interval = lines ? 100 : 250;
    const auto progress = [&](const ExportProgress& p) {
        if ((!meter && !lines) || (shown.isValid() && shown.elapsed() < interval))
            return;
        shown.start();
        if (lines)
            io.err(u"progress %1 %2\n"_s.arg(p.fraction, 0, 'f', 4).arg(p.secondsLeft, 0, 'f', 1));
        else
            io.err(Text::tr("\r导出 %1%  剩余 %2 ")
                       .arg(int(p.fraction * 100), 3)
                       .arg(p.secondsLeft < 0 ? u"--:--"_s : clockText(p.secondsLeft)));
    };
    Exporter exporter(*s, gbk);
    const ExportResult result = exporter.run(request, progress, cancel);
    if (meter)
        io.err(u"\n"_s);
    if (!result.ok()) {
        io.err(u"lirondo: "_s + exportMessage(result.status, request.outputPath, result.detail) +
               u'\n');
        switch (result.status) {
        case ExportStatus::EmptyText:
            return ExitBadInput;
        case ExportStatus::UnsupportedFormat:
        case ExportStatus::NoMixedVoices:
            return ExitUsage;
        case ExportStatus::CannotWrite:
            return ExitCannotWrite;
        case ExportStatus::Cancelled:
            return ExitCancelled;
        default:
            return ExitFailed;
        }
    }
    if (meter)
        io.err(exportMessage(result.status, request.outputPath, result.detail) + u'\n');
    return ExitOk;
}

} // namespace lirondo

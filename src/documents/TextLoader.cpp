#include "documents/TextLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>

#include <new>
#include <utility>

namespace lirondo {

namespace {

// Reading takes about this share of a load; decoding and making the document the rest.
constexpr double kReadShare = 0.3;
constexpr double kDecodeShare = 0.2;
constexpr qint64 kChunkBytes = 4 << 20;

} // namespace

TextLoader::TextLoader(const GbkCodePage& gbk, Prepare prepare, Show show, QObject* parent,
                       qint64 maxBytes)
    : QObject(parent), m_gbk(gbk), m_prepare(std::move(prepare)), m_show(std::move(show)),
      m_maxBytes(maxBytes)
{
    m_pool.setMaxThreadCount(1);
}

TextLoader::~TextLoader()
{
    for (const Pending& pending : m_pending)
        pending.dropped->store(true);
    m_pool.waitForDone();
}

void TextLoader::load(const QString& path, std::function<void()> onRead)
{
    const quint64 serial = m_nextSerial++;
    for (const Pending& pending : m_pending)
        pending.dropped->store(true);
    m_latest = serial;
    auto dropped = std::make_shared<std::atomic<bool>>(false);
    m_pending.push_back({serial, path, std::move(onRead), dropped});
    // The destructor waits for the pool, so the job may use this.
    m_pool.start([this, serial, path, dropped] { run(serial, path, *dropped); });
}

void TextLoader::supersede()
{
    for (const Pending& pending : m_pending)
        pending.dropped->store(true);
    m_latest = 0;
}

void TextLoader::post(quint64 serial, Outcome outcome)
{
    QMetaObject::invokeMethod(
        this, [this, serial, outcome = std::move(outcome)] { onFinished(serial, outcome); },
        Qt::QueuedConnection);
}

void TextLoader::run(quint64 serial, const QString& path, const std::atomic<bool>& dropped)
{
    QThread* const home = thread();
    Outcome outcome;
    // Only an ordinary file: opening a pipe would block the reader until someone writes
    // to it, and a device has no length to read.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return post(serial, outcome);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.status = TextFileStatus::CannotOpen;
        return post(serial, outcome);
    }
    // The length of the file as opened, not as its directory entry said a moment ago.
    outcome.size = file.size();
    if (outcome.size < 0 || outcome.size > m_maxBytes) {
        outcome.status = TextFileStatus::TooLarge;
        return post(serial, outcome);
    }
    outcome.opened = true;
    outcome.status = TextFileStatus::Ok;

    int lastPercent = -1;
    const auto report = [&](double done) {
        const int percent = int(done * 100);
        if (percent == lastPercent)
            return;
        lastPercent = percent;
        QMetaObject::invokeMethod(
            this, [this, serial, percent] { onProgress(serial, percent); }, Qt::QueuedConnection);
    };
    const auto deliver = [&](std::unique_ptr<QObject> document, bool complete) {
        document->moveToThread(home);
        auto made = std::make_shared<Made>(Made{std::move(document)});
        if (complete) {
            outcome.document = std::move(made);
        } else {
            QMetaObject::invokeMethod(
                this, [this, serial, made] { onPreview(serial, made); }, Qt::QueuedConnection);
        }
    };

    try {
        QByteArray bytes(qsizetype(outcome.size), Qt::Uninitialized);
        qint64 got = 0;
        bool previewShown = outcome.size <= 2 * kPreviewBytes;
        while (got < outcome.size) {
            if (dropped)
                return post(serial, outcome);
            const qint64 want =
                std::min(outcome.size - got, previewShown ? kChunkBytes : kPreviewBytes);
            const qint64 n = file.read(bytes.data() + got, want);
            if (n < 0) {
                outcome.status = TextFileStatus::ReadError;
                return post(serial, outcome);
            }
            if (n == 0)
                break; // shrank while we read: keep what was there
            got += n;
            report(kReadShare * double(got) / double(outcome.size));
            if (!previewShown && got >= kPreviewBytes) {
                previewShown = true;
                // Up to the last line break: neither GBK nor UTF-8 has 0x0A inside a character.
                const QByteArrayView start(bytes.constData(), qsizetype(got));
                const qsizetype cut = start.lastIndexOf('\n');
                const QString text = decodeTextFile(start.first(cut > 0 ? cut : got), m_gbk);
                if (std::unique_ptr<QObject> preview = m_prepare(text, [](double) { return true; }))
                    deliver(std::move(preview), false);
            }
        }
        bytes.truncate(qsizetype(got));
        if (dropped)
            return post(serial, outcome);
        QString text = decodeTextFile(bytes, m_gbk);
        bytes = QByteArray();
        report(kReadShare + kDecodeShare);
        const double made = kReadShare + kDecodeShare;
        std::unique_ptr<QObject> document = m_prepare(text, [&](double done) {
            report(made + (1 - made) * done);
            return !dropped;
        });
        if (document && !dropped)
            deliver(std::move(document), true);
    } catch (const std::bad_alloc&) {
        outcome.status = TextFileStatus::TooLarge;
        outcome.opened = false;
    }
    post(serial, outcome);
}

void TextLoader::onPreview(quint64 serial, const std::shared_ptr<Made>& made)
{
    if (serial == m_latest && made->document)
        m_show(std::move(made->document), false);
}

void TextLoader::onProgress(quint64 serial, int percent)
{
    if (serial == m_latest)
        Q_EMIT progress(percent);
}

void TextLoader::onFinished(quint64 serial, const Outcome& outcome)
{
    // The pool answers in the order it was asked; anything else is not ours.
    if (m_pending.empty() || m_pending.front().serial != serial)
        return;
    const Pending done = std::move(m_pending.front());
    m_pending.pop_front();
    const bool latest = serial == m_latest;
    if (latest)
        m_latest = 0;
    if (latest && outcome.status == TextFileStatus::Ok && outcome.document &&
        outcome.document->document)
        m_show(std::move(outcome.document->document), true);
    else if (latest)
        Q_EMIT failed(done.path, outcome.status, outcome.size);
    if (outcome.status == TextFileStatus::Ok && outcome.opened && done.onRead)
        done.onRead();
    Q_EMIT finished(done.path, outcome.status);
}

} // namespace lirondo

#pragma once

#include "documents/TextDecoder.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

namespace lirondo {

class GbkCodePage;

// LoadTextFile without blocking the window and without losing what the document holds:
// the file is read, decoded and made into a document on the loader's thread, and only a
// file that was read whole replaces the document. A large file shows its start first.
// Of several loads, the last one asked for is the one shown; the earlier ones are
// dropped at their next step, and their onRead callbacks still run if their file could
// be opened, in the order they were asked for.
class TextLoader : public QObject
{
    Q_OBJECT
public:
    // Reports the share of a step done (0 to 1); false when the load was dropped.
    using Step = std::function<bool(double done)>;
    // Runs on the loader's thread: makes the decoded text into a document (for the text
    // box, a whole text document). Null when step said stop.
    using Prepare = std::function<std::unique_ptr<QObject>(const QString& text, const Step& step)>;
    // On the loader's thread: the document, moved to the loader's thread; complete is
    // false for the start of a large file shown while the rest is read.
    using Show = std::function<void(std::unique_ptr<QObject> document, bool complete)>;

    // gbk must outlive the loader.
    TextLoader(const GbkCodePage& gbk, Prepare prepare, Show show, QObject* parent = nullptr,
               qint64 maxBytes = kMaxTextFileBytes);
    // Drops every load under way and waits only for the worker to notice.
    ~TextLoader() override;

    // onRead runs once the file has been read (or, for a dropped load, opened); a file that
    // cannot be read changes nothing and skips onRead.
    void load(const QString& path, std::function<void()> onRead = {});

    // The document was replaced by other means: no load still under way may show anything.
    void supersede();

    bool busy() const { return !m_pending.empty(); }
    qint64 maxBytes() const { return m_maxBytes; }

    // How much of a large file shows at once.
    static constexpr qint64 kPreviewBytes = 64 * 1024;

Q_SIGNALS:
    // The last load asked for, in percent.
    void progress(int percent);
    // The last load asked for could not be read: nothing was shown, or its start was shown
    // and must give way to the document from before. size: the file's length, if known.
    void failed(const QString& path, lirondo::TextFileStatus status, qint64 size);
    // Every load that ends, shown or not.
    void finished(const QString& path, lirondo::TextFileStatus status);

private:
    struct Pending
    {
        quint64 serial = 0;
        QString path;
        std::function<void()> onRead;
        std::shared_ptr<std::atomic<bool>> dropped;
    };
    // Queued calls copy what they carry; the document inside is handed on once.
    struct Made
    {
        std::unique_ptr<QObject> document;
    };
    struct Outcome
    {
        TextFileStatus status = TextFileStatus::NotAFile;
        qint64 size = -1;
        bool opened = false;
        std::shared_ptr<Made> document; // null for a failed or a dropped load
    };

    void run(quint64 serial, const QString& path, const std::atomic<bool>& dropped);
    void post(quint64 serial, Outcome outcome);
    void onPreview(quint64 serial, const std::shared_ptr<Made>& made);
    void onProgress(quint64 serial, int percent);
    void onFinished(quint64 serial, const Outcome& outcome);

    const GbkCodePage& m_gbk;
    Prepare m_prepare;
    Show m_show;
    const qint64 m_maxBytes;
    std::deque<Pending> m_pending; // in the order asked for, which is the order they end in
    quint64 m_nextSerial = 1;
    quint64 m_latest = 0; // the load that may still show something; 0 for none
    QThreadPool m_pool;   // one thread, so loads end in the order they were asked for
};

} // namespace lirondo

#pragma once

#include "documents/TextDecoder.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

namespace lirondo {

class GbkCodePage;

// LoadTextFile without blocking the window: the document is emptied at once and filled
// when the file has been read on the reader's thread. Of several loads under way, only
// the last one asked for fills the document; the earlier ones still finish, and their
// onRead callbacks run when their file was read, as they would have one after the other.
class TextLoader : public QObject
{
    Q_OBJECT
public:
    using SetDocument = std::function<void(const QString& text)>;

    // gbk must outlive the loader.
    TextLoader(const GbkCodePage& gbk, SetDocument setDocument, QObject* parent = nullptr,
               qint64 maxBytes = kMaxTextFileBytes);
    ~TextLoader() override;

    // onRead runs once the file has been read and decoded, after the document was set.
    // A file that cannot be read leaves the document empty and skips onRead.
    void LoadTextFile(const QString& path, std::function<void()> onRead = {});

    // The document was replaced by other means: no load still under way may overwrite it.
    void supersede() { m_latest = 0; }

    bool busy() const { return !m_pending.empty(); }

Q_SIGNALS:
    // Every load that ends, applied or not.
    void finished(const QString& path, lirondo::TextFileStatus status);

private:
    void onFinished(const QString& path, const TextFileResult& result);

    struct Pending
    {
        quint64 serial = 0;
        QString path;
        std::function<void()> onRead;
    };

    SetDocument m_setDocument;
    std::deque<Pending> m_pending; // in the order asked for, which is the order they end in
    quint64 m_nextSerial = 1;
    quint64 m_latest = 0; // the load that may still fill the document; 0 for none
    TextFileReader m_reader;
};

} // namespace lirondo

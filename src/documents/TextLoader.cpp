#include "documents/TextLoader.h"

namespace lirondo {

TextLoader::TextLoader(const GbkCodePage& gbk, SetDocument setDocument, QObject* parent,
                       qint64 maxBytes)
    : QObject(parent), m_setDocument(std::move(setDocument)), m_reader(gbk, nullptr, maxBytes)
{
    connect(&m_reader, &TextFileReader::finished, this, &TextLoader::onFinished);
}

TextLoader::~TextLoader() = default;

void TextLoader::LoadTextFile(const QString& path, std::function<void()> onRead)
{
    const quint64 serial = m_nextSerial++;
    m_latest = serial;
    m_pending.push_back({serial, path, std::move(onRead)});
    m_setDocument(QString());
    m_reader.read(path);
}

void TextLoader::onFinished(const QString& path, const TextFileResult& result)
{
    // The reader answers in the order it was asked; anything else is not ours.
    if (m_pending.empty() || m_pending.front().path != path)
        return;
    const Pending done = std::move(m_pending.front());
    m_pending.pop_front();
    if (result.ok()) {
        if (done.serial == m_latest) {
            m_latest = 0;
            m_setDocument(result.text);
        }
        if (done.onRead)
            done.onRead();
    }
    Q_EMIT finished(path, result.status);
}

} // namespace lirondo

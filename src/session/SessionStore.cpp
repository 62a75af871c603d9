#include "session/SessionStore.h"

#include <QtGlobal>

#include <algorithm>

namespace lirondo {

namespace {

constexpr auto kPreferences = "reading/saved";

QStringList stringList(const QSettings& settings, const QString& key)
{
    // A hand-edited file may hold a single string or garbage instead of a list.
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QString)
        return {value.toString()};
    return value.toStringList();
}

// A number in range, or the design value when the file holds something else.
int boundedInt(const QSettings& settings, const QString& key, int fallback, int lo, int hi)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok ? std::clamp(value, lo, hi) : fallback;
}

} // namespace

SessionStore::SessionStore(std::unique_ptr<QSettings> settings) : m_settings(std::move(settings)) {}

SessionStore SessionStore::forRun(QStringList& arguments)
{
    if (arguments.removeAll(QStringLiteral("--fresh")) > 0)
        return SessionStore();
    return SessionStore(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                    QStringLiteral("lirondo"),
                                                    QStringLiteral("lirondo")));
}

std::optional<SessionStore::Preferences> SessionStore::preferences() const
{
    if (!m_settings || !m_settings->value(QLatin1String(kPreferences)).toBool())
        return std::nullopt;
    Preferences p;
    p.voice = m_settings->value(QStringLiteral("reading/voice")).toString();
    p.rate = boundedInt(*m_settings, QStringLiteral("reading/rate"), p.rate, -10, 10);
    p.volume = boundedInt(*m_settings, QStringLiteral("reading/volume"), p.volume, 0, 100);
    p.loop = m_settings->value(QStringLiteral("reading/loop")).toBool();
    p.mixed = m_settings->value(QStringLiteral("reading/mixed")).toBool();
    return p;
}

void SessionStore::setPreferences(const Preferences& p)
{
    if (!m_settings)
        return;
    m_settings->setValue(QLatin1String(kPreferences), true);
    m_settings->setValue(QStringLiteral("reading/voice"), p.voice);
    m_settings->setValue(QStringLiteral("reading/rate"), p.rate);
    m_settings->setValue(QStringLiteral("reading/volume"), p.volume);
    m_settings->setValue(QStringLiteral("reading/loop"), p.loop);
    m_settings->setValue(QStringLiteral("reading/mixed"), p.mixed);
}

std::optional<SessionStore::WindowPlacement> SessionStore::windowPlacement() const
{
    if (!m_settings || !m_settings->contains(QStringLiteral("window/geometry")))
        return std::nullopt;
    return WindowPlacement{m_settings->value(QStringLiteral("window/geometry")).toByteArray(),
                           m_settings->value(QStringLiteral("window/maximized")).toBool()};
}

void SessionStore::setWindowPlacement(const WindowPlacement& placement)
{
    if (!m_settings)
        return;
    m_settings->setValue(QStringLiteral("window/geometry"), placement.geometry);
    m_settings->setValue(QStringLiteral("window/maximized"), placement.maximized);
}

QStringList SessionStore::readingList() const
{
    return m_settings ? stringList(*m_settings, QStringLiteral("documents/readingList"))
                      : QStringList();
}

void SessionStore::setReadingList(const QStringList& paths)
{
    if (m_settings)
        m_settings->setValue(QStringLiteral("documents/readingList"), paths);
}

QStringList SessionStore::recentFiles() const
{
    if (!m_settings)
        return {};
    QStringList files = stringList(*m_settings, QStringLiteral("documents/recent"));
    files.removeAll(QString());
    files.removeDuplicates();
    return files.mid(0, kMaxRecentFiles);
}

void SessionStore::addRecentFile(const QString& path)
{
    if (!m_settings || path.isEmpty())
        return;
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    m_settings->setValue(QStringLiteral("documents/recent"), files.mid(0, kMaxRecentFiles));
}

QList<SessionStore::Position> SessionStore::positions() const
{
    QList<Position> list;
    const int n = m_settings->beginReadArray(QStringLiteral("positions"));
    for (int i = 0; i < n; ++i) {
        m_settings->setArrayIndex(i);
        Position p{m_settings->value(QStringLiteral("path")).toString(),
                   m_settings->value(QStringLiteral("size")).toLongLong(),
                   m_settings->value(QStringLiteral("position")).toLongLong()};
        if (!p.path.isEmpty() && p.position >= 0)
            list.append(p);
    }
    m_settings->endArray();
    return list;
}

qint64 SessionStore::resumePosition(const QString& path, qint64 size) const
{
    if (!m_settings)
        return 0;
    for (const Position& p : positions()) {
        if (p.path == path)
            return p.size == size ? p.position : 0;
    }
    return 0;
}

void SessionStore::setResumePosition(const QString& path, qint64 size, qint64 position)
{
    if (!m_settings || path.isEmpty())
        return;
    QList<Position> list = positions();
    list.removeIf([&](const Position& p) { return p.path == path; });
    list.prepend({path, size, qMax<qint64>(0, position)}); // newest first; the oldest go
    if (list.size() > kMaxPositions)
        list.resize(kMaxPositions);
    m_settings->remove(QStringLiteral("positions")); // no stale rows past the new end
    m_settings->beginWriteArray(QStringLiteral("positions"), int(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        m_settings->setArrayIndex(i);
        m_settings->setValue(QStringLiteral("path"), list[i].path);
        m_settings->setValue(QStringLiteral("size"), list[i].size);
        m_settings->setValue(QStringLiteral("position"), list[i].position);
    }
    m_settings->endArray();
}

void SessionStore::sync()
{
    if (m_settings)
        m_settings->sync();
}

} // namespace lirondo

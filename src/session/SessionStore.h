#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace lirondo {

// What the reader remembers between runs: the reading preferences, the window, the
// reading list, the recent files and, per file, where reading last stopped. Without a
// store (a fresh run) nothing is read and nothing is written, so the program starts
// from its design values and leaves the user's settings as they were.
class SessionStore
{
public:
    struct Preferences
    {
        QString voice; // the engine's voice id; empty when none was chosen
        int rate = 0;  // -10..10
        int volume = 100;
        bool loop = false;
        bool mixed = false;
    };

    struct WindowPlacement
    {
        QByteArray geometry; // QWidget::saveGeometry()
        bool maximized = false;
    };

    static constexpr int kMaxRecentFiles = 10;
    static constexpr int kMaxPositions = 200;

    explicit SessionStore(std::unique_ptr<QSettings> settings = nullptr);

    // The store of a run of the program: the user's file in the XDG config location
    // ($XDG_CONFIG_HOME/lirondo/lirondo.ini), or none when the command line asks for a
    // fresh run ("--fresh", which is taken out of the arguments).
    static SessionStore forRun(QStringList& arguments);

    bool isFresh() const { return !m_settings; }

    // Empty until a run has saved them: the caller keeps its design values.
    std::optional<Preferences> preferences() const;
    void setPreferences(const Preferences& preferences);

    std::optional<WindowPlacement> windowPlacement() const;
    void setWindowPlacement(const WindowPlacement& placement);

    QStringList readingList() const;
    void setReadingList(const QStringList& paths);

    // Newest first, at most kMaxRecentFiles.
    QStringList recentFiles() const;
    void addRecentFile(const QString& path);

    // Where reading of the file stopped; 0 for a file not seen or whose size changed
    // since (its text is no longer the one the position was taken in).
    qint64 resumePosition(const QString& path, qint64 size) const;
    void setResumePosition(const QString& path, qint64 size, qint64 position);

    void sync();

private:
    struct Position
    {
        QString path;
        qint64 size = 0;
        qint64 position = 0;
    };
    QList<Position> positions() const;

    std::unique_ptr<QSettings> m_settings;
};

} // namespace lirondo

#pragma once

#include <QObject>
#include <QString>

namespace lirondo {

class MainWindow;
class SessionStore;
class SpeechEngine;

// Gives the main window what the last run left (voice, rate, volume, the two check boxes,
// the window's place, the reading list) and keeps it when the window closes; puts the
// reading start of a file opened again where its reading last stopped, and keeps that
// place when the reading stops, the document changes or the window closes. With a fresh
// store it changes nothing and keeps nothing.
class SessionKeeper : public QObject
{
    Q_OBJECT
public:
    // Made before the window is first shown. All three must outlive the keeper.
    SessionKeeper(MainWindow& window, const SpeechEngine& engine, SessionStore& store);
    ~SessionKeeper() override;

    // Everything the window shows now, as on its close.
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restore();
    void fileShown(const QString& path);
    void documentReplaced();
    void readingStopped();
    void keepPosition();
    qint64 currentPosition() const;

    MainWindow& m_form;
    const SpeechEngine& m_engine; // the form's `eVoice`
    SessionStore& m_store;
    // The file shown, its size when it was read and where its reading stands.
    QString m_path;
    qint64 m_size = 0;
    qint64 m_position = 0;
    bool m_readingThisFile = false; // the reading under way began in this document
};

} // namespace lirondo

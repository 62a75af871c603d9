#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;

namespace lirondo {

class MainWindow;

// The main window's keys and the text box's reading commands: open, read, read from the
// caret or just the selection, pause, stop, a sentence back or on, faster, slower,
// louder, quieter, read the clipboard. Each does what its button, slider or the locator
// would; none takes a key the text box needs for typing.
class ReadingShortcuts : public QObject
{
    Q_OBJECT
public:
    explicit ReadingShortcuts(MainWindow& window);
    ~ReadingShortcuts() override;

    void readFromCaret();
    void readSelection();
    void pauseOrResume();
    // A sentence back (-1) or on (1) from the word being read (or the reading start):
    // the reading stops, starts there and reads on.
    void stepSentence(int direction);
    void readClipboard();

    // The start of the next sentence after `position` (direction 1), or of the one before
    // the sentence holding it (-1; the text's start from its first sentence); -1 when
    // there is no next one.
    static int sentenceStart(const QString& text, int position, int direction);

private:
    QAction* addAction(const QString& text, const QList<QKeySequence>& keys,
                       std::function<void()> run);
    void command(int index); // a click on the command row's label, if it is enabled
    void startAt(int offset, int end = -1);
    void stepSlider(bool rate, int steps);

    MainWindow& m_form;
    QAction* m_stop = nullptr;
    QAction* m_readSelection = nullptr;
};

} // namespace lirondo

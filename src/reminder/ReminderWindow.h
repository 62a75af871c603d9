#pragma once

#include "reminder/Reminder.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace lirondo {

class AgentCharacter;
class Clock;
class MessageBoxPort;
class SpeechEngine;

// The reminder window (the form `jihua`), "添加计划": one message and the time of day to announce
// it. It is created hidden and its clock runs from then on, shown or not; closing it (取消 or the
// window's own close button) discards the reminder and deletes it.
class ReminderWindow : public QWidget
{
    Q_OBJECT
public:
    // `character` returns the loaded character, or nullptr while there is none.
    ReminderWindow(const Clock& clock, MessageBoxPort& messages, SpeechEngine& engine,
                   std::function<AgentCharacter*()> character, QWidget* parent = nullptr);
    ~ReminderWindow() override;

    Reminder::State state() const { return m_reminder.state(); }
    bool isDue() const { return m_reminder.isDue(); }

    // The character comes forward and says the message, and the voice reads it,
    // dropping any speech under way. The main window's tick calls it while due.
    void announce();
    // A right click on the character: show this window as it is, and stop the
    // repeats.
    void showAndAttend();

    // What the reminder says, and its time as typed (not yet checked).
    QString message() const;
    void setMessage(const QString& message);
    QString timeText() const;
    void setTimeText(const QString& text);

public Q_SLOTS:
    // 确定 (the form's `Command1_Click`): checks the message and the time and arms it.
    void confirm();
    // 取消 (`Command2_Click`): closes the window, discarding the reminder.
    void cancel();
    // The clock's tick each second (`Timer1_Timer`).
    void tick();

Q_SIGNALS:
    // The window is being unloaded: its owner forgets it and makes a fresh one
    // when it needs the reminder again.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MessageBoxPort& m_messages;
    SpeechEngine& m_engine;
    std::function<AgentCharacter*()> m_character;
    Reminder m_reminder;
    bool m_unloaded = false;

    QLabel* m_noteLabel = nullptr;           // Label1
    QPlainTextEdit* m_messageEdit = nullptr; // Text1
    QLabel* m_clockLabel = nullptr;          // Label2
    QLabel* m_formatLabel = nullptr;         // Label3
    QLineEdit* m_timeEdit = nullptr;         // Text2
    QPushButton* m_cancelButton = nullptr;   // Command2
    QPushButton* m_confirmButton = nullptr;  // Command1
    QTimer* m_clockTimer = nullptr;          // Timer1
};

} // namespace lirondo

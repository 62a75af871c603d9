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
class TagButton;

// The reminder window (the form `jihua`), "添加计划": one message and the time of day to announce
// it. It is created hidden and its clock runs from then on, shown or not; closing it (取消 or the
// window's own close button) discards the reminder and deletes it.
class ReminderWindow : public QWidget
{
    Q_OBJECT
public:
    // `genie` returns the loaded character, or nullptr while there is none.
    ReminderWindow(const Clock& clock, MessageBoxPort& messages, SpeechEngine& eVoice,
                   std::function<AgentCharacter*()> genie, QWidget* parent = nullptr);
    ~ReminderWindow() override;

    // "", "a" armed, "b" due, "c" attended: the text of Command1's Tag.
    QString state() const;
    bool isDue() const { return m_reminder.isDue(); }

    // The character comes forward and says the message, and the voice reads it,
    // dropping any speech under way. The main window's tick calls it while due.
    void announce();
    // A right click on the character: show this window as it is, and stop the
    // repeats.
    void showAndAttend();

    QLabel* Label1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command2 = nullptr;
    TagButton* Command1 = nullptr;
    QTimer* Timer1 = nullptr;

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();

Q_SIGNALS:
    // The window is being unloaded: its owner forgets it and makes a fresh one
    // when it needs the reminder again.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MessageBoxPort& m_messages;
    SpeechEngine& m_eVoice;
    std::function<AgentCharacter*()> m_genie;
    Reminder m_reminder;
    bool m_unloaded = false;
};

} // namespace lirondo

#pragma once

#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeUrlOpener.h"
#include "shell/CaptionButton.h"
#include "shell/CommandLabel.h"
#include "shell/DocumentPanel.h"
#include "shell/Grip.h"
#include "shell/MainWindow.h"
#include "shell/ReadingPanel.h"
#include "shell/ReadingTextEdit.h"
#include "shell/SideWindows.h"
#include "shell/WindowChrome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

namespace lirondo::test {

// Everything the main window talks to, faked. A test's harness derives from this and
// constructs its MainWindow from services() (and desktop(), for the tray and the browser).
struct MainWindowFakes
{
    explicit MainWindowFakes(
        QList<VoiceInfo> voices = voicesNamed({QStringLiteral("Microsoft Simplified Chinese"),
                                               QStringLiteral("Microsoft Mike")}))
        : engine(std::move(voices))
    {}

    MainWindowServices services(const QString& appDir = QStringLiteral("/opt/lirondo/bin"))
    {
        return {engine, messages, dialog, agent, clock, gbk, appDir};
    }
    MainWindowDesktop desktop() { return {&tray, &browser, {}}; }

    GbkCodePage gbk;
    FakeSpeechEngine engine;
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeAgentService agent;
    FakeClock clock;
    FakeTrayIcon tray;
    FakeUrlOpener browser;
};

// A control of a window or panel, found by its form name (its object name).
template <typename T = QWidget> T* control(const QObject& root, const char* name)
{
    T* found = root.findChild<T*>(QLatin1String(name));
    Q_ASSERT(found);
    return found;
}
inline ReadingTextEdit* textEdit(const QObject& w)
{
    return control<ReadingTextEdit>(w, "Texten");
}
inline CommandLabel* command(const QObject& w, int index)
{
    return control<CommandLabel>(w, QStringLiteral("Label2_%1").arg(index).toLatin1().constData());
}
inline QTreeWidget* readingListView(const QObject& w)
{
    return control<QTreeWidget>(w, "ListView1");
}

} // namespace lirondo::test

// The composition root: picks the real back ends and hands them to the main window.

#include "app/CommandLineMain.h"
#include "assistant/CharacterService.h"
#include "common/Clock.h"
#include "common/Gbk.h"
#include "common/qt/QtFileDialogPort.h"
#include "common/qt/QtMessageBoxPort.h"
#include "documents/DropData.h"
#include "mail/DesktopUrlOpener.h"
#include "reading/audio/DefaultAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "session/SessionStore.h"
#include "shell/DocumentPanel.h"
#include "shell/MainWindow.h"
#include "shell/SessionKeeper.h"
#include "tray/qt/QtTrayIconPort.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    // --export, --list-voices, --help, --version: no window, and no display needed.
    if (wantsCommandLine(argc, argv))
        return commandLineMain(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lirondo"));
    // The program ends when the main window and the feedback form are gone, not when
    // the last visible window closes (the main window may be hidden in the tray).
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs (Yes/No/OK/Open) in Chinese, like the rest of the
    // interface; without the translation package they stay in English.
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);

    // `--fresh`: the design values, and nothing of this run kept.
    QStringList arguments = QApplication::arguments().mid(1);
    lirondo::SessionStore session = lirondo::SessionStore::forRun(arguments);

    lirondo::GbkCodePage gbk;
    lirondo::SystemClock clock;
    lirondo::QtMessageBoxPort messages;
    lirondo::QtFileDialogPort fileDialog;
    lirondo::CharacterService agent;
    lirondo::QtTrayIconPort trayIcon;
    lirondo::DesktopUrlOpener urlOpener;
    auto sound = lirondo::makeDefaultAudioOutput();
    lirondo::FailoverAudioOutput* soundNotices = sound.get();
    auto eVoice = lirondo::makeEspeakEngine(std::move(sound));

    lirondo::MainWindow form(
        {*eVoice, messages, fileDialog, agent, clock, gbk, QApplication::applicationDirPath()},
        {&trayIcon, &urlOpener, {}});
    QObject::connect(&form, &lirondo::MainWindow::programEnded, &app, &QApplication::quit);
    QObject::connect(soundNotices, &lirondo::FailoverAudioOutput::notice, &form.documents(),
                     &lirondo::DocumentPanel::showNotice);
    messages.setParent(&form);
    fileDialog.setParent(&form);
    lirondo::SessionKeeper keeper(form, *eVoice, session);
    form.show();
    // `lirondo FILE...` (how the desktop opens files with us): as a drop of those files.
    const QStringList files = lirondo::commandLineFiles(arguments, QDir::currentPath());
    if (!files.isEmpty())
        form.documents().dropFiles(files);
    return QApplication::exec();
}

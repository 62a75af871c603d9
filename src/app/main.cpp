// The composition root: picks the real back ends and hands them to the main window.

#include "assistant/CharacterService.h"
#include "common/Clock.h"
#include "common/Gbk.h"
#include "common/qt/QtFileDialogPort.h"
#include "common/qt/QtMessageBoxPort.h"
#include "reading/audio/DefaultAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "shell/Form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lirondo"));
    QApplication::setQuitOnLastWindowClosed(true);

    lirondo::GbkCodePage gbk;
    lirondo::SystemClock clock;
    lirondo::QtMessageBoxPort messages;
    lirondo::QtFileDialogPort fileDialog;
    lirondo::CharacterService agent;
    auto eVoice = lirondo::makeEspeakEngine(lirondo::makeDefaultAudioOutput());

    lirondo::Form1 form(
        {*eVoice, messages, fileDialog, agent, clock, gbk, QApplication::applicationDirPath()});
    messages.setParent(&form);
    fileDialog.setParent(&form);
    form.show();
    return QApplication::exec();
}

#pragma once

#include "common/Gbk.h"
#include "fakes/FakeAgent.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSpeechEngine.h"
#include "fakes/FakeTrayIcon.h"
#include "fakes/FakeUrlOpener.h"
#include "shell/Form1.h"

namespace lirondo::test {

// Everything the main window talks to, faked. A test's harness derives from this and
// constructs its Form1 from services() (and desktop(), for the tray and the browser).
struct Form1Fakes
{
    explicit Form1Fakes(
        QList<VoiceInfo> voices = voicesNamed({QStringLiteral("Microsoft Simplified Chinese"),
                                               QStringLiteral("Microsoft Mike")}))
        : engine(std::move(voices))
    {}

    Form1Services services(const QString& appDir = QStringLiteral("/opt/lirondo/bin"))
    {
        return {engine, messages, dialog, agent, clock, gbk, appDir};
    }
    Form1Desktop desktop() { return {&tray, &browser, {}}; }

    GbkCodePage gbk;
    FakeSpeechEngine engine;
    FakeMessageBox messages;
    FakeFileDialog dialog;
    FakeAgentService agent;
    FakeClock clock;
    FakeTrayIcon tray;
    FakeUrlOpener browser;
};

} // namespace lirondo::test

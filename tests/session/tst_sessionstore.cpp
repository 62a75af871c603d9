#include "session/SessionStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace lirondo;

class TestSessionStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString iniPath() const { return m_dir.filePath(u"lirondo.conf"_qs); }
    SessionStore open() const
    {
        return SessionStore(std::make_unique<QSettings>(iniPath(), QSettings::IniFormat));
    }

private Q_SLOTS:
    void init() { QFile::remove(iniPath()); }

    void roundTripAcrossRuns()
    {
        {
            SessionStore first = open();
            QVERIFY(!first.preferences());
            QVERIFY(!first.windowPlacement());
            first.setPreferences({u"cmn"_qs, -7, 40, true, true});
            first.setWindowPlacement({QByteArray("\x01\x02geometry", 10), true});
            first.setReadingList({u"/b/one.txt"_qs, u"/b/two.txt"_qs});
            for (int i = 0; i < 12; ++i)
                first.addRecentFile(u"/r/%1.txt"_qs.arg(i));
            first.addRecentFile(u"/r/3.txt"_qs); // opened again: to the front, once
            first.setResumePosition(u"/b/one.txt"_qs, 1000, 420);
        }
        const SessionStore second = open();
        const auto p = second.preferences();
        QVERIFY(p);
        QCOMPARE(std::tuple(p->voice, p->rate, p->volume, p->loop, p->mixed),
                 std::tuple(u"cmn"_qs, -7, 40, true, true));
        QCOMPARE(second.windowPlacement()->geometry, QByteArray("\x01\x02geometry", 10));
        QVERIFY(second.windowPlacement()->maximized);
        QCOMPARE(second.readingList(), QStringList({u"/b/one.txt"_qs, u"/b/two.txt"_qs}));
        const QStringList recent = second.recentFiles();
        QCOMPARE(recent.size(), SessionStore::kMaxRecentFiles);
        QCOMPARE(recent.mid(0, 2), QStringList({u"/r/3.txt"_qs, u"/r/11.txt"_qs}));
        QCOMPARE(recent.count(u"/r/3.txt"_qs), 1);
        // Reading resumes where it stopped, unless the file changed size or was never read.
        QCOMPARE(second.resumePosition(u"/b/one.txt"_qs, 1000), qint64(420));
        QCOMPARE(second.resumePosition(u"/b/one.txt"_qs, 1001), qint64(0));
        QCOMPARE(second.resumePosition(u"/b/new.txt"_qs, 1000), qint64(0));
    }

    void positionsStayBounded()
    {
        SessionStore store = open();
        for (int i = 0; i < SessionStore::kMaxPositions + 5; ++i)
            store.setResumePosition(u"/f/%1"_qs.arg(i), 10, 5);
        store.setResumePosition(u"/f/7"_qs, 10, 9); // read again: newest, kept
        store.sync();
        QCOMPARE(store.resumePosition(u"/f/0"_qs, 10), qint64(0)); // the oldest went
        QCOMPARE(store.resumePosition(u"/f/7"_qs, 10), qint64(9));
        QCOMPARE(QSettings(iniPath(), QSettings::IniFormat).value(u"positions/size"_qs).toInt(),
                 SessionStore::kMaxPositions);
    }

    void handEditedFileIsTamed()
    {
        {
            QSettings ini(iniPath(), QSettings::IniFormat);
            ini.setValue(u"reading/saved"_qs, true);
            ini.setValue(u"reading/rate"_qs, 99);
            ini.setValue(u"reading/volume"_qs, u"loud"_qs);
            ini.setValue(u"documents/readingList"_qs, u"/only/one.txt"_qs);
        }
        const SessionStore store = open();
        QCOMPARE(std::pair(store.preferences()->rate, store.preferences()->volume),
                 std::pair(10, 100));
        QCOMPARE(store.readingList(), QStringList(u"/only/one.txt"_qs));
    }

    void freshRunWritesNothing()
    {
        SessionStore fresh;
        fresh.setPreferences({u"en"_qs, 3, 50, false, false});
        fresh.addRecentFile(u"/x.txt"_qs);
        fresh.setResumePosition(u"/x.txt"_qs, 1, 1);
        fresh.sync();
        QVERIFY(!fresh.preferences());
        QVERIFY(fresh.recentFiles().isEmpty());
        QVERIFY(!QFile::exists(iniPath()));
    }
};

QTEST_GUILESS_MAIN(TestSessionStore)
#include "tst_sessionstore.moc"

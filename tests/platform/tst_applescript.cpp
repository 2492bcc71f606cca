#include "platform/system/AppleScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using namespace Qt::StringLiterals;

using platform::AppleScript;

// The script engine is a real child process: here a stand-in that takes the engine's command
// line ("-e" and the source) and answers as the shell script says.
class TestAppleScript : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        AppleScript::setRunner({});
        AppleScript::setEnginePath({});
    }

    void engineAnswers_data()
    {
        QTest::addColumn<QByteArray>("engine"); // the stand-in's body; empty: no engine at all
        QTest::addColumn<QString>("source");
        QTest::addColumn<QVariant>("result"); // null: no result
        const QString get = u"tell application \"System Events\" to get \"x\""_s;
        QTest::newRow("source reaches the engine whole")
            << QByteArray("[ \"$1\" = -e ] && printf '%s\\n' \"$2\"") << get << QVariant(get);
        QTest::newRow("one line end dropped, inner ones kept")
            << QByteArray("printf '10\\n20\\n'") << u"s"_s << QVariant(u"10\n20"_s);
        QTest::newRow("script error") << QByteArray("echo 'execution error' >&2; exit 1") << u"s"_s << QVariant();
        QTest::newRow("output but failed") << QByteArray("echo 5; exit 2") << u"s"_s << QVariant();
        QTest::newRow("no result") << QByteArray("exit 0") << u"s"_s << QVariant();
        QTest::newRow("killed") << QByteArray("echo 7; kill -9 $$") << u"s"_s << QVariant();
        QTest::newRow("no engine") << QByteArray() << u"s"_s << QVariant();
    }
    void engineAnswers()
    {
        QFETCH(QByteArray, engine);
        QFETCH(QString, source);
        QFETCH(QVariant, result);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"osascript"_s);
        if (!engine.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n" + engine + "\n");
            file.close();
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        }
        AppleScript::setEnginePath(path);
        QCOMPARE(AppleScript::enginePath(), path);

        // Scripts run on the cleaning worker, never on the main thread.
        std::optional<QString> answer;
        std::thread worker([&] { answer = AppleScript(source).executeAndReturnError(); });
        worker.join();
        QCOMPARE(answer.has_value(), !result.isNull());
        if (answer)
            QCOMPARE(*answer, result.toString());
    }

    void runnerTakesEveryScript()
    {
        QStringList seen;
        AppleScript::setRunner([&seen](const QString &source) -> std::optional<QString> {
            seen.append(source);
            return source == QLatin1String("a") ? std::optional<QString>(u"1"_s) : std::nullopt;
        });
        AppleScript::setEnginePath(u"/bin/false"_s);
        QCOMPARE(AppleScript(u"a"_s).executeAndReturnError(), std::optional<QString>(u"1"_s));
        QCOMPARE(AppleScript(u"b"_s).executeAndReturnError(), std::nullopt);
        QCOMPARE(seen, (QStringList{u"a"_s, u"b"_s}));
        AppleScript::setEnginePath({});
        QCOMPARE(AppleScript::enginePath(), u"/usr/bin/osascript"_s);
    }
};

QTEST_MAIN(TestAppleScript)
#include "tst_applescript.moc"

#include "platform/AppleScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

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
        QTest::addColumn<QVariant>("result");   // null: no result
        const QString get = QStringLiteral("tell application \"System Events\" to get \"x\"");
        QTest::newRow("source reaches the engine whole")
            << QByteArray("[ \"$1\" = -e ] && printf '%s\\n' \"$2\"") << get << QVariant(get);
        QTest::newRow("one line end dropped, inner ones kept")
            << QByteArray("printf '10\\n20\\n'") << QStringLiteral("s") << QVariant(QStringLiteral("10\n20"));
        QTest::newRow("script error") << QByteArray("echo 'execution error' >&2; exit 1")
                                      << QStringLiteral("s") << QVariant();
        QTest::newRow("output but failed") << QByteArray("echo 5; exit 2") << QStringLiteral("s") << QVariant();
        QTest::newRow("no result") << QByteArray("exit 0") << QStringLiteral("s") << QVariant();
        QTest::newRow("killed") << QByteArray("echo 7; kill -9 $$") << QStringLiteral("s") << QVariant();
        QTest::newRow("no engine") << QByteArray() << QStringLiteral("s") << QVariant();
    }
    void engineAnswers()
    {
        QFETCH(QByteArray, engine);
        QFETCH(QString, source);
        QFETCH(QVariant, result);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("osascript"));
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
            return source == QLatin1String("a") ? std::optional<QString>(QStringLiteral("1")) : std::nullopt;
        });
        AppleScript::setEnginePath(QStringLiteral("/bin/false"));
        QCOMPARE(AppleScript(QStringLiteral("a")).executeAndReturnError(), std::optional<QString>(QStringLiteral("1")));
        QCOMPARE(AppleScript(QStringLiteral("b")).executeAndReturnError(), std::nullopt);
        QCOMPARE(seen, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        AppleScript::setEnginePath({});
        QCOMPARE(AppleScript::enginePath(), QStringLiteral("/usr/bin/osascript"));
    }
};

QTEST_MAIN(TestAppleScript)
#include "tst_applescript.moc"

#include "platform/files/DirectoryBatch.h"

#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::DirectoryBatch;

Q_DECLARE_METATYPE(DirectoryBatch::Method)

namespace {

// name -> type, "." and ".." left out.
using Listing = QMap<QByteArray, int>;

// Takes up to `limit` entries (all when negative).
Listing take(DirectoryBatch &batch, int limit = -1)
{
    Listing seen;
    const char *name = nullptr;
    unsigned char type = DT_UNKNOWN;
    while (limit-- != 0 && batch.next(name, type)) {
        const QByteArray n(name);
        if (n != "." && n != "..")
            seen.insert(n, type);
    }
    return seen;
}

} // namespace

// Both ways of reading a listing give every entry once with its type, and pick up where they
// left off on a reopened handle, as a walk does when it closed an ancestor's handle.
class tst_DirectoryBatch : public QObject
{
    Q_OBJECT
private slots:
    void listsAndResumes_data()
    {
        QTest::addColumn<DirectoryBatch::Method>("method");
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("takenBeforeClose");
        QTest::newRow("native, empty folder") << DirectoryBatch::Method::Native << 0 << 1;
        QTest::newRow("native, several batches") << DirectoryBatch::Method::Native << 3000 << 1700;
        QTest::newRow("portable, empty folder") << DirectoryBatch::Method::Portable << 0 << 1;
        QTest::newRow("portable, several batches") << DirectoryBatch::Method::Portable << 3000 << 1700;
        QTest::newRow("portable, closed after the last") << DirectoryBatch::Method::Portable << 5 << 7;
    }
    void listsAndResumes()
    {
        QFETCH(DirectoryBatch::Method, method);
        QFETCH(int, files);
        QFETCH(int, takenBeforeClose);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray base = QFile::encodeName(dir.path());
        Listing expected;
        for (int i = 0; i < files; ++i) {
            // Long names fill batches sooner; every tenth is not UTF-8.
            QByteArray name = QByteArray("entry-with-a-rather-long-name-") + QByteArray::number(i);
            if (i % 10 == 0)
                name += "\xff\xfe";
            const int file = open((base + '/' + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            QVERIFY(file >= 0);
            close(file);
            expected.insert(name, DT_REG);
        }
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        expected.insert("sub", DT_DIR);
        QVERIFY(symlink("/etc/hostname", (base + "/link").constData()) == 0);
        expected.insert("link", DT_LNK);

        const int fd = open(base.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        DirectoryBatch batch(method);
        batch.start(fd);
        Listing seen = take(batch, takenBeforeClose);
        batch.release();
        close(fd);

        const int again = open(base.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(again >= 0);
        QVERIFY(batch.resume(again));
        const Listing rest = take(batch);
        batch.release();
        close(again);
        for (auto it = rest.cbegin(); it != rest.cend(); ++it)
            QVERIFY2(!seen.contains(it.key()), it.key().constData()); // nothing twice
        seen.insert(rest);
        QCOMPARE(seen, expected);
    }
};

QTEST_MAIN(tst_DirectoryBatch)
#include "tst_directorybatch.moc"

// A property list at the node budget, binary and XML, taken through what a key rewrite does:
// read, the scan's check, the edit, the new bytes and their read-back compared node for node.
// Prints each step's time and the peak memory of the run. Two more shapes: 262,000 dates
// before the year 1000 (XML), and one dictionary holding half the budget in keys (binary).
//
//   build/bench/plist_bench [xml|binary|dates|keys]     (all when no argument is given)

#include "platform/plist/PlistLimits.h"
#include "platform/plist/PropertyList.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::PropertyList;

namespace {

// {"Recent": "gone", "Keep": [...]} with exactly the node budget: the array's items cycle
// through an integer, a string and a one-key dictionary.
QByteArray xmlAtBudget()
{
    const quint64 budget = platform::plistlimits::maxNodes;
    QByteArray out("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Recent</key>"
                   "<string>gone</string><key>Keep</key><array>");
    quint64 nodes = 5;
    for (quint64 i = 0; nodes < budget; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i % 3 == 0 || budget - nodes < 3) {
            out.append("<integer>" + n + "</integer>");
            nodes += 1;
        } else if (i % 3 == 1) {
            out.append("<string>item " + n + "</string>");
            nodes += 1;
        } else {
            out.append("<dict><key>k</key><integer>" + n + "</integer></dict>");
            nodes += 3;
        }
    }
    return out + "</array></dict></plist>";
}

QByteArray header()
{
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Recent</key>"
           "<string>gone</string><key>Keep</key>";
}

QByteArray earlyDates()
{
    QByteArray out = header() + "<array>";
    for (int i = 0; i < 262000; ++i)
        out.append("<date>0" + QByteArray::number(100 + i % 900) + "-01-01T00:00:00Z</date>");
    return out + "</array></dict></plist>";
}

QByteArray wideDictionary()
{
    QByteArray out = header() + "<dict>";
    for (quint64 i = 0; i < platform::plistlimits::maxNodes / 2 - 4; ++i)
        out.append("<key>k" + QByteArray::number(i) + "</key><integer>" + QByteArray::number(i) + "</integer>");
    return out + "</dict></dict></plist>";
}

long peakKilobytes()
{
    struct rusage usage
    {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool run(const QByteArray &bytes, const char *name)
{
    QElapsedTimer total;
    total.start();
    QElapsedTimer step;
    step.start();
    std::optional<PropertyList> list = PropertyList::fromData(bytes);
    const qint64 readMs = step.restart();
    if (!list) {
        std::printf("%s: not read\n", name);
        return false;
    }
    const bool offered = list->contains("Recent") && list->valueForKeyPath({"Recent"}).isValid();
    const qint64 checkMs = step.restart();
    list->removeKey("Recent");
    const std::optional<QByteArray> written = list->toData();
    const qint64 writeMs = step.restart();
    const std::optional<PropertyList> readBack = written ? PropertyList::fromData(*written) : std::nullopt;
    const bool same = readBack && readBack->isIdenticalTo(*list);
    const qint64 readBackMs = step.restart();
    std::printf("%s: %lld bytes, read %lld ms, check %lld ms, write %lld ms (%lld bytes), "
                "read back and compare %lld ms, total %lld ms, %s\n",
                name, qlonglong(bytes.size()), qlonglong(readMs), qlonglong(checkMs), qlonglong(writeMs),
                qlonglong(written ? written->size() : 0), qlonglong(readBackMs), qlonglong(total.elapsed()),
                offered && same ? "identical" : "FAILED");
    return offered && same;
}

// Runs `fn` in a child process, so that each step's memory is its own; its exit status.
template <class Fn>
int inChild(Fn fn)
{
    const pid_t child = fork();
    if (child == 0) {
        const bool ok = fn();
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray only = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    QTemporaryDir dir;
    int status = 0;
    for (const QByteArray &format :
         {QByteArray("xml"), QByteArray("binary"), QByteArray("dates"), QByteArray("keys")}) {
        if (!only.isEmpty() && only != format)
            continue;
        const QString path = dir.filePath(QString::fromLatin1(format));
        status |= inChild([&] {
            QByteArray bytes = format == "dates" ? earlyDates() : format == "keys" ? wideDictionary() : xmlAtBudget();
            if (format == "binary" || format == "keys")
                bytes = PropertyList::fromData(bytes)->toData(PropertyList::Format::Binary).value();
            QFile out(path);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        });
        status |= inChild([&] {
            QFile in(path);
            if (!in.open(QIODevice::ReadOnly))
                return false;
            const bool ok = run(in.readAll(), format.constData());
            std::printf("%s: peak memory %ld MB\n", format.constData(), peakKilobytes() / 1024);
            return ok;
        });
    }
    return status;
}

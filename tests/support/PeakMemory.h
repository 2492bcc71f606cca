#pragma once

#include <QByteArray>
#include <QFile>
#include <QtGlobal>

// The growth of this process's peak resident memory over a scope, read from the kernel's
// high-water mark, which the constructor lowers to what is resident now: the figure belongs to
// the scope alone, whatever an earlier row or test raised the process's lifetime peak to
// (the lifetime peak, ru_maxrss, would hide a scope that stays below it).
class PeakMemory
{
public:
    // Under a sanitizer its own allocator (redzones, the quarantine of freed blocks) and shadow
    // memory count in the figure: a budget of the program's own is checked in the plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    static constexpr bool budgetsHold = false;
#else
    static constexpr bool budgetsHold = true;
#endif

    PeakMemory()
    {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        m_ok = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
        reset.close();
        m_start = statusBytes("VmRSS:");
        m_ok = m_ok && m_start > 0;
    }
    // False when the kernel's mark cannot be lowered here (no /proc, or a kernel before 4.0).
    bool ok() const
    {
        return m_ok;
    }
    qint64 growthBytes() const
    {
        return statusBytes("VmHWM:") - m_start;
    }

private:
    static qint64 statusBytes(const QByteArray &field)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(field))
                return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong() * 1024; // kB
        }
        return -1;
    }

    bool m_ok = false;
    qint64 m_start = 0;
};

#pragma once

#include <QString>

#include <optional>

namespace platform {

struct OperatingSystemVersion
{
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
};

class ProcessInfo
{
public:
    static ProcessInfo &processInfo();

    // ProductVersion of <system root>/System/Library/CoreServices/SystemVersion.plist;
    // nothing when it is missing or damaged (the program then takes its older-system branch).
    std::optional<OperatingSystemVersion> operatingSystemVersion() const;
    QString globallyUniqueString() const;

    // A process activity; a token that is ended by endActivity. No effect here.
    quint64 beginActivity(quint64 options, const QString &reason);
    void endActivity(quint64 token);

    // Raises the soft limit of open descriptors to the hard one (deep trees and many folders
    // at once). Called once at start-up.
    static void raiseDescriptorLimit();
};

// The legacy version query: 'sys1' (major) and 'sys2' (minor); 0 when the version is unknown.
class Gestalt
{
public:
    static constexpr quint32 gestaltSystemVersionMajor = 0x73797331; // 'sys1'
    static constexpr quint32 gestaltSystemVersionMinor = 0x73797332; // 'sys2'
    static int value(quint32 selector);

    // Named version checks on this machine's values; an unknown version (0) is no.
    // 10.9 or later, 11 and on included.
    static bool isTenNineOrLater();
};

// <system root> of the machine: NIMBREL_SYSTEM_ROOT, default "/". Never ends with a slash
// except for "/" itself.
QString systemRoot();

} // namespace platform

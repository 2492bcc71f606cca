#pragma once

#include <QString>
#include <QVariantMap>

namespace platform {

// An application bundle laid out as on macOS: <path>/Contents/{Info.plist,MacOS,Resources}.
class Bundle
{
public:
    explicit Bundle(const QString &bundlePath);

    // The bundle of the running executable (.../Contents/MacOS/<exe>). When the executable
    // is not inside one (tests, benchmarks), NIMBREL_BUNDLE_PATH names the bundle.
    static Bundle &mainBundle();

    QString bundlePath() const;
    QString executablePath(const QString &name) const; // Contents/MacOS/<name>
    QString resourcePath() const;                      // Contents/Resources
    // Contents/Resources/<name>.<type>; empty when the file does not exist.
    QString pathForResource(const QString &name, const QString &type) const;
    QVariantMap infoDictionary() const;
    QString bundleIdentifier() const;

private:
    QString m_path;
};

} // namespace platform

#include "platform/system/Image.h"

#include "platform/system/Bundle.h"
#include "platform/system/Workspace.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace platform {

ImagePtr imageNamed(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return nullptr;
    if (name == QLatin1String("NSApplicationIcon"))
        return Workspace::sharedWorkspace().iconForFile(Bundle::mainBundle().bundlePath());
    const QString path = Bundle::mainBundle().resourcePath() + QLatin1Char('/') + name;

    // One shared image per resource, as rows showing the same icon expect.
    static QMutex mutex;
    static QHash<QString, ImagePtr> cache;
    QMutexLocker lock(&mutex);
    if (const auto it = cache.constFind(path); it != cache.constEnd())
        return it.value();
    QImage image(path);
    if (image.isNull())
        return nullptr;
    auto shared = std::make_shared<QImage>(std::move(image));
    cache.insert(path, shared);
    return shared;
}

} // namespace platform

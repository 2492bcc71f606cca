#include "platform/gui/Sound.h"

#include "platform/system/Bundle.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QSoundEffect>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

Sound::PlayRecorder &playRecorder()
{
    static Sound::PlayRecorder recorder;
    return recorder;
}

struct Cache
{
    QMutex mutex;
    QHash<QString, std::shared_ptr<Sound>> sounds;
    bool watching = false;
};

Cache &cache()
{
    static Cache c;
    return c;
}

// Sound effects must go before the application object does.
void dropCachedSounds()
{
    QHash<QString, std::shared_ptr<Sound>> sounds;
    QMutexLocker lock(&cache().mutex);
    sounds.swap(cache().sounds);
    cache().watching = false;
}

} // namespace

std::shared_ptr<Sound> Sound::soundNamed(const QString &name)
{
    Cache &c = cache();
    QMutexLocker lock(&c.mutex);
    if (const auto found = c.sounds.value(name))
        return found;
    const Bundle &bundle = Bundle::mainBundle();
    QString path = bundle.pathForResource(name, u"wav"_s);
    if (path.isEmpty())
        path = bundle.pathForResource(name, u"aiff"_s);
    if (path.isEmpty())
        return nullptr;
    auto sound = std::make_shared<Sound>(path);
    c.sounds.insert(name, sound);
    if (!c.watching && QCoreApplication::instance()) {
        c.watching = true;
        qAddPostRoutine(dropCachedSounds);
    }
    return sound;
}

bool Sound::play(const QString &name)
{
    const auto sound = soundNamed(name);
    return sound && sound->play();
}

Sound::Sound(const QString &path)
    : m_path(path)
{}

Sound::~Sound() = default;

QString Sound::path() const
{
    return m_path;
}

void Sound::setPlayRecorder(PlayRecorder recorder)
{
    playRecorder() = std::move(recorder);
}

bool Sound::play()
{
    if (playRecorder()) {
        playRecorder()(m_path);
        return true;
    }
    // The effect is made on first play only: Qt's sample loader hangs the process at exit when
    // a sample is still loading then, so looking sounds up must not start a load.
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(m_path));
    }
    // Without an audio device the effect reports an error; there is then nothing to play.
    if (m_effect->status() == QSoundEffect::Error)
        return false;
    m_effect->play();
    return true;
}

void Sound::stop()
{
    if (m_effect)
        m_effect->stop();
}

bool Sound::isPlaying() const
{
    return m_effect && m_effect->isPlaying();
}

} // namespace platform

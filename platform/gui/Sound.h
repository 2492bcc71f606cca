#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSoundEffect;

namespace platform {

// A short bundled sound effect (a WAV file among the main bundle's resources). Made and
// played on the main thread.
class Sound
{
public:
    // "<name>.wav" (or "<name>.aiff") from the main bundle's resources; null when there is
    // none. The same object is handed out for the same name, so a sound keeps playing after
    // the caller lets go of it.
    static std::shared_ptr<Sound> soundNamed(const QString &name);
    // Plays the named sound; false when there is no such sound.
    static bool play(const QString &name);

    // Test seam: sounds that would play are handed to the recorder (with the file's path)
    // and stay silent. An empty recorder restores real playing.
    using PlayRecorder = std::function<void(const QString &path)>;
    static void setPlayRecorder(PlayRecorder recorder);

    explicit Sound(const QString &path);
    ~Sound();
    Sound(const Sound &) = delete;
    Sound &operator=(const Sound &) = delete;

    QString path() const;
    bool play();
    void stop();
    bool isPlaying() const;

private:
    QString m_path;
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace platform

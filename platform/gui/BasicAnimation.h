#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <functional>

class QVariantAnimation;

namespace platform {

// One property of a layer animated from one value to another over a duration (the key path
// names the property; "bounds" is the one our layers know). Runs on the main thread's event
// loop. Its delegate hears once when it stops: finished is true when it ran to its end.
class BasicAnimation : public QObject
{
    Q_OBJECT
public:
    enum class FillMode { Removed, Forwards };

    explicit BasicAnimation(const QString &keyPath, QObject *parent = nullptr);
    ~BasicAnimation() override;

    QString keyPath() const { return m_keyPath; }
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    QVariant fromValue() const { return m_from; }
    void setFromValue(const QVariant &value) { m_from = value; }
    QVariant toValue() const { return m_to; }
    void setToValue(const QVariant &value) { m_to = value; }
    FillMode fillMode() const { return m_fillMode; }
    void setFillMode(FillMode mode) { m_fillMode = mode; }
    bool isRemovedOnCompletion() const { return m_removedOnCompletion; }
    void setRemovedOnCompletion(bool removed) { m_removedOnCompletion = removed; }
    using Delegate = std::function<void(BasicAnimation *animation, bool finished)>;
    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }

    // Started by the layer it is added to; stop() ends it early (finished false).
    void start();
    void stop();
    bool isRunning() const;
    bool hasFinished() const { return m_finished; }
    // The value the layer shows now: while running, the one reached so far; after the end,
    // the end value when filling forwards, else none.
    QVariant presentationValue() const;

    // Test seam: runs every animation now running (and those their delegates start) to its
    // end, as if its time had passed, until none runs or `limit` have ended. Returns the
    // number ended.
    static int finishAllRunning(int limit = 100);

signals:
    void valueChanged();

private:
    void ended(bool finished);

    QString m_keyPath;
    double m_duration = 0.25;
    QVariant m_from;
    QVariant m_to;
    FillMode m_fillMode = FillMode::Removed;
    bool m_removedOnCompletion = true;
    bool m_finished = false;
    bool m_ended = false;
    Delegate m_delegate;
    QVariantAnimation *m_animation = nullptr;
};

} // namespace platform

#pragma once

#include <QMutex>

#include <functional>
#include <memory>

namespace platform {

// A spinning progress indicator as a plain object: it keeps the state a view needs to draw
// it (style, size, animating, hidden) and remembers the view it was placed in, so that its
// owner can take it out of that view again. The view that shows it (the status cell) does
// the drawing and registers itself as the host. Thread-safe: rows are freed on any thread.
class ProgressIndicator
{
public:
    enum Style { BarStyle = 0, SpinningStyle = 1 };
    enum ControlSize { RegularControlSize = 0, SmallControlSize = 1, MiniControlSize = 2 };

    ProgressIndicator() = default;
    ~ProgressIndicator();
    ProgressIndicator(const ProgressIndicator &) = delete;
    ProgressIndicator &operator=(const ProgressIndicator &) = delete;

    int style() const;
    void setStyle(int style);
    int controlSize() const;
    void setControlSize(int size);

    bool isAnimating() const;
    void startAnimation();
    void stopAnimation();

    bool isHidden() const;
    void setHidden(bool hidden);

    // Placing the spinner in a view: `view` identifies the view, `removeFromHost` takes the
    // spinner out of it. A second call replaces the first placement without running its
    // removal (the view moved the spinner itself). A view that goes away before its spinners
    // calls setHost(nullptr, {}) on each of them.
    void setHost(void *view, std::function<void()> removeFromHost);
    // The view the spinner sits in; null when it sits in none.
    void *host() const;
    // Takes the spinner out of its view (runs the host's removal once, on the main thread:
    // directly when called there, queued otherwise). Nothing happens when it sits in none.
    void removeFromSuperview();

private:
    mutable QMutex m_mutex;
    int m_style = BarStyle;
    int m_controlSize = RegularControlSize;
    bool m_animating = false;
    bool m_hidden = false;
    void *m_host = nullptr;
    std::function<void()> m_removeFromHost;
};

using ProgressIndicatorPtr = std::shared_ptr<ProgressIndicator>;

} // namespace platform

#include "platform/gui/ChildWindows.h"

#include "platform/gui/FrameWatch.h"
#include "platform/gui/WindowStack.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// Lives on the parent window (as its child object) and keeps its child windows with it.
class ChildWindowTracker : public QObject
{
public:
    explicit ChildWindowTracker(QWidget *parent)
        : QObject(parent)
        , m_parent(parent)
        , m_lastPos(contentsPos())
    {
        setObjectName(u"ChildWindowTracker"_s);
        parent->installEventFilter(this);
        // Dragged by a window manager that says where it went only at the end: follow the
        // frame as it goes.
        FrameWatch::watch(parent, [this](const QPoint &contentsPos) { followTo(contentsPos); });
    }

    static ChildWindowTracker *of(const QWidget *parent, bool create)
    {
        if (!parent)
            return nullptr;
        auto *found = parent->findChild<ChildWindowTracker *>(u"ChildWindowTracker"_s, Qt::FindDirectChildrenOnly);
        if (!found && create)
            found = new ChildWindowTracker(const_cast<QWidget *>(parent));
        return found;
    }

    QList<QWidget *> children() const
    {
        QList<QWidget *> out;
        for (const QPointer<QWidget> &child : m_children) {
            if (child)
                out.append(child);
        }
        return out;
    }

    void add(QWidget *child)
    {
        if (!children().contains(child))
            m_children.append(child);
        m_lastPos = contentsPos();
    }

    bool remove(QWidget *child) { return m_children.removeAll(child) > 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_parent)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            scheduleFollow();
            break;
        case QEvent::Show:
            for (QWidget *child : children())
                ChildWindows::showAboveParent(child);
            scheduleFollow();
            break;
        case QEvent::Hide:
            for (QWidget *child : children())
                child->hide();
            break;
        default:
            break;
        }
        return false;
    }

private:
    // Where the parent's contents lie: a window manager adding its frame moves them, even where
    // the frame's own corner stays put.
    QPoint contentsPos() const { return m_parent->geometry().topLeft(); }

    // After the event has been handled: the parent's layout places its widgets only then.
    void scheduleFollow()
    {
        if (m_followPending)
            return;
        m_followPending = true;
        QMetaObject::invokeMethod(
            this, [this] { follow(); }, Qt::QueuedConnection);
    }

    // The parent's contents are at `contentsPos` now, though Qt may not know it yet: the
    // children go along by as much.
    void followTo(const QPoint &contentsPos)
    {
        const QPoint delta = contentsPos - m_lastPos;
        m_lastPos = contentsPos;
        if (delta.isNull())
            return;
        for (QWidget *child : children())
            child->move(child->pos() + delta);
    }

    void follow()
    {
        m_followPending = false;
        const QPoint delta = contentsPos() - m_lastPos;
        m_lastPos = contentsPos();
        for (QWidget *child : children()) {
            QEvent change(ChildWindows::parentGeometryChangeEvent());
            change.ignore();
            QCoreApplication::sendEvent(child, &change);
            if (!change.isAccepted() && !delta.isNull())
                child->move(child->pos() + delta);
        }
    }

private:
    QWidget *m_parent;
    QPoint m_lastPos;
    bool m_followPending = false;
    QList<QPointer<QWidget>> m_children;
};

} // namespace

void ChildWindows::addChildWindow(QWidget *parent, QWidget *child)
{
    if (!parent || !child || parent == child)
        return;
    if (child->parentWidget() != parent) {
        const QPoint where = child->pos();
        child->setParent(parent, child->windowFlags() | Qt::Window);
        child->move(where); // setParent forgets a window's place
    }
    ChildWindowTracker::of(parent, true)->add(child);
    if (parent->isVisible())
        showAboveParent(child);
}

void ChildWindows::showAboveParent(QWidget *child)
{
    // A window shown afresh lands above every other one, over whatever the user has brought
    // in front of the parent (the settings window over the main one): it goes back to its
    // parent's level.
    child->show();
    if (QWidget *parent = child->parentWidget() ? child->parentWidget()->window() : nullptr)
        WindowStack::placeAbove(child, parent);
}

void ChildWindows::removeChildWindow(QWidget *parent, QWidget *child)
{
    ChildWindowTracker *tracker = ChildWindowTracker::of(parent, false);
    if (!child || !tracker || !tracker->remove(child))
        return;
    child->hide();
    const QPoint where = child->pos();
    child->setParent(nullptr, child->windowFlags());
    child->move(where);
}

QEvent::Type ChildWindows::parentGeometryChangeEvent()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QList<QWidget *> ChildWindows::childWindows(const QWidget *parent)
{
    ChildWindowTracker *tracker = ChildWindowTracker::of(parent, false);
    return tracker ? tracker->children() : QList<QWidget *>();
}

} // namespace platform

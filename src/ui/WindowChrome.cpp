#include "ui/WindowChrome.h"

#include "base/AppValues.h"
#include "base/LangText.h"
#include "db/DataSetRoutines.h"
#include "ui/DecorPanels.h"
#include "ui/ShellGeometry.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace vivrelo {

namespace {

const char *const kChromeProperty = "vivreloChrome";

bool IsBorderlessForever(const QWidget *window)
{
    const QVariant tag = window->property("tag");
    if (tag.isValid() && tag.toInt() == -1)
        return true;
    const QString name = window->objectName();
    return name == QLatin1String("Splash") || name == QLatin1String("About");
}

QPoint GlobalPos(const QMouseEvent *e)
{
    return e->globalPosition().toPoint();
}

} // namespace

WindowChrome *WindowChrome::prepare(QWidget *window, const ChromeOptions &options)
{
    if (WindowChrome *existing = of(window))
        return existing;
    return new WindowChrome(window, options);
}

WindowChrome *WindowChrome::of(const QWidget *window)
{
    if (!window)
        return nullptr;
    return qobject_cast<WindowChrome *>(window->property(kChromeProperty).value<QObject *>());
}

WindowChrome::WindowChrome(QWidget *window, const ChromeOptions &options)
    : QObject(window)
    , m_window(window)
    , m_options(options)
{
    m_window->setProperty(kChromeProperty, QVariant::fromValue<QObject *>(this));
    m_window->setAttribute(Qt::WA_AlwaysShowToolTips);
    findElements();
    m_window->installEventFilter(this);

    if (App().standardFrame && !IsBorderlessForever(m_window))
        useNativeFrame();
    applyCaption();
    m_active = m_window->isActiveWindow();
    if (m_titleBar && m_window->isVisible())
        m_activeTest->start();
}

void WindowChrome::findElements()
{
    const auto named = [this](const char *name) { return m_window->findChild<QWidget *>(QLatin1String(name)); };
    m_titleBar = named("TitleBar");
    m_title = m_window->findChild<QLabel *>(QStringLiteral("Title"));
    m_exit = named("Exit");
    if (!m_exit)
        m_exit = named("SysExitBtn");
    m_mini = named("SysMiniBtn");
    m_maxi = named("SysMaxiBtn");
    m_grip = named("RezisePad");
    if (!m_grip)
        m_grip = named("Image1");

    if (m_titleBar)
        m_titleBar->installEventFilter(this);
    if (m_title) {
        QPalette pal = m_title->palette();
        pal.setColor(QPalette::WindowText, App().titleText);
        m_title->setPalette(pal);
        m_title->installEventFilter(this);
    }
    for (const QString &name : m_options.dragSurfaces) {
        if (QWidget *w = m_window->findChild<QWidget *>(name)) {
            w->installEventFilter(this);
            m_dragSurfaces.append(w);
        }
    }

    const auto button = [this](QWidget *w, const QString &hint) {
        if (!w)
            return;
        if (w->toolTip().isEmpty())
            w->setToolTip(hint);
        w->setCursor(Qt::ArrowCursor);
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            connect(b, &QAbstractButton::clicked, this, [this, w] { pressButton(w); });
        else
            w->installEventFilter(this);
    };
    button(m_exit, QStringLiteral("Quitter"));
    button(m_mini, QStringLiteral("Minimiser"));
    button(m_maxi, GetLangText(lang::MaximizeHint));

    if (m_grip) {
        m_grip->setCursor(Qt::SizeFDiagCursor);
        m_grip->installEventFilter(this);
    }

    m_activeTest = m_window->findChild<QTimer *>(QStringLiteral("ActiveTest"));
    if (!m_activeTest) {
        m_activeTest = new QTimer(m_window);
        m_activeTest->setObjectName(QStringLiteral("ActiveTest"));
    }
    m_activeTest->setInterval(10);
    connect(m_activeTest, &QTimer::timeout, this, &WindowChrome::recolour);
}

void WindowChrome::useNativeFrame()
{
    m_nativeFrame = true;
    const auto shows = [this](QWidget *w) { return w && w->isVisibleTo(m_window); };

    Qt::WindowFlags flags =
        (m_window->windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (shows(m_mini))
        flags |= Qt::WindowMinimizeButtonHint;
    if (shows(m_maxi))
        flags |= Qt::WindowMaximizeButtonHint;
    if (shows(m_exit))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

    // The window system draws the title now: the drawn bar goes, and what lay under it moves
    // up into its place, so the content keeps its size and the client area loses the bar.
    int barHeight = 0;
    if (m_titleBar) {
        barHeight = m_titleBar->height();
        QWidget *holder = m_titleBar->parentWidget();
        const int barBottom = m_titleBar->geometry().bottom() + 1;
        m_titleBar->hide();
        if (holder && !holder->layout()) {
            const auto siblings = holder->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            for (QWidget *w : siblings) {
                if (w != m_titleBar && !w->isWindow() && w->y() >= barBottom)
                    w->move(w->x(), w->y() - barHeight);
            }
            if (holder != m_window && !m_window->layout())
                holder->resize(holder->width(), holder->height() - barHeight);
        }
    }
    const QSize client(m_window->width(), m_window->height() - barHeight);

    m_window->setWindowIcon(QGuiApplication::windowIcon());
    m_window->setWindowFlags(flags);
    // Only a "RezisePad" makes the frame sizeable; "Image1" grips stay drawn but the frame is
    // fixed. A window with a maximise button keeps a sizeable frame all the same: the window
    // system has no frame that maximises without resizing.
    const bool sizeable = (m_grip && m_grip->objectName() == QLatin1String("RezisePad")) || shows(m_maxi);
    if (sizeable) {
        m_window->setMinimumSize(m_options.minimumSize + QSize(1, 1));
        m_window->resize(client);
    } else {
        m_window->setFixedSize(client);
    }
}

void WindowChrome::applyCaption()
{
    if (m_title)
        m_window->setWindowTitle(CaptionFromTitle(m_title->text()));
}

void WindowChrome::recolour()
{
    const bool active = m_window->isActiveWindow();
    if (active == m_active)
        return;
    m_active = active;
    if (m_titleBar)
        m_titleBar->update();
}

void WindowChrome::paintTitleBar(QWidget *bar)
{
    const AppValues &app = App();
    QPainter p(bar);
    PaintGradient(p, bar->rect(), m_active ? app.activeTitleStart : app.inactiveTitleStart,
        m_active ? app.activeTitleEnd : app.inactiveTitleEnd, Qt::Horizontal);
}

bool WindowChrome::isDragSurface(QObject *o) const
{
    if (o == m_titleBar || o == m_title)
        return true;
    for (const QPointer<QWidget> &w : m_dragSurfaces)
        if (w == o)
            return true;
    return false;
}

void WindowChrome::pressButton(QObject *button)
{
    if (button == m_exit) {
        if (auto *dialog = qobject_cast<QDialog *>(m_window))
            dialog->reject();
        else
            m_window->close();
    } else if (button == m_mini) {
        m_window->showMinimized();
    } else if (button == m_maxi) {
        toggleMaximised();
    }
}

void WindowChrome::toggleMaximised()
{
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        m_window->showNormal();
        m_maxi->setToolTip(GetLangText(lang::MaximizeHint));
    } else {
        m_window->showMaximized();
        m_maxi->setToolTip(GetLangText(lang::RestoreHint));
    }
}

bool WindowChrome::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
            applyCaption();
            if (!m_centred && App().ownerCentring && m_window->objectName() != QLatin1String("MainForm")
                && !m_window->testAttribute(Qt::WA_Moved) && m_window->parentWidget()) {
                const QWidget *owner = m_window->parentWidget()->window();
                m_window->move(CentredOnWindow(m_window->frameGeometry().size(), owner->frameGeometry()));
            }
            m_centred = true;
            if (m_titleBar)
                m_activeTest->start();
            recolour();
            break;
        case QEvent::Hide:
            m_activeTest->stop();
            m_drag = Drag::None;
            break;
        case QEvent::ActivationChange:
            recolour();
            break;
        case QEvent::WindowStateChange:
            // A grip panel has nothing to resize on a maximised window.
            if (auto *pad = m_window->findChild<QWidget *>(QStringLiteral("Pan_RezisePad")))
                pad->setVisible(!m_window->isMaximized());
            break;
        default:
            break;
        }
        return false;
    }

    if (watched == m_titleBar && event->type() == QEvent::Paint) {
        paintTitleBar(m_titleBar);
        return true;
    }

    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);

    // Picture buttons: a release over the picture that was pressed.
    if ((watched == m_exit || watched == m_mini || watched == m_maxi) && !qobject_cast<QAbstractButton *>(watched)) {
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton
            && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint()))
            pressButton(watched);
        return type != QEvent::MouseMove;
    }

    const bool grip = watched == m_grip;
    if (!grip && !isDragSurface(watched))
        return false;

    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        // The window system moves the window itself where it can; elsewhere (no window
        // manager, the offscreen platform) the window follows the cursor by hand.
        if (!grip && !m_nativeFrame && m_window->windowHandle() && m_window->windowHandle()->startSystemMove())
            return true;
        m_pressGlobal = GlobalPos(mouse);
        m_pressPos = m_window->pos();
        m_pressSize = m_window->size();
        m_drag = grip ? Drag::Resize : Drag::Move;
        return true;
    case QEvent::MouseMove: {
        if (m_drag == Drag::None)
            return false;
        const QPoint delta = GlobalPos(mouse) - m_pressGlobal;
        if (m_drag == Drag::Move && !grip) {
            m_window->move(m_pressPos + delta);
        } else if (m_drag == Drag::Resize && grip) {
            const int w = m_pressSize.width() + delta.x();
            const int h = m_pressSize.height() + delta.y();
            m_window->resize(w > m_options.minimumSize.width() ? w : m_window->width(),
                h > m_options.minimumSize.height() ? h : m_window->height());
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_drag == Drag::None)
            return false;
        m_drag = Drag::None;
        return true;
    default:
        return false;
    }
}

} // namespace vivrelo

#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QStringList>

class QLabel;
class QTimer;
class QWidget;

namespace vivrelo {

// What a window asks of its chrome beyond the named elements it holds.
struct ChromeOptions {
    // The grip applies a new width only when it is larger than minimumSize.width() (the same
    // for the height): a width of exactly the minimum is refused.
    QSize minimumSize{400, 200};
    // Object names of further drag surfaces (caption labels, a status label).
    QStringList dragSurfaces;
};

// The drawn frame every borderless window wears, found by the object names of the window's
// children:
//   TitleBar            the 18-pixel panel painted with the active or inactive gradient
//   Title               the title label (white text): drag surface and source of the caption
//   Exit / SysExitBtn   closes the window; a dialog closed this way is rejected
//   SysMiniBtn          minimises
//   SysMaxiBtn          maximises and restores
//   RezisePad / Image1  the resize grip in the bottom-right corner
//   ActiveTest          the 10 ms timer that recolours the title bar (made when missing; it
//                       runs while a window with a title bar is shown)
// A window without one of them simply goes without that part. When the standard-frame switch
// is on, the window gets the window system's frame instead (except windows tagged -1 and the
// "Splash" and "About" windows, which always stay borderless).
class WindowChrome : public QObject
{
    Q_OBJECT
public:
    // Prepares the window once, from its constructor, after its children exist. The chrome
    // is a child of the window and lives as long as it.
    static WindowChrome *prepare(QWidget *window, const ChromeOptions &options = {});
    // The chrome of a prepared window, or null.
    static WindowChrome *of(const QWidget *window);

    QWidget *window() const { return m_window; }
    // True when the window wears the window system's frame instead of the drawn one.
    bool nativeFrame() const { return m_nativeFrame; }
    // True when the title bar currently shows the active colours.
    bool showsActive() const { return m_active; }
    // Copies the text of `Title` into the window caption; done again each time it is shown.
    void applyCaption();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowChrome(QWidget *window, const ChromeOptions &options);
    void findElements();
    void useNativeFrame();
    void recolour();
    void paintTitleBar(QWidget *bar);
    bool isDragSurface(QObject *o) const;
    void pressButton(QObject *button);
    void toggleMaximised();

    enum class Drag { None, Move, Resize };

    QWidget *m_window;
    ChromeOptions m_options;
    QPointer<QWidget> m_titleBar;
    QPointer<QLabel> m_title;
    QPointer<QWidget> m_exit;
    QPointer<QWidget> m_mini;
    QPointer<QWidget> m_maxi;
    QPointer<QWidget> m_grip;
    QTimer *m_activeTest = nullptr;
    QList<QPointer<QWidget>> m_dragSurfaces;

    Drag m_drag = Drag::None;
    QPoint m_pressGlobal; // cursor on the screen when the button went down
    QPoint m_pressPos; // the window's position then (moving)
    QSize m_pressSize; // the window's size then (resizing)
    bool m_active = false;
    bool m_nativeFrame = false;
    bool m_centred = false;
};

} // namespace vivrelo

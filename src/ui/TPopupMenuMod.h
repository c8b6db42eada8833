#pragma once

#include <QImage>
#include <QMenu>

namespace vivrelo {

// The main window's pop-up menu, drawn in the shell's own look: items 22 pixels high,
// separators 10, a grey picture column on the left, the selected item framed in blue on a
// pale blue ground, disabled items with greyed pictures and silver captions. A checked item
// shows the tick picture. Submenus made with addMenu() wear the same look.
class TPopupMenuMod : public QMenu
{
    Q_OBJECT
public:
    static constexpr int kItemHeight = 22;
    static constexpr int kSeparatorHeight = 10;
    static constexpr int kImageColumn = 22;

    explicit TPopupMenuMod(QWidget *parent = nullptr);
    explicit TPopupMenuMod(const QString &title, QWidget *parent = nullptr);

    // A submenu in the same look, owned by this menu.
    TPopupMenuMod *addMenu(const QString &title);
};

// A menu picture ready to draw: a picture without transparency (a bitmap drawn over a
// background colour) loses the colour of its pixel at (0, 15), or of its last row when it
// is smaller; a picture with transparency is kept as it is.
QImage MenuPicture(const QImage &picture);

// A picture turned grey for a disabled item: every pixel that is not fully transparent
// becomes the average of its red, green and blue.
QImage GreyedPicture(const QImage &picture);

} // namespace vivrelo

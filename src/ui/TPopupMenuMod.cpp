#include "ui/TPopupMenuMod.h"

#include "ui/ShellPictures.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace vivrelo {

namespace {

const QColor kImageColumnColor(244, 244, 244);
const QColor kSelectionColor(231, 236, 248);
const QColor kSelectionBorder(131, 166, 224);
const QColor kTextBackground(255, 255, 255);
const QColor kSilver(192, 192, 192);
const QColor kMenuBorder(150, 150, 150);

class MenuStyle : public QProxyStyle
{
public:
    MenuStyle()
        : QProxyStyle(QStringLiteral("Fusion"))
    { }

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        switch (metric) {
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 0;
        case PM_SmallIconSize:
            return 16;
        case PM_SubMenuOverlap:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(
        ContentsType type, const QStyleOption *option, const QSize &size, const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (type != CT_MenuItem || !item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        if (item->menuItemType == QStyleOptionMenuItem::Separator)
            return {TPopupMenuMod::kImageColumn + 20, TPopupMenuMod::kSeparatorHeight};
        const QFontMetrics fm(item->font);
        QString text = item->text;
        int shortcut = 0;
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0) {
            shortcut = fm.horizontalAdvance(text.mid(tab + 1)) + 24;
            text.truncate(tab);
        }
        const int width = TPopupMenuMod::kImageColumn + 3 + fm.horizontalAdvance(QString(text).remove(QLatin1Char('&')))
            + shortcut + 28;
        return {width, TPopupMenuMod::kItemHeight};
    }

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        if (element == PE_PanelMenu || element == PE_FrameMenu) {
            const QRect r = option->rect;
            if (element == PE_PanelMenu)
                painter->fillRect(r, kTextBackground);
            painter->setPen(kMenuBorder);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(r.adjusted(0, 0, -1, -1));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(
        ControlElement element, const QStyleOption *option, QPainter *painter, const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element == CE_MenuEmptyArea) {
            painter->fillRect(option->rect, kTextBackground);
            return;
        }
        if (element != CE_MenuItem || !item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        drawItem(*item, painter);
    }

private:
    static void drawItem(const QStyleOptionMenuItem &item, QPainter *p)
    {
        const QRect r = item.rect;
        const int column = TPopupMenuMod::kImageColumn;
        const bool enabled = item.state & State_Enabled;
        const bool selected =
            enabled && (item.state & State_Selected) && item.menuItemType != QStyleOptionMenuItem::Separator;
        p->save();
        p->fillRect(QRect(r.left(), r.top(), column, r.height()), kImageColumnColor);
        if (selected) {
            const QRect band(r.left() + 1, r.top(), r.width() - 2, r.height());
            p->fillRect(band, kSelectionColor);
            p->setPen(kSelectionBorder);
            p->drawRect(band.adjusted(0, 0, -1, -1));
        } else {
            p->fillRect(QRect(r.left() + column, r.top(), r.width() - column, r.height()), kTextBackground);
        }

        if (item.menuItemType == QStyleOptionMenuItem::Separator) {
            p->setPen(kSilver);
            const int y = r.top() + r.height() / 2;
            p->drawLine(r.left() + column + 3, y, r.right(), y);
            p->restore();
            return;
        }

        QImage picture;
        if (item.checked)
            picture = ShellPicture(QStringLiteral("tick")).toImage();
        else if (!item.icon.isNull())
            picture = item.icon.pixmap(16, 16).toImage();
        if (!picture.isNull()) {
            picture = MenuPicture(picture);
            if (!enabled)
                picture = GreyedPicture(picture);
            p->drawImage(r.left() + 3, r.top() + (r.height() - picture.height()) / 2, picture);
        }

        QString text = item.text;
        QString shortcut;
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0) {
            shortcut = text.mid(tab + 1);
            text.truncate(tab);
        }
        p->setFont(item.font);
        p->setPen(enabled ? QColor(Qt::black) : kSilver);
        const QRect textRect(r.left() + column + 3, r.top(), r.width() - column - 3 - 16, r.height());
        p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text);
        if (!shortcut.isEmpty())
            p->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, shortcut);

        if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
            const int cx = r.right() - 8;
            const int cy = r.top() + r.height() / 2;
            const QPoint arrow[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(Qt::NoPen);
            p->setBrush(enabled ? QColor(Qt::black) : kSilver);
            p->drawPolygon(arrow, 3);
        }
        p->restore();
    }
};

} // namespace

QImage MenuPicture(const QImage &picture)
{
    if (picture.hasAlphaChannel() || picture.isNull())
        return picture;
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = keyed.pixel(0, qMin(15, keyed.height() - 1));
    for (int y = 0; y < keyed.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return keyed;
}

QImage GreyedPicture(const QImage &picture)
{
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb px = line[x];
            if (qAlpha(px) == 0)
                continue;
            const int avg = (qRed(px) + qGreen(px) + qBlue(px)) / 3;
            line[x] = qRgba(avg, avg, avg, qAlpha(px));
        }
    }
    return grey;
}

TPopupMenuMod::TPopupMenuMod(QWidget *parent)
    : QMenu(parent)
{
    auto *style = new MenuStyle;
    style->setParent(this);
    setStyle(style);
}

TPopupMenuMod::TPopupMenuMod(const QString &title, QWidget *parent)
    : TPopupMenuMod(parent)
{
    setTitle(title);
}

TPopupMenuMod *TPopupMenuMod::addMenu(const QString &title)
{
    auto *sub = new TPopupMenuMod(title, this);
    QMenu::addMenu(sub);
    return sub;
}

} // namespace vivrelo

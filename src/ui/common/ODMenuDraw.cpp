#include "ui/common/ODMenuDraw.h"

#include "ui/common/Resources.h"
#include "ui/common/modODMenus.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

namespace quorvan {

namespace {

constexpr int kDefaultDpi = 96;
constexpr unsigned kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;

QColor Rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

int DotsPerInchOf(std::int64_t windowHandle)
{
    const QWidget* form = FormForHandle(windowHandle);
    const int dpi = form != nullptr ? form->logicalDpiY() : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

// Splits "caption<TAB>shortcut" at the first TAB.
std::pair<QString, QString> SplitCaption(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return {text, QString()};
    return {text.left(tab), text.mid(tab + 1)};
}

QString CaptionOf(std::int64_t windowHandle, int itemId)
{
    const CaptionTable* captions = MenuCaptions();
    if (captions == nullptr)
        return {};
    return captions->Item(ItemKey(windowHandle, itemId)).value_or(QString());
}

std::optional<MenuIconPair> IconsOf(const QString& caption)
{
    const IconTable* icons = MenuIcons();
    if (icons == nullptr)
        return std::nullopt;
    return icons->Item(caption);
}

// Fills a rectangle given by its corners (right and bottom excluded) on the
// surface the item ends up on, outside the item's own clip.
void FillOnSurface(QPainter& surface, int left, int top, int right, int bottom, const QColor& colour)
{
    if (right <= left || bottom <= top)
        return;
    surface.save();
    surface.setClipping(false);
    surface.fillRect(QRect(left, top, right - left, bottom - top), colour);
    surface.restore();
}

// A one-pixel raised edge on all four sides.
void DrawRaisedInner(QPainter& p, const QRect& box)
{
    if (box.width() <= 0 || box.height() <= 0)
        return;
    p.setPen(MenuEdgeLight());
    p.drawLine(box.left(), box.top(), box.right(), box.top());
    p.drawLine(box.left(), box.top(), box.left(), box.bottom());
    p.setPen(MenuEdgeShadow());
    p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
    p.drawLine(box.right(), box.top(), box.right(), box.bottom());
}

// An etched line along the top of (left, top)-(right, bottom): a shadow row,
// then a light row beneath it.
void DrawEtchedTop(QPainter& p, int left, int top, int right)
{
    if (right <= left)
        return;
    p.setPen(MenuEdgeShadow());
    p.drawLine(left, top, right - 1, top);
    p.setPen(MenuEdgeLight());
    p.drawLine(left, top + 1, right - 1, top + 1);
}

// Text with "&" marking the mnemonic, its cell's top-left at (x, y); the
// disabled style is embossed: light one pixel down and right, shadow on top.
void DrawPrefixText(QPainter& p, int x, int y, const QString& text, const QColor& colour, bool disabled)
{
    if (text.isEmpty())
        return;
    const int height = QFontMetrics(p.font()).height();
    const QRect cell(x, y, 1 << 15, height);
    if (disabled) {
        p.setPen(MenuEdgeLight());
        p.drawText(cell.translated(1, 1), static_cast<int>(kTextFlags), text);
        p.setPen(MenuEdgeShadow());
    } else {
        p.setPen(colour);
    }
    p.drawText(cell, static_cast<int>(kTextFlags), text);
}

// A bitmap in the disabled style: every pixel that is not white becomes an
// embossed dot, the white ones stay transparent.
void DrawDisabledBitmap(QPainter& p, int x, int y, const QImage& image)
{
    const QColor light = MenuEdgeLight();
    const QColor shadow = MenuEdgeShadow();
    for (int pass = 0; pass < 2; ++pass) {
        const int offset = pass == 0 ? 1 : 0;
        const QColor& colour = pass == 0 ? light : shadow;
        for (int j = 0; j < image.height(); ++j)
            for (int i = 0; i < image.width(); ++i)
                if ((image.pixel(i, j) & 0xFFFFFFu) != 0xFFFFFFu)
                    p.fillRect(x + i + offset, y + j + offset, 1, 1, colour);
    }
}

// The icon over what the surface holds at (x, y): first surface OR NOT mask,
// then AND image; white outside the picture in the image and black on the
// picture in the mask leave the background around the picture untouched.
QImage MaskedIcon(const QImage& under, const QImage& image, const QImage& mask)
{
    QImage out(image.size(), QImage::Format_RGB32);
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i) {
            const QRgb below = under.valid(i, j) ? under.pixel(i, j) : 0u;
            // Where the mask has no pixel it counts as black.
            const QRgb m = mask.valid(i, j) ? mask.pixel(i, j) : 0u;
            out.setPixel(i, j, ((below | ~m) & image.pixel(i, j)) | 0xFF000000u);
        }
    return out;
}

} // namespace

QColor MenuEdgeLight()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Light);
}

QColor MenuEdgeShadow()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Dark);
}

TopItemRecord& PrevTopItem()
{
    static TopItemRecord record;
    return record;
}

QColor SchemeColor(const QString& key)
{
    const QString name = key.toLower();
    if (name == QLatin1String("selected"))
        return Rgb(255, 255, 0);
    if (name == QLatin1String("selectedtext") || name == QLatin1String("generaltext"))
        return Rgb(0, 0, 0);
    if (name == QLatin1String("bordercolor"))
        return Rgb(85, 85, 118);
    if (name == QLatin1String("menubg"))
        return QApplication::palette("QMenu").color(QPalette::Active, QPalette::Window);
    return Rgb(0, 0, 0);
}

int RoundHalfEven(double value)
{
    // Under the default rounding mode nearbyint sends halves to the even neighbour.
    return static_cast<int>(std::nearbyint(value));
}

QFont CreateMenuFont(const QPaintDevice& surface)
{
    return CreateMenuFont(surface.logicalDpiY());
}

QFont CreateMenuFont(int dotsPerInchY)
{
    const int dpi = dotsPerInchY > 0 ? dotsPerInchY : kDefaultDpi;
    const QFont menuFont = QApplication::font("QMenu");
    // Every item measured or drawn asks for the font, and finding its size loads
    // the face at several sizes: the last answer is kept for the same question.
    struct Answer {
        int dpi = 0;
        QFont menuFont;
        QFont font;
    };
    thread_local std::optional<Answer> last;
    if (last && last->dpi == dpi && last->menuFont == menuFont && last->menuFont.resolveMask() == menuFont.resolveMask())
        return last->font;
    // The menu font's height in pixels on this surface...
    const double height = menuFont.pixelSize() > 0 ? menuFont.pixelSize() : menuFont.pointSizeF() * dpi / 72.0;
    // ...times dots per inch / 72 gives the height of the whole character cell.
    const int cell = std::max(1, RoundHalfEven(height * dpi / 72.0));
    QFont font = menuFont;
    int pixels = cell;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > cell)
        font.setPixelSize(--pixels);
    last = Answer{dpi, menuFont, font};
    return font;
}

QSize MenuTextExtent(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

int BarRightLimit(int windowWidth, int borderWidth)
{
    return windowWidth - 2 * borderWidth - 2;
}

QImage LoadMenuBitmap(int resourceId)
{
    EnsureResources();
    const QImage image(QStringLiteral(":/quorvan/bitmaps/%1.bmp").arg(resourceId));
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

QSize MeasureMenuItem(std::int64_t windowHandle, int itemId, std::int64_t itemData)
{
    const QString caption = CaptionOf(windowHandle, itemId);
    const auto [text, shortcut] = SplitCaption(caption);
    // Shortcut, a space, then the caption: the whole row's text.
    const QString measured = shortcut.isNull() ? caption : shortcut + QLatin1Char(' ') + text;

    const QFont font = CreateMenuFont(DotsPerInchOf(windowHandle));
    const QSize extent = MenuTextExtent(font, measured);

    int iconHeight = 0;
    if (const auto icons = IconsOf(text)) {
        const QImage image = LoadMenuBitmap((*icons)[0]);
        if (!image.isNull())
            iconHeight = image.height();
    }

    int width = extent.width() + kMeasureMargin;
    if (itemData != kTopLevelMarker)
        width += kIconColumn;
    const int height = std::max(extent.height(), iconHeight) + kMeasureMargin;
    return {width, height};
}

void DrawMenuItem(std::int64_t windowHandle, const MenuDrawRecord* record)
{
    if (record == nullptr || record->hDC == nullptr)
        return;
    const MenuDrawRecord rec = *record;
    QPainter& dc = *rec.hDC;
    const bool topLevel = rec.itemData == kTopLevelMarker;

    const QAction* action = ActionByID(rec.hwndItem, rec.itemID);
    const bool separator = action != nullptr && (ItemType(action) & kMftSeparator) != 0;

    const int w = rec.right - rec.left;
    const int h = rec.bottom - rec.top;
    const QColor background = SchemeColor(QStringLiteral("menubg"));

    if (topLevel) {
        // The rest of the bar is painted in the menu colour as well.
        const QWidget* form = FormForHandle(windowHandle);
        const int limit = form != nullptr ? BarRightLimit(form->width()) : 0;
        TopItemRecord& prev = PrevTopItem();
        if (form != nullptr && rec.itemID == prev.itemID + 1 && prev.top < rec.top &&
            rec.itemID > kFirstTopItemID && prev.right != 0)
            FillOnSurface(dc, prev.right, prev.top, limit, prev.bottom, background); // the bar wrapped
        prev = {rec.left, rec.top, rec.right, rec.bottom, rec.itemID};
        if (form != nullptr && rec.itemID == LastTopItemID())
            FillOnSurface(dc, rec.right, rec.top, limit, rec.bottom, background);
    }
    if (w <= 0 || h <= 0)
        return;

    QImage surface(w, h, QImage::Format_RGB32);
    surface.fill(background);
    QPainter p(&surface);
    p.setRenderHint(QPainter::Antialiasing, false);

    const unsigned state = rec.itemState;
    const bool selected = (state & kOdsSelected) != 0;
    const bool disabled = (state & kOdsDisabled) != 0;
    const bool checked = (state & kOdsChecked) != 0;

    if (separator) {
        DrawEtchedTop(p, 5, RoundHalfEven((h - 2) / 2.0), w - 5);
    } else {
        const auto [caption, shortcut] = SplitCaption(CaptionOf(windowHandle, rec.itemID));
        const QFont font = CreateMenuFont(DotsPerInchOf(windowHandle));
        p.setFont(font);

        if (topLevel) {
            QColor text = Rgb(0, 0, 0);
            if (state & kOdsHotLight) {
                DrawRaisedInner(p, QRect(0, 0, w, h));
            } else if (selected && !disabled) {
                // The open item: a box in the selection colour with a frame.
                p.setPen(SchemeColor(QStringLiteral("BorderColor")));
                p.setBrush(SchemeColor(QStringLiteral("Selected")));
                p.drawRect(0, 0, w - 1, h - 1);
                p.setBrush(Qt::NoBrush);
                text = SchemeColor(QStringLiteral("SelectedText"));
            } else {
                text = SchemeColor(QStringLiteral("GeneralText"));
            }
            const QSize extent = MenuTextExtent(font, caption);
            DrawPrefixText(p, RoundHalfEven((w - extent.width()) / 2.0), RoundHalfEven((h - extent.height()) / 2.0),
                           caption, text, disabled);
        } else {
            // The icon column: the registered icon, or the crossed box when
            // checked; a switch without an icon of its own shows an empty box.
            std::optional<MenuIconPair> icons = IconsOf(caption);
            if (!icons && (state & kOdsCheckBox) != 0)
                icons = MenuIconPair{kUncheckedImage, kUncheckedMask};
            const bool hasIcon = icons.has_value() || checked;
            QImage image;
            QImage mask;
            if (hasIcon) {
                image = LoadMenuBitmap(checked ? kCheckedImage : (*icons)[0]);
                mask = LoadMenuBitmap(checked ? kCheckedMask : (*icons)[1]);
                if (checked && !disabled && !image.isNull()) {
                    // Tint: the box's dark lines take the menu text colour.
                    const QRgb tint = SchemeColor(QStringLiteral("menutext")).rgb();
                    for (int j = 0; j < image.height(); ++j)
                        for (int i = 0; i < image.width(); ++i)
                            image.setPixel(i, j, image.pixel(i, j) | tint);
                }
                if (selected && !disabled)
                    DrawRaisedInner(p, QRect(0, 0, kIconColumn, h));
            }

            if (selected && !disabled) {
                const int x0 = hasIcon ? kIconColumn : 0;
                p.fillRect(QRect(x0, 0, w - x0, h), SchemeColor(QStringLiteral("Selected")));
            }
            const QColor text = SchemeColor(selected ? QStringLiteral("SelectedText") : QStringLiteral("menutext"));
            const QSize extent = MenuTextExtent(font, caption);
            const int y = RoundHalfEven((h - extent.height()) / 2.0);
            DrawPrefixText(p, kCaptionLeft, y, caption, text, disabled);
            if (!shortcut.isEmpty()) {
                const int sx = MenuTextExtent(font, shortcut).width();
                DrawPrefixText(p, w - kShortcutRightMargin - sx, y, shortcut, text, disabled);
            }

            if (!image.isNull()) {
                const int iw = image.width();
                const int ih = image.height();
                const int iy = RoundHalfEven((h - ih) / 2.0);
                if (disabled) {
                    DrawDisabledBitmap(p, RoundHalfEven((kIconColumn - iw) / 2.0), iy, image);
                } else {
                    const QImage under = surface.copy(kEnabledIconLeft, iy, iw, ih);
                    p.drawImage(kEnabledIconLeft, iy, MaskedIcon(under, image, mask));
                }
            }
        }
    }

    if (!topLevel && rec.left > 0)
        FillOnSurface(dc, rec.left - kLeftStrip, rec.top, rec.left, rec.bottom, background);
    p.end();
    dc.drawImage(rec.left, rec.top, surface);
}

} // namespace quorvan

// Draws the main window's skin: the atlas Pmain (a whole small window: rounded
// corners with red outside, a grey caption with a darker tab, the caption-button
// glyphs, a grey border and the grip mark), the caption buttons' hover and pressed
// pictures, the restore glyph, the window icon, the speaker icon, and the program's
// 64 x 64 icon.

#include "shell/Outline.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBackground(192, 255, 192);
const QColor kBorderDark(104, 110, 122);
const QColor kBorder(190, 196, 205);
const QColor kBorderLight(234, 237, 242);
const QColor kCaption(214, 219, 227);
const QColor kTab(172, 181, 195);
const QColor kGlyph(58, 64, 76);
const QColor kHoverFill(246, 248, 251);
const QColor kHoverFrame(126, 134, 148);
const QColor kPressedFill(104, 113, 128);
const QColor kGripGreen(36, 150, 60);
const QColor kGripLight(190, 240, 200);
const QColor kTitleBlue(31, 96, 169);

// The atlas is cut from a window drawn at this size: its left and top parts from the
// left and top of the window, its right and bottom parts from the right and bottom,
// so every piece sits against the edges it is painted against.
constexpr int kAtlasWidth = 150;
constexpr int kAtlasHeight = 155;
constexpr int kRefWidth = 600;
constexpr int kRefHeight = 450;
constexpr int kSplitX = 75;
constexpr int kSplitY = 78;

// The caption's rows: faint light shading at the top, darker at the bottom.
QColor captionRow(int y)
{
    static constexpr int kTopShade[] = {14, 10, 6, 3};
    static constexpr int kBottomShade[] = {-10, -20, -34};
    int shade = 0;
    if (y < 4)
        shade = kTopShade[y];
    else if (y >= 25)
        shade = kBottomShade[y - 25];
    return QColor(std::clamp(kCaption.red() + shade, 0, 255),
                  std::clamp(kCaption.green() + shade, 0, 255),
                  std::clamp(kCaption.blue() + shade, 0, 255));
}

QRegion eroded(const QRegion& region)
{
    return region & region.translated(1, 0) & region.translated(-1, 0) & region.translated(0, 1) &
           region.translated(0, -1);
}

void fillRegion(QImage& image, const QRegion& region, const QColor& colour)
{
    QPainter painter(&image);
    painter.setClipRegion(region);
    painter.fillRect(image.rect(), colour);
}

void plot(QImage& image, int x, int y, const QColor& colour)
{
    if (image.rect().contains(x, y))
        image.setPixelColor(x, y, colour);
}

void hLine(QImage& image, int x0, int x1, int y, const QColor& colour)
{
    for (int x = x0; x <= x1; ++x)
        plot(image, x, y, colour);
}

void vLine(QImage& image, int x, int y0, int y1, const QColor& colour)
{
    for (int y = y0; y <= y1; ++y)
        plot(image, x, y, colour);
}

enum class Glyph
{
    Minimize,
    Maximize,
    Close,
    Restore
};

// Each glyph's box and where it lies in a 17 x 16 caption button: the same place as
// in the skin under the button, so a picture covers the skin's glyph exactly.
QRect glyphBox(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Minimize:
        return QRect(3, 10, 8, 2);
    case Glyph::Maximize:
    case Glyph::Restore:
        return QRect(1, 2, 11, 10);
    case Glyph::Close:
        break;
    }
    return QRect(2, 2, 11, 10);
}

void drawGlyph(QImage& image, Glyph glyph, QPoint at, const QColor& colour)
{
    const int x = at.x();
    const int y = at.y();
    switch (glyph) {
    case Glyph::Minimize:
        hLine(image, x, x + 7, y, colour);
        hLine(image, x, x + 7, y + 1, colour);
        break;
    case Glyph::Maximize:
        hLine(image, x, x + 10, y, colour);
        hLine(image, x, x + 10, y + 1, colour);
        hLine(image, x, x + 10, y + 9, colour);
        vLine(image, x, y, y + 9, colour);
        vLine(image, x + 10, y, y + 9, colour);
        break;
    case Glyph::Restore:
        // The window behind: its top and right edge.
        hLine(image, x + 3, x + 10, y, colour);
        hLine(image, x + 3, x + 10, y + 1, colour);
        vLine(image, x + 10, y, y + 6, colour);
        vLine(image, x + 3, y, y + 2, colour);
        hLine(image, x + 8, x + 10, y + 6, colour);
        // The window in front.
        hLine(image, x, x + 7, y + 3, colour);
        hLine(image, x, x + 7, y + 4, colour);
        hLine(image, x, x + 7, y + 9, colour);
        vLine(image, x, y + 3, y + 9, colour);
        vLine(image, x + 7, y + 3, y + 9, colour);
        break;
    case Glyph::Close:
        for (int r = 0; r < 10; ++r) {
            const int c = (r * 9 + 4) / 9;
            plot(image, x + c, y + r, colour);
            plot(image, x + c + 1, y + r, colour);
            plot(image, x + 9 - c, y + r, colour);
            plot(image, x + 10 - c, y + r, colour);
        }
        break;
    }
}

QImage drawReferenceWindow()
{
    QImage window(kRefWidth, kRefHeight, QImage::Format_RGB32);
    window.fill(kRed);
    const QRegion outline = lirondo::outlineShape(kRefWidth, kRefHeight);
    const QRegion ring1 = eroded(outline);
    const QRegion ring4 = eroded(eroded(eroded(ring1)));
    const QRegion inside = eroded(ring4);
    fillRegion(window, outline, kBorderDark);
    fillRegion(window, ring1, kBorder);
    fillRegion(window, ring4, kBorderLight);
    fillRegion(window, inside, kBackground);

    // The caption, inside the dark outer line.
    for (int y = 0; y < 28; ++y)
        fillRegion(window, ring1 & QRegion(0, y, kRefWidth, 1), captionRow(y));
    // The tab behind the window icon, rounded off to the right; it ends before column
    // 30, where the right-hand caption piece of the atlas begins.
    {
        QPainter painter(&window);
        painter.setClipRegion(ring1 & QRegion(0, 0, 30, 28));
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath tab;
        tab.addRoundedRect(QRectF(-12, -12, 41.5, 39), 9, 9);
        painter.fillPath(tab, kTab);
    }
    // A line under the caption.
    fillRegion(window, ring1 & QRegion(0, 27, kRefWidth, 1), kBorder.darker(115));

    // The caption-button glyphs, each under its button (buttons at W-71, W-50, W-30,
    // top 9).
    const int w = kRefWidth;
    drawGlyph(window, Glyph::Minimize, QPoint(w - 71, 9) + glyphBox(Glyph::Minimize).topLeft(),
              kGlyph);
    drawGlyph(window, Glyph::Maximize, QPoint(w - 50, 9) + glyphBox(Glyph::Maximize).topLeft(),
              kGlyph);
    drawGlyph(window, Glyph::Close, QPoint(w - 30, 9) + glyphBox(Glyph::Close).topLeft(), kGlyph);

    // The grip mark: a triangle of dots in the bottom-right corner.
    const int h = kRefHeight;
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; a + b < 3; ++b) {
            const int x = w - 10 - 4 * a;
            const int y = h - 10 - 4 * b;
            plot(window, x + 1, y + 1, kGripLight);
            plot(window, x, y, kGripGreen);
            plot(window, x + 1, y, kGripGreen);
            plot(window, x, y + 1, kGripGreen);
        }
    }
    return window;
}

QImage cutAtlas(const QImage& window)
{
    QImage atlas(kAtlasWidth, kAtlasHeight, QImage::Format_RGB888);
    for (int y = 0; y < kAtlasHeight; ++y) {
        const int wy = y < kSplitY ? y : y + kRefHeight - kAtlasHeight;
        for (int x = 0; x < kAtlasWidth; ++x) {
            const int wx = x < kSplitX ? x : x + kRefWidth - kAtlasWidth;
            atlas.setPixelColor(x, y, window.pixelColor(wx, wy));
        }
    }
    return atlas;
}

QImage buttonPicture(Glyph glyph, const std::function<void(QPainter&)>& back,
                     const QColor& glyphColour)
{
    QImage picture(17, 16, QImage::Format_RGB888);
    picture.fill(kCaption);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        back(painter);
    }
    drawGlyph(picture, glyph, glyphBox(glyph).topLeft(), glyphColour);
    return picture;
}

void hoverBack(QPainter& painter)
{
    QPainterPath square;
    square.addRoundedRect(QRectF(0.5, 0.5, 16, 15), 3, 3);
    painter.fillPath(square, kHoverFill);
    painter.setPen(QPen(kHoverFrame, 1));
    painter.drawPath(square);
}

void pressedBack(QPainter& painter)
{
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, 17, 16), 3.5, 3.5);
    painter.fillPath(square, kPressedFill);
}

// The program's emblem: a page with lines of text and the waves of a voice.
void drawEmblem(QPainter& painter, const QRectF& box)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = box.width();
    const auto at = [&](double fx, double fy) {
        return QPointF(box.x() + fx * s, box.y() + fy * s);
    };
    QLinearGradient green(at(0, 0), at(0, 1));
    green.setColorAt(0, QColor(86, 190, 110));
    green.setColorAt(1, QColor(28, 122, 64));
    QPainterPath back;
    back.addRoundedRect(box, s * 0.2, s * 0.2);
    painter.fillPath(back, green);

    QPainterPath page;
    page.addRoundedRect(QRectF(at(0.14, 0.18), at(0.56, 0.84)), s * 0.04, s * 0.04);
    painter.fillPath(page, QColor(255, 255, 250));
    painter.setPen(QPen(QColor(31, 96, 169), std::max(1.0, s * 0.05), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const double y = 0.32 + 0.13 * i;
        painter.drawLine(at(0.22, y), at(i == 3 ? 0.38 : 0.48, y));
    }
    painter.setPen(
        QPen(QColor(255, 255, 255), std::max(1.0, s * 0.06), Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double r = 0.1 + 0.1 * i;
        const QRectF arc(at(0.6 - r, 0.5 - r), at(0.6 + r, 0.5 + r));
        painter.drawArc(arc, -45 * 16, 90 * 16);
    }
}

// The speaker icon under which the volume pop-up opens: a cone and two sound waves on
// the window's background, at the icon's design size.
QImage speaker(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double midY = height / 2.0;
    QPainterPath cone;
    cone.moveTo(1, midY - 2.5);
    cone.lineTo(4, midY - 2.5);
    cone.lineTo(8.5, midY - 6.5);
    cone.lineTo(8.5, midY + 6.5);
    cone.lineTo(4, midY + 2.5);
    cone.lineTo(1, midY + 2.5);
    cone.closeSubpath();
    painter.fillPath(cone, kGlyph);
    painter.setPen(QPen(kTitleBlue, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (const double r : {3.5, 6.5}) {
        const QRectF arc(8.5 - r + 1.5, midY - r, 2 * r, 2 * r);
        painter.drawArc(arc, -50 * 16, 100 * 16);
    }
    return image;
}

QImage emblem(int size, const QRectF& box)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawEmblem(painter, box);
    return image;
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "make_skin: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_skin SKIN_DIR ICON_PNG\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QString iconPath = QString::fromLocal8Bit(argv[2]);
    if (!dir.exists()) {
        std::fprintf(stderr, "make_skin: no folder %s\n", argv[1]);
        return 2;
    }
    const auto in = [&](const char* name) {
        return dir.filePath(QLatin1String(name) + QStringLiteral(".png"));
    };
    const auto noBack = [](QPainter&) {};
    const QColor white(255, 255, 255);

    bool ok = save(cutAtlas(drawReferenceWindow()), in("Pmain"));
    ok = save(buttonPicture(Glyph::Minimize, hoverBack, kGlyph), in("ImMin1")) && ok;
    ok = save(buttonPicture(Glyph::Minimize, pressedBack, white), in("ImMin2")) && ok;
    ok = save(buttonPicture(Glyph::Maximize, hoverBack, kGlyph), in("Immax1")) && ok;
    ok = save(buttonPicture(Glyph::Maximize, pressedBack, white), in("Immax2")) && ok;
    ok = save(buttonPicture(Glyph::Close, hoverBack, kGlyph), in("ImClose1")) && ok;
    ok = save(buttonPicture(Glyph::Close, pressedBack, white), in("ImClose2")) && ok;
    ok = save(buttonPicture(Glyph::Restore, noBack, kGlyph), in("IMus0")) && ok;
    ok = save(buttonPicture(Glyph::Restore, hoverBack, kGlyph), in("IMus1")) && ok;
    ok = save(buttonPicture(Glyph::Restore, pressedBack, white), in("IMus2")) && ok;
    // 264 x 228 twips.
    ok = save(speaker(18, 15), in("Imavoice")) && ok;
    // The window icon is painted at its own size at the caption's left; its art fits
    // the tab, the rest stays clear.
    ok = save(emblem(32, QRectF(0, 1, 14, 14)), in("Imico")) && ok;
    ok = save(emblem(64, QRectF(1, 1, 62, 62)), iconPath) && ok;
    return ok ? 0 : 1;
}

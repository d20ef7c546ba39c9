// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the pictures of the shipped skins into <output>/<skin name>/.
// Usage: skingen OUTPUT_FOLDER
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

struct ButtonLook
{
    QColor top, bottom, border;
};

struct Theme
{
    QString name;
    int titleHeight;
    QColor titleTop, titleBottom, titleHighlight, titleAccent;
    QColor bodyTop, bodyBottom, border;
    QColor behindButtons; // what lies around a button's rounded corners
    double buttonRadius;
    ButtonLook buttons[4]; // normal, pressed, active, disabled
    std::function<void(QPainter&, int, int)> drawLogo;
    int logoWidth, logoHeight;
    // Corner cut: true when pixel (x, y) of the top-left corner is cut away.
    std::function<bool(int, int)> cutTopLeft;
    std::function<bool(int, int)> cutBottomLeft;
    int cornerSize;
    double frameRadius; // the border drawn in the background follows the cut
};

bool save(const QImage& image, const QString& path)
{
    // RGB32 is written as a 24-bit bitmap, which the region reader expects.
    if (!image.convertToFormat(QImage::Format_RGB32).save(path, "BMP")) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage buttonStrip(const Theme& t, int frameWidth, int frameHeight)
{
    QImage strip(frameWidth * 4, frameHeight, QImage::Format_RGB32);
    strip.fill(t.behindButtons);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 4; ++i) {
        const ButtonLook& look = t.buttons[i];
        const QRectF r(i * frameWidth + 0.5, 0.5, frameWidth - 1.0, frameHeight - 1.0);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, look.top);
        g.setColorAt(1, look.bottom);
        p.setPen(QPen(look.border, 1));
        p.setBrush(g);
        p.drawRoundedRect(r, t.buttonRadius, t.buttonRadius);
        // A soft gloss on the upper half, except when pressed or disabled.
        if (i == 0 || i == 2) {
            QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
            gloss.setColorAt(0, QColor(255, 255, 255, 90));
            gloss.setColorAt(1, QColor(255, 255, 255, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(gloss);
            p.drawRoundedRect(r.adjusted(1, 1, -1, -r.height() / 2), t.buttonRadius - 1, t.buttonRadius - 1);
        }
    }
    return strip;
}

QImage background(const Theme& t)
{
    const int w = 240;
    const int h = 240;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(t.border);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(0, 0, w, h), t.frameRadius, t.frameRadius);
    p.setClipPath(frame);

    QLinearGradient title(0, 0, 0, t.titleHeight);
    title.setColorAt(0, t.titleTop);
    title.setColorAt(1, t.titleBottom);
    p.fillRect(QRect(0, 0, w, t.titleHeight), title);
    p.setPen(t.titleHighlight);
    p.drawLine(QPointF(0, 0.5), QPointF(w, 0.5));
    p.setPen(QPen(t.titleAccent, 2));
    p.drawLine(QPointF(0, t.titleHeight - 1), QPointF(w, t.titleHeight - 1));

    QLinearGradient body(0, t.titleHeight, 0, h);
    body.setColorAt(0, t.bodyTop);
    body.setColorAt(1, t.bodyBottom);
    p.fillRect(QRect(0, t.titleHeight, w, h - t.titleHeight), body);

    p.setClipping(false);
    p.setPen(QPen(t.border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), t.frameRadius, t.frameRadius);
    return img;
}

QImage corner(const Theme& t, bool right, bool bottom)
{
    const int n = t.cornerSize;
    QImage img(n, n, QImage::Format_RGB32);
    img.fill(Qt::black); // black keeps the window
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            // Coordinates as seen from the window's corner itself.
            const int cx = right ? n - 1 - x : x;
            const int cy = bottom ? n - 1 - y : y;
            const bool cut = bottom ? t.cutBottomLeft(cx, cy) : t.cutTopLeft(cx, cy);
            if (cut)
                img.setPixel(x, y, qRgb(255, 255, 255));
        }
    }
    return img;
}

std::function<bool(int, int)> roundCut(double radius)
{
    return [radius](int x, int y) {
        const double dx = radius - (x + 0.5);
        const double dy = radius - (y + 0.5);
        return x < radius && y < radius && dx * dx + dy * dy > radius * radius;
    };
}

std::function<bool(int, int)> diagonalCut(int size)
{
    return [size](int x, int y) { return x + y < size; };
}

void drawReel(QPainter& p, QPointF c, double r, const QColor& ring, const QColor& hub)
{
    p.setPen(Qt::NoPen);
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, ring.lighter(125));
    g.setColorAt(1, ring.darker(115));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setBrush(hub);
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5 - M_PI / 2;
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * r * 0.55, r * 0.2, r * 0.2);
    }
    p.drawEllipse(c, r * 0.12, r * 0.12);
}

void drawFilmStrip(QPainter& p, QRectF band, const QColor& film, const QColor& holes, const QColor& frameTop,
                   const QColor& frameBottom)
{
    p.setPen(Qt::NoPen);
    p.setBrush(film);
    p.drawRoundedRect(band, 2, 2);
    const double hole = band.height() / 7;
    p.setBrush(holes);
    for (double x = band.left() + 4; x + hole < band.right(); x += hole * 2.2) {
        p.drawRoundedRect(QRectF(x, band.top() + hole * 0.5, hole * 1.2, hole), 1, 1);
        p.drawRoundedRect(QRectF(x, band.bottom() - hole * 1.5, hole * 1.2, hole), 1, 1);
    }
    // Picture frames between the perforations.
    const double top = band.top() + hole * 2.1;
    const double height = band.height() - hole * 4.2;
    const double width = height * 1.45;
    for (double x = band.left() + 6; x + width < band.right() - 2; x += width + 5) {
        QLinearGradient g(x, top, x, top + height);
        g.setColorAt(0, frameTop);
        g.setColorAt(1, frameBottom);
        p.setBrush(g);
        p.drawRect(QRectF(x, top, width, height));
    }
}

void defaultLogo(QPainter& p, int w, int h)
{
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(0x3E, 0x74, 0xB8));
    sky.setColorAt(1, QColor(0x25, 0x4E, 0x8A));
    p.fillRect(0, 0, w, h, sky);
    p.setRenderHint(QPainter::Antialiasing);
    // Light streaks only left of the split and right of 480, so the split column is plain.
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 22 + i * 6), 10 - i));
        p.drawLine(QPointF(120 + i * 30, h + 4), QPointF(190 + i * 30, -4));
        p.drawLine(QPointF(500 + i * 26, h + 4), QPointF(560 + i * 26, -4));
    }
    drawFilmStrip(p, QRectF(58, h * 0.22, 226, h * 0.56), QColor(0x1B, 0x2C, 0x44), QColor(0xDD, 0xE8, 0xF6),
                  QColor(0x9C, 0xC4, 0xF0), QColor(0x4E, 0x86, 0xC8));
    drawReel(p, QPointF(38, h / 2.0), h * 0.38, QColor(0xE9, 0xEF, 0xF7), QColor(0x2B, 0x55, 0x92));
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawLine(QPointF(0, h - 0.5), QPointF(w, h - 0.5));
}

void emberLogo(QPainter& p, int w, int h)
{
    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, QColor(0x2C, 0x2D, 0x31));
    bg.setColorAt(1, QColor(0x1C, 0x1D, 0x20));
    p.fillRect(0, 0, w, h, bg);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 6; ++i) {
        QColor c(0xE8, 0x78, 0x2A);
        c.setAlpha(200 - i * 30);
        p.setPen(QPen(c, 6));
        p.drawLine(QPointF(150 + i * 16, h + 4), QPointF(190 + i * 16, -4));
    }
    QColor glow(0xE8, 0x78, 0x2A);
    for (int i = 0; i < 4; ++i) {
        glow.setAlpha(150 - i * 35);
        p.setPen(QPen(glow, 4));
        p.drawLine(QPointF(560 + i * 14, h + 4), QPointF(590 + i * 14, -4));
    }
    drawFilmStrip(p, QRectF(64, h * 0.26, 80, h * 0.48), QColor(0x0E, 0x0E, 0x10), QColor(0x6A, 0x6B, 0x70),
                  QColor(0xF0, 0x9A, 0x50), QColor(0xA8, 0x48, 0x10));
    drawReel(p, QPointF(44, h / 2.0), h * 0.36, QColor(0xE8, 0x78, 0x2A), QColor(0x1C, 0x1D, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE8, 0x78, 0x2A));
    p.drawRect(QRectF(0, h - 2, w, 2));
}

bool writeSkin(const Theme& t, const QString& root)
{
    const QString dir = root + u'/' + t.name;
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(dir));
        return false;
    }
    bool ok = save(buttonStrip(t, 72, 24), dir + QStringLiteral("/Btn.bmp"));
    ok = save(buttonStrip(t, 100, 24), dir + QStringLiteral("/WideBtn.bmp")) && ok;
    QImage logo(t.logoWidth, t.logoHeight, QImage::Format_RGB32);
    {
        QPainter p(&logo);
        t.drawLogo(p, t.logoWidth, t.logoHeight);
    }
    ok = save(logo, dir + QStringLiteral("/logo.bmp")) && ok;
    ok = save(background(t), dir + QStringLiteral("/background.bmp")) && ok;
    ok = save(corner(t, false, false), dir + QStringLiteral("/regionLT.bmp")) && ok;
    ok = save(corner(t, true, false), dir + QStringLiteral("/regionRT.bmp")) && ok;
    ok = save(corner(t, false, true), dir + QStringLiteral("/regionLB.bmp")) && ok;
    ok = save(corner(t, true, true), dir + QStringLiteral("/regionRB.bmp")) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTPUT_FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);

    Theme light;
    light.name = QStringLiteral("Default");
    light.titleHeight = 30;
    light.titleTop = QColor(0x3A, 0x6E, 0xB0);
    light.titleBottom = QColor(0x22, 0x4A, 0x82);
    light.titleHighlight = QColor(0x7F, 0xA8, 0xDD);
    light.titleAccent = QColor(0x1A, 0x3A, 0x68);
    light.bodyTop = QColor(0xF4, 0xF7, 0xFB);
    light.bodyBottom = QColor(0xDB, 0xE3, 0xEE);
    light.border = QColor(0x1A, 0x3A, 0x68);
    light.behindButtons = QColor(0xE8, 0xEE, 0xF5);
    light.buttonRadius = 4;
    light.buttons[0] = {QColor(0xFD, 0xFE, 0xFF), QColor(0xD9, 0xE3, 0xF0), QColor(0x7D, 0x93, 0xB2)};
    light.buttons[1] = {QColor(0xB3, 0xC8, 0xE4), QColor(0xD3, 0xE0, 0xF1), QColor(0x3E, 0x62, 0x96)};
    light.buttons[2] = {QColor(0xFF, 0xFF, 0xFF), QColor(0xC9, 0xDD, 0xF6), QColor(0x35, 0x6C, 0xB5)};
    light.buttons[3] = {QColor(0xEE, 0xF0, 0xF3), QColor(0xE4, 0xE7, 0xEB), QColor(0xB8, 0xC0, 0xCA)};
    light.drawLogo = defaultLogo;
    light.logoWidth = 640;
    light.logoHeight = 64;
    light.cornerSize = 9;
    light.cutTopLeft = roundCut(9);
    light.cutBottomLeft = roundCut(5);
    light.frameRadius = 0;

    Theme ember;
    ember.name = QStringLiteral("Ember");
    ember.titleHeight = 32;
    ember.titleTop = QColor(0x3C, 0x3D, 0x42);
    ember.titleBottom = QColor(0x23, 0x24, 0x27);
    ember.titleHighlight = QColor(0x58, 0x59, 0x5E);
    ember.titleAccent = QColor(0xE8, 0x78, 0x2A);
    ember.bodyTop = QColor(0x33, 0x34, 0x38);
    ember.bodyBottom = QColor(0x24, 0x25, 0x28);
    ember.border = QColor(0x0E, 0x0E, 0x10);
    ember.behindButtons = QColor(0x2C, 0x2D, 0x31);
    ember.buttonRadius = 2;
    ember.buttons[0] = {QColor(0x4C, 0x4D, 0x53), QColor(0x36, 0x37, 0x3B), QColor(0x62, 0x63, 0x69)};
    ember.buttons[1] = {QColor(0xC8, 0x5F, 0x18), QColor(0xE8, 0x78, 0x2A), QColor(0xF0, 0x92, 0x4C)};
    ember.buttons[2] = {QColor(0x5A, 0x5B, 0x62), QColor(0x40, 0x41, 0x46), QColor(0xE8, 0x78, 0x2A)};
    ember.buttons[3] = {QColor(0x36, 0x37, 0x3A), QColor(0x30, 0x31, 0x34), QColor(0x44, 0x45, 0x49)};
    ember.drawLogo = emberLogo;
    ember.logoWidth = 640;
    ember.logoHeight = 60;
    ember.cornerSize = 12;
    ember.cutTopLeft = diagonalCut(12);
    ember.cutBottomLeft = diagonalCut(7);
    ember.frameRadius = 0;

    const bool ok = writeSkin(light, root) && writeSkin(ember, root);
    return ok ? 0 : 1;
}

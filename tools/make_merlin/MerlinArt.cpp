#include "MerlinArt.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace lirondo::merlin {

namespace {

// The key colour marks transparent pixels; nothing in the drawing uses it.
constexpr QRgb keyColour = qRgb(255, 0, 255);

constexpr QRgb robe = qRgb(43, 63, 158);
constexpr QRgb robeDark = qRgb(28, 40, 110);
constexpr QRgb hat = qRgb(58, 45, 140);
constexpr QRgb hatDark = qRgb(38, 28, 98);
constexpr QRgb star = qRgb(255, 216, 59);
constexpr QRgb skin = qRgb(242, 201, 160);
constexpr QRgb skinDark = qRgb(214, 160, 120);
constexpr QRgb beard = qRgb(244, 244, 244);
constexpr QRgb beardShade = qRgb(200, 204, 212);
constexpr QRgb eye = qRgb(30, 24, 30);
constexpr QRgb mouthDark = qRgb(120, 30, 40);
constexpr QRgb staff = qRgb(139, 90, 43);
constexpr QRgb staffDark = qRgb(96, 60, 28);
constexpr QRgb orb = qRgb(127, 227, 255);
constexpr QRgb orbBright = qRgb(220, 250, 255);
constexpr QRgb parchment = qRgb(240, 226, 180);
constexpr QRgb ink = qRgb(50, 40, 60);
constexpr QRgb quill = qRgb(250, 250, 250);
constexpr QRgb sparkle = qRgb(255, 246, 170);

struct Pose
{
    double armAngle = 112;  // gesturing arm, degrees from the x axis (y down)
    double armReach = -0.6; // how far the forearm is bent out
    int lookX = 0;
    int mouth = 0; // 0 closed, 1 half open, 2 open
    bool eyesClosed = false;
    bool smile = false;
    double scale = 1.0;
    double bob = 0;
    double hatTilt = 0;
    int bulb = 0;     // 0 none, 1 small, 2 glowing
    int orbGlow = 0;  // 0 normal, 1 bright, 2 sparkling
    int scroll = -1;  // -1 none, 0 just opened, 1..3 quill positions
    int sparkles = 0; // appearing/disappearing sparkles
    bool empty = false;
};

QPointF polar(QPointF from, double degrees, double length)
{
    const double r = degrees * std::numbers::pi / 180.0;
    return from + QPointF(std::cos(r) * length, std::sin(r) * length);
}

void drawStar(QPainter& p, QPointF c, double outer, const QColor& colour)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : outer * 0.45;
        const QPointF pt = polar(c, -90 + i * 36, radius);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

void drawStaff(QPainter& p, const Pose& pose)
{
    p.setPen(QPen(QColor(staffDark), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(98, 44), QPointF(98, 124));
    p.setPen(QPen(QColor(staff), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(98, 44), QPointF(98, 123));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(pose.orbGlow > 0 ? orbBright : orb));
    p.drawEllipse(QPointF(98, 38), pose.orbGlow > 0 ? 7 : 6, pose.orbGlow > 0 ? 7 : 6);
    if (pose.orbGlow == 2) {
        drawStar(p, QPointF(90, 30), 4, sparkle);
        drawStar(p, QPointF(107, 33), 3, sparkle);
        drawStar(p, QPointF(100, 26), 3, star);
    }
}

void drawRobe(QPainter& p)
{
    QPainterPath body;
    body.moveTo(50, 60);
    body.lineTo(78, 60);
    body.quadTo(92, 90, 100, 124);
    body.lineTo(28, 124);
    body.quadTo(36, 90, 50, 60);
    p.setPen(QPen(QColor(robeDark), 2));
    p.setBrush(QColor(robe));
    p.drawPath(body);
    // Trim along the hem and a few stars on the cloth.
    p.setPen(QPen(QColor(star), 3));
    p.drawLine(QPointF(30, 121), QPointF(98, 121));
    drawStar(p, QPointF(44, 104), 4, star);
    drawStar(p, QPointF(82, 98), 3.5, star);
    drawStar(p, QPointF(62, 112), 3, star);
}

void drawStaffArm(QPainter& p)
{
    p.setPen(QPen(QColor(robeDark), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(76, 66), QPointF(94, 80));
    p.setPen(QPen(QColor(robe), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(76, 66), QPointF(94, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(skin));
    p.drawEllipse(QPointF(98, 80), 5, 5);
}

void drawGestureArm(QPainter& p, const Pose& pose)
{
    const QPointF shoulder(52, 66);
    const QPointF elbow = polar(shoulder, pose.armAngle, 14);
    const QPointF hand = polar(elbow, pose.armAngle - 25 * pose.armReach, 12);
    for (const auto& [colour, width] : {std::pair{robeDark, 10.0}, std::pair{robe, 8.0}}) {
        p.setPen(QPen(QColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QList<QPointF>{shoulder, elbow, hand});
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(skin));
    p.drawEllipse(hand, 4.5, 4.5);
    if (pose.bulb > 0) {
        const QPointF above = hand + QPointF(0, -12);
        if (pose.bulb == 2) {
            p.setBrush(QColor(255, 240, 150));
            p.drawEllipse(above, 8, 8);
        }
        drawStar(p, above, pose.bulb == 2 ? 7 : 4, star);
    }
}

void drawHead(QPainter& p, const Pose& pose)
{
    // Face
    p.setPen(QPen(QColor(skinDark), 1.5));
    p.setBrush(QColor(skin));
    p.drawEllipse(QPointF(64, 48), 11, 12);

    // Beard, with the mouth inside it
    QPainterPath beardPath;
    beardPath.moveTo(52, 50);
    beardPath.quadTo(54, 70, 64, 90);
    beardPath.quadTo(74, 70, 76, 50);
    beardPath.quadTo(64, 60, 52, 50);
    p.setPen(QPen(QColor(beardShade), 1.5));
    p.setBrush(QColor(beard));
    p.drawPath(beardPath);
    p.setPen(QPen(QColor(beardShade), 1.2));
    p.drawLine(QPointF(60, 66), QPointF(62, 80));
    p.drawLine(QPointF(68, 66), QPointF(66, 80));

    // Moustache over the mouth
    p.setPen(Qt::NoPen);
    if (pose.mouth == 0) {
        p.setPen(QPen(QColor(mouthDark), 1.5, Qt::SolidLine, Qt::RoundCap));
        if (pose.smile) {
            QPainterPath smilePath;
            smilePath.moveTo(59, 58);
            smilePath.quadTo(64, 63, 69, 58);
            p.setBrush(Qt::NoBrush);
            p.drawPath(smilePath);
        } else {
            p.drawLine(QPointF(60, 59), QPointF(68, 59));
        }
    } else {
        p.setBrush(QColor(mouthDark));
        p.drawEllipse(QPointF(64, 60), 4, pose.mouth == 1 ? 2 : 3.5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(beard));
    p.drawEllipse(QPointF(60, 55), 4.5, 2.2);
    p.drawEllipse(QPointF(68, 55), 4.5, 2.2);

    // Nose, eyes, brows
    p.setBrush(QColor(skinDark));
    p.drawEllipse(QPointF(64 + pose.lookX / 2.0, 51), 2.2, 2.6);
    if (pose.eyesClosed || pose.smile) {
        p.setPen(QPen(QColor(eye), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        for (double x : {59.5, 68.5}) {
            QPainterPath lid;
            lid.moveTo(x - 2.5, 47);
            lid.quadTo(x, pose.smile ? 44.5 : 49, x + 2.5, 47);
            p.drawPath(lid);
        }
    } else {
        p.setBrush(QColor(eye));
        p.drawEllipse(QPointF(59.5 + pose.lookX, 47), 1.8, 2.1);
        p.drawEllipse(QPointF(68.5 + pose.lookX, 47), 1.8, 2.1);
    }
    p.setPen(QPen(QColor(beard), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(56, 43), QPointF(62, 42.5));
    p.drawLine(QPointF(66, 42.5), QPointF(72, 43));
}

void drawHat(QPainter& p, const Pose& pose)
{
    p.save();
    p.translate(64, 40);
    p.rotate(pose.hatTilt);
    QPainterPath cone;
    cone.moveTo(-16, 0);
    cone.quadTo(-4, -18, 8, -36);
    cone.quadTo(6, -18, 16, 0);
    cone.closeSubpath();
    p.setPen(QPen(QColor(hatDark), 1.5));
    p.setBrush(QColor(hat));
    p.drawPath(cone);
    p.setBrush(QColor(hatDark));
    p.drawEllipse(QPointF(0, 0), 22, 4.5);
    p.setPen(QPen(QColor(star), 2));
    p.drawLine(QPointF(-15, -3), QPointF(15, -3));
    drawStar(p, QPointF(-2, -14), 4, star);
    drawStar(p, QPointF(5, -26), 2.6, star);
    drawStar(p, QPointF(-8, -6), 2.2, star);
    p.restore();
}

void drawScroll(QPainter& p, const Pose& pose)
{
    p.setPen(QPen(QColor(staffDark), 1));
    p.setBrush(QColor(parchment));
    p.drawRect(QRectF(34, 74, 26, 20));
    p.setBrush(QColor(222, 204, 150));
    p.drawEllipse(QRectF(32, 72, 5, 24));
    p.drawEllipse(QRectF(57, 72, 5, 24));
    p.setPen(QPen(QColor(ink), 1));
    const int lines = std::max(0, pose.scroll);
    for (int i = 0; i < lines; ++i)
        p.drawLine(QPointF(39, 79 + i * 4), QPointF(44 + i * 3 + 4, 79 + i * 4));
    if (pose.scroll >= 1) {
        const QPointF tip(44 + pose.scroll * 3 + 4, 79 + (pose.scroll - 1) * 4);
        p.setPen(QPen(QColor(quill), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(tip, tip + QPointF(8, -14));
        p.setPen(QPen(QColor(ink), 1));
        p.drawLine(tip, tip + QPointF(3, -5));
    }
}

void drawSparkles(QPainter& p, int count)
{
    static constexpr QPointF spots[] = {{30, 40}, {98, 30}, {40, 100}, {92, 96},
                                        {64, 16}, {20, 76}, {108, 66}, {64, 118}};
    for (int i = 0; i < count && i < 8; ++i)
        drawStar(p, spots[i], 3 + (i % 3), QColor(i % 2 ? sparkle : star));
}

QImage render(const Pose& pose)
{
    QImage image(frameSide, frameSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (pose.empty)
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSparkles(p, pose.sparkles);
    p.translate(64, 124 + pose.bob);
    p.scale(pose.scale, pose.scale);
    p.translate(-64, -124);
    drawStaff(p, pose);
    drawRobe(p);
    drawStaffArm(p);
    drawHead(p, pose);
    drawHat(p, pose);
    if (pose.scroll >= 0)
        drawScroll(p, pose);
    drawGestureArm(p, pose);
    return image;
}

class Palette
{
public:
    Palette()
    {
        m_colours.append(keyColour);
        for (QRgb c : {robe, robeDark, hat, hatDark, star, skin, skinDark, beard, beardShade, eye,
                       mouthDark, staff, staffDark, orb, orbBright, parchment, ink, quill, sparkle})
            m_colours.append(c);
        for (int g = 1; g < 16; ++g)
            m_colours.append(qRgb(g * 16, g * 16, g * 16));
        for (int r = 0; r < 6 && m_colours.size() < 256; ++r) {
            for (int g = 0; g < 6 && m_colours.size() < 256; ++g) {
                for (int b = 0; b < 6 && m_colours.size() < 256; ++b) {
                    const QRgb c = qRgb(r * 51, g * 51, b * 51);
                    if (c != keyColour)
                        m_colours.append(c);
                }
            }
        }
        while (m_colours.size() < 256)
            m_colours.append(qRgb(0, 0, 0));
    }

    const QList<QRgb>& colours() const { return m_colours; }

    quint8 index(QRgb argb)
    {
        if (qAlpha(argb) < 128)
            return transparentIndex;
        const QRgb c = argb | 0xFF000000u;
        const auto found = m_cache.constFind(c);
        if (found != m_cache.constEnd())
            return *found;
        int best = 1;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 1; i < m_colours.size(); ++i) {
            const int dr = qRed(c) - qRed(m_colours[i]);
            const int dg = qGreen(c) - qGreen(m_colours[i]);
            const int db = qBlue(c) - qBlue(m_colours[i]);
            const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        m_cache.insert(c, quint8(best));
        return quint8(best);
    }

private:
    QList<QRgb> m_colours;
    QHash<QRgb, quint8> m_cache;
};

// Mouth overlays for speaking: a patch around the mouth laid over the body.
const QRect mouthPatch(54, 52, 20, 14);

class Builder
{
public:
    Builder()
    {
        m_ch.name = QStringLiteral("merlin");
        m_ch.description = QStringLiteral("Lirondo's wizard");
        m_ch.frameWidth = frameSide;
        m_ch.frameHeight = frameSide;
        m_ch.transparentIndex = transparentIndex;
        m_ch.palette = m_palette.colours();
    }

    acs::Image quantize(const QImage& image, QRect area)
    {
        acs::Image out;
        out.width = area.width();
        out.height = area.height();
        out.pixels.resize(qsizetype(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(area.y() + y));
            for (int x = 0; x < out.width; ++x)
                out.pixels[qsizetype(y) * out.width + x] =
                    char(m_palette.index(line[area.x() + x]));
        }
        return out;
    }

    int addImage(acs::Image image)
    {
        const QByteArray key = QByteArray::number(image.width) + 'x' +
                               QByteArray::number(image.height) + ':' + image.pixels;
        const auto found = m_imageIndex.constFind(key);
        if (found != m_imageIndex.constEnd())
            return *found;
        const int index = int(m_ch.images.size());
        m_ch.images.append(std::move(image));
        m_imageIndex.insert(key, index);
        return index;
    }

    acs::Frame frame(const Pose& pose, int durationMs)
    {
        acs::Frame f;
        f.durationMs = durationMs;
        if (!pose.empty) {
            const QRect all(0, 0, frameSide, frameSide);
            f.images.append({addImage(quantize(render(pose), all)), 0, 0});
        }
        return f;
    }

    // The body with the mouth closed, and the open mouth drawn on top of it.
    acs::Frame speakingFrame(int mouth, int durationMs)
    {
        acs::Frame f;
        f.durationMs = durationMs;
        Pose pose;
        if (mouth > 0) {
            pose.mouth = mouth;
            f.images.append(
                {addImage(quantize(render(pose), mouthPatch)), mouthPatch.x(), mouthPatch.y()});
        }
        f.images.append(
            {addImage(quantize(render(Pose{}), QRect(0, 0, frameSide, frameSide))), 0, 0});
        return f;
    }

    void add(const QString& name, QList<acs::Frame> frames, const QString& returnAnimation = {})
    {
        acs::Animation a;
        a.name = name;
        a.returnAnimation = returnAnimation;
        a.transitionType = returnAnimation.isEmpty() ? 2 : 0;
        a.frames = std::move(frames);
        m_ch.animations.append(std::move(a));
    }

    acs::Character take() { return std::move(m_ch); }
    acs::Character& character() { return m_ch; }

private:
    Palette m_palette;
    acs::Character m_ch;
    QHash<QByteArray, int> m_imageIndex;
};

Pose arm(double angle, double reach = 1.0)
{
    Pose p;
    p.armAngle = angle;
    p.armReach = reach;
    return p;
}

} // namespace

acs::Character makeMerlin()
{
    Builder b;
    const Pose rest;

    b.add(QStringLiteral("RestPose"), {b.frame(rest, 200)});

    QList<acs::Frame> show;
    const double grow[] = {0.2, 0.45, 0.7, 0.9};
    for (int i = 0; i < 4; ++i) {
        Pose p;
        p.scale = grow[i];
        p.sparkles = 8 - 2 * i;
        show.append(b.frame(p, 80));
    }
    show.append(b.frame(rest, 100));
    b.add(QStringLiteral("Show"), show);

    QList<acs::Frame> hide;
    for (int i = 3; i >= 0; --i) {
        Pose p;
        p.scale = grow[i];
        p.sparkles = 8 - 2 * i;
        hide.append(b.frame(p, 80));
    }
    Pose gone;
    gone.empty = true;
    hide.append(b.frame(gone, 100));
    b.add(QStringLiteral("Hide"), hide);

    Pose greetUp = arm(250, 0.3);
    greetUp.hatTilt = -8;
    Pose greetBow = greetUp;
    greetBow.bob = 2;
    greetBow.smile = true;
    b.add(QStringLiteral("Greet"),
          {b.frame(arm(225), 100), b.frame(greetUp, 150), b.frame(greetBow, 400)},
          QStringLiteral("GreetReturn"));
    b.add(QStringLiteral("GreetReturn"), {b.frame(arm(225), 100), b.frame(rest, 100)});

    Pose look1;
    look1.lookX = -2;
    Pose look2;
    look2.lookX = -3;
    look2.hatTilt = -3;
    b.add(QStringLiteral("LookLeft"), {b.frame(look1, 80), b.frame(look2, 700)},
          QStringLiteral("LookLeftReturn"));
    b.add(QStringLiteral("LookLeftReturn"), {b.frame(look1, 80), b.frame(rest, 100)});

    Pose idea1 = arm(260, 0.2);
    idea1.bulb = 1;
    Pose idea2 = idea1;
    idea2.bulb = 2;
    idea2.smile = true;
    b.add(QStringLiteral("Suggest"),
          {b.frame(arm(230, 0.6), 100), b.frame(idea1, 120), b.frame(idea2, 600)},
          QStringLiteral("SuggestReturn"));
    b.add(QStringLiteral("SuggestReturn"), {b.frame(arm(230, 0.6), 100), b.frame(rest, 100)});

    QList<acs::Frame> pleased;
    for (double bob : {-2.0, -4.0, -2.0, 0.0}) {
        Pose p;
        p.smile = true;
        p.bob = bob;
        pleased.append(b.frame(p, bob == 0.0 ? 300 : 100));
    }
    pleased.append(b.frame(rest, 100));
    b.add(QStringLiteral("Pleased"), pleased);

    // Waving: the hand swings between two positions, repeating at random.
    QList<acs::Frame> wave = {b.frame(arm(250, 0.4), 100), b.frame(arm(265, 0.1), 120),
                              b.frame(arm(240, 0.7), 120), b.frame(arm(265, 0.1), 120),
                              b.frame(arm(240, 0.7), 120)};
    wave[3].branches.append({2, 50});
    for (int i = 1; i < 4; ++i)
        wave[i].exitFrame = 4;
    b.add(QStringLiteral("Wave"), wave, QStringLiteral("WaveReturn"));
    b.add(QStringLiteral("WaveReturn"), {b.frame(arm(225), 100), b.frame(rest, 100)});

    QList<acs::Frame> write;
    for (int step = 0; step <= 3; ++step) {
        Pose p = arm(330, 0.2);
        p.scroll = step;
        write.append(b.frame(p, step == 3 ? 300 : 150));
    }
    write[2].branches.append({1, 40});
    b.add(QStringLiteral("Write"), write, QStringLiteral("WriteReturn"));
    Pose putAway = arm(300, 0.5);
    putAway.scroll = 0;
    b.add(QStringLiteral("WriteReturn"), {b.frame(putAway, 100), b.frame(rest, 100)});

    QList<acs::Frame> speak;
    const int mouths[] = {1, 2, 1, 0, 2, 1, 0};
    const int times[] = {100, 120, 100, 80, 120, 100, 100};
    for (int i = 0; i < 7; ++i)
        speak.append(b.speakingFrame(mouths[i], times[i]));
    for (int i = 0; i < 6; ++i)
        speak[i].exitFrame = 6;
    b.add(QStringLiteral("Speak"), speak);

    Pose blink;
    blink.eyesClosed = true;
    b.add(QStringLiteral("IdleBlink"),
          {b.frame(rest, 800), b.frame(blink, 120), b.frame(rest, 400)});

    QList<acs::Frame> glow;
    for (int g : {1, 2, 1, 2, 1}) {
        Pose p;
        p.orbGlow = g;
        glow.append(b.frame(p, 200));
    }
    glow.append(b.frame(rest, 300));
    b.add(QStringLiteral("IdleStaffGlow"), glow);

    acs::Character& ch = b.character();
    ch.states.insert(QStringLiteral("SHOWING"), {QStringLiteral("Show")});
    ch.states.insert(QStringLiteral("HIDING"), {QStringLiteral("Hide")});
    ch.states.insert(QStringLiteral("SPEAKING"), {QStringLiteral("Speak")});
    ch.states.insert(QStringLiteral("IDLINGLEVEL1"),
                     {QStringLiteral("IdleBlink"), QStringLiteral("IdleStaffGlow")});
    ch.states.insert(QStringLiteral("IDLINGLEVEL2"),
                     {QStringLiteral("IdleStaffGlow"), QStringLiteral("IdleBlink")});
    ch.states.insert(QStringLiteral("IDLINGLEVEL3"), {QStringLiteral("IdleBlink")});
    ch.states.insert(QStringLiteral("GESTURINGUP"), {QStringLiteral("Suggest")});
    return b.take();
}

} // namespace lirondo::merlin

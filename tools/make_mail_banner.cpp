// Draws the about window's banner (450 x 131) and writes it as a PNG.
// Usage: make_mail_banner OUTPUT.png

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);

    QImage image(450, 131, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 450, 131);
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1, QColor(0x5a, 0xa9, 0xd6));
    painter.fillRect(image.rect(), sky);

    // Sound waves leaving a speaker: what the program does.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 230));
    QPainterPath speaker;
    speaker.moveTo(40, 52);
    speaker.lineTo(56, 52);
    speaker.lineTo(76, 34);
    speaker.lineTo(76, 98);
    speaker.lineTo(56, 80);
    speaker.lineTo(40, 80);
    speaker.closeSubpath();
    painter.drawPath(speaker);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255, 200 - i * 50), 5, Qt::SolidLine, Qt::RoundCap));
        const int r = 22 + i * 16;
        painter.drawArc(QRectF(76 - r, 66 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }

    painter.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(44);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(150, 18, 290, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Lirondo"));
    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(16);
    painter.setFont(subtitle);
    painter.drawText(QRect(152, 78, 290, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("reads your text aloud"));
    painter.end();

    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}

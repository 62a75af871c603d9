#include "assistant/BalloonWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace lirondo {

BalloonWindow::BalloonWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

QRect BalloonWindow::place(QSize balloon, const QRect& figure, const QRect& screen, bool* tailUp)
{
    int x = figure.x() + figure.width() / 2 - balloon.width() / 2;
    int y = figure.top() - balloon.height();
    bool below = false;
    if (screen.isValid() && y < screen.top()) {
        y = figure.bottom() + 1;
        below = true;
    }
    if (screen.isValid()) {
        x = std::clamp(x, screen.left(),
                       std::max(screen.left(), screen.right() + 1 - balloon.width()));
        y = std::clamp(y, screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - balloon.height()));
    }
    if (tailUp)
        *tailUp = below;
    return QRect(QPoint(x, y), balloon);
}

void BalloonWindow::say(const QString& text, const QRect& figure)
{
    m_text = text;
    if (text.isEmpty()) {
        hide();
        return;
    }
    const QFontMetrics metrics(font());
    // Cut very long texts so the balloon never outgrows the screen; a sentence can be
    // a whole unpunctuated file, so only its start is ever measured.
    const int maxHeight = metrics.lineSpacing() * kMaxLines;
    const auto measure = [&metrics](const QString& shown) {
        return metrics.boundingRect(QRect(0, 0, kTextWidth, 1 << 20), Qt::TextWordWrap, shown);
    };
    const auto cut = [&text](qsizetype keep) {
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep; // never half a character
        return text.left(keep) + QChar(0x2026);
    };
    qsizetype keep = std::min<qsizetype>(text.size(), kMaxMeasured);
    m_shownText = keep < text.size() ? cut(keep) : text;
    QRect textRect = measure(m_shownText);
    while (keep > 1 && textRect.height() > maxHeight) {
        keep = keep * 3 / 4;
        m_shownText = cut(keep);
        textRect = measure(m_shownText);
    }
    setFixedSize(std::max(textRect.width(), 2 * kTail) + 2 * kPadding,
                 textRect.height() + 2 * kPadding + kTail);
    follow(figure);
    show();
    raise();
}

void BalloonWindow::follow(const QRect& figure)
{
    if (m_text.isEmpty())
        return;
    const QScreen* screen = QGuiApplication::screenAt(figure.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect where = place(size(), figure, area, &m_tailUp);
    m_tailX = std::clamp(figure.x() + figure.width() / 2 - where.left(), kTail, width() - kTail);
    move(where.topLeft());
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
    update();
}

QPainterPath BalloonWindow::outline() const
{
    const QRectF body(0.5, m_tailUp ? kTail + 0.5 : 0.5, width() - 1.0, height() - kTail - 1.0);
    QPainterPath path;
    path.addRoundedRect(body, 8, 8);
    QPainterPath tail;
    const qreal x = m_tailX;
    if (m_tailUp) {
        tail.moveTo(x - kTail / 2.0, body.top() + 1);
        tail.lineTo(x, 0.5);
        tail.lineTo(x + kTail / 2.0, body.top() + 1);
    } else {
        tail.moveTo(x - kTail / 2.0, body.bottom() - 1);
        tail.lineTo(x, height() - 0.5);
        tail.lineTo(x + kTail / 2.0, body.bottom() - 1);
    }
    tail.closeSubpath();
    return path.united(tail);
}

void BalloonWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(QColor(0xff, 0xff, 0xe1));
    painter.drawPath(outline());
    painter.setPen(Qt::black);
    const int top = (m_tailUp ? kTail : 0) + kPadding;
    painter.drawText(QRect(kPadding, top, width() - 2 * kPadding, height() - kTail - 2 * kPadding),
                     Qt::TextWordWrap, m_shownText);
}

} // namespace lirondo

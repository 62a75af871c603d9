#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QPainterPath;

namespace lirondo {

// The word balloon: a frameless, always-on-top window with the text the character
// says, placed above the character (below it when there is no room above).
class BalloonWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTextWidth = 220;    // wrap width, pixels
    static constexpr int kMaxLines = 8;       // longer texts are cut with an ellipsis
    static constexpr int kMaxMeasured = 1000; // characters
    static constexpr int kPadding = 8;
    static constexpr int kTail = 12;

    BalloonWindow();

    QString text() const { return m_text; }
    // Shows the text (hides the balloon for an empty one), next to the figure.
    void say(const QString& text, const QRect& figure);
    // Keeps the balloon beside the figure when the figure moves.
    void follow(const QRect& figure);

    // Where a balloon of this size goes for this figure on this screen area; true
    // in *tailUp when it sits below the figure.
    static QRect place(QSize balloon, const QRect& figure, const QRect& screen, bool* tailUp);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainterPath outline() const;

    QString m_text;
    QString m_shownText;
    bool m_tailUp = false;
    int m_tailX = 0;
};

} // namespace lirondo

#pragma once

#include <QJsonObject>
#include <QList>
#include <QWidget>

#include <optional>

// What "Where it went" draws from a Breakdown answer: for each provider's windows a heading with
// the share used, then a bar per project (the largest eight, then "others") in points of the
// window's limit, split by model, the folder in the hover text. As tall as its content at its
// width, for a scroll area to hold.
class BreakdownSheet : public QWidget
{
    Q_OBJECT
public:
    static constexpr int shownProjects = 8;

    explicit BreakdownSheet(QWidget *parent = nullptr);

    // A line above the windows (none when empty), and the answer to draw.
    void setContent(const QString &note, const QJsonObject &answer);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Text or a filled rectangle, placed.
    struct Piece {
        QRectF area;
        QString text;
        int flags = 0;
        bool bold = false;
        QColor fill; // valid: a rectangle
    };
    struct Bar {
        QRectF area;
        QString hover;
    };
    struct Layout {
        int width = -1;
        qreal height = 0;
        QList<Piece> pieces;
        QList<Bar> bars;
    };
    class Builder;

    const Layout &layout(int width) const;

    QString m_note;
    QJsonObject m_answer;
    mutable std::optional<Layout> m_layout; // for the width last asked
};

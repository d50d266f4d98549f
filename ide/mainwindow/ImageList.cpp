#include "mainwindow/ImageList.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;

struct Glyph {
    int index;
    const char16_t* text;  // drawn centred
    QRgb colour;
    int pointSize;
};

// Images drawn as one symbol in a colour.
const Glyph kGlyphs[] = {
    {11, u"?", 0xff1f5fbf, 15},       // help
    {13, u"\u21b6", 0xff1f5fbf, 16},  // undo
    {14, u"\u21b7", 0xff1f5fbf, 16},  // redo
    {15, u"\u2702", 0xff404040, 15},  // cut
    {18, u"\u2715", 0xffc02020, 14},  // delete
    {22, u"\u21e5", 0xff2f7f2f, 16},  // indent
    {23, u"\u21e4", 0xff2f7f2f, 16},  // unindent
    {30, u"\u2699", 0xff5a4a9a, 17},  // compile
    {31, u"\u21e9", 0xff1f5fbf, 17},  // download
    {33, u"i", 0xff1f5fbf, 15},       // controller information
    {36, u"\u2205", 0xffc02020, 16},  // clear memory
    {37, u"\u21bb", 0xffb06000, 17},  // reset
    {38, u"\u25b6", 0xff208020, 14},  // run
    {39, u"\u25a0", 0xffc02020, 14},  // stop
};

QPixmap Blank() {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    return pm;
}

void DrawText(QPainter& p, const QString& text, QColor colour, int pointSize, QRectF box = QRectF(0, 0, kSize, kSize)) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pointSize);
    f.setBold(true);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

void Page(QPainter& p, QRectF r, QColor fill = Qt::white) {
    const double fold = r.width() * 0.3;
    QPolygonF poly{r.topLeft(), {r.right() - fold, r.top()}, {r.right(), r.top() + fold}, r.bottomRight(),
                   r.bottomLeft()};
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

void Floppy(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(30, 50, 110), 1));
    p.setBrush(QColor(60, 100, 190));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top() + 1, r.width() * 0.6, r.height() * 0.38));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.bottom() - r.height() * 0.35, r.width() * 0.5, r.height() * 0.35));
}

void Magnifier(QPainter& p, QPointF c, double radius) {
    p.setPen(QPen(QColor(60, 60, 60), 2.2));
    p.setBrush(QColor(210, 230, 255));
    p.drawEllipse(c, radius, radius);
    p.drawLine(c + QPointF(radius * 0.7, radius * 0.7), c + QPointF(radius * 1.8, radius * 1.8));
}

void Bookmark(QPainter& p, QRectF r) {
    QPolygonF poly{r.topLeft(), r.topRight(), r.bottomRight(), {r.center().x(), r.bottom() - r.height() * 0.3},
                   r.bottomLeft()};
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(QColor(70, 130, 220));
    p.drawPolygon(poly);
}

void Windows(QPainter& p, const QList<QRectF>& rects) {
    for (const QRectF& r : rects) {
        p.setPen(QPen(QColor(50, 50, 50), 1));
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setBrush(QColor(40, 90, 180));
        p.drawRect(QRectF(r.left(), r.top(), r.width(), 3));
    }
}

void Badge(QPainter& p, const QString& text, QColor colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 5.5, 21, 13), 3, 3);
    DrawText(p, text, Qt::white, 9, QRectF(1.5, 5.5, 21, 13));
}

// A page with a comment mark, struck through for the uncomment key.
void CommentPage(QPainter& p, bool struck) {
    Page(p, QRectF(4.5, 2.5, 15, 19));
    DrawText(p, QStringLiteral("'"), QColor(30, 130, 30), 16, QRectF(4.5, 2.5, 15, 19));
    if (struck) {
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawLine(QPointF(6, 19), QPointF(18, 5));
    }
}

// A small bookmark with a mark beside it.
void BookmarkWith(QPainter& p, const QString& mark, QColor colour) {
    Bookmark(p, QRectF(3.5, 2.5, 9, 17));
    DrawText(p, mark, colour, 13, QRectF(11, 6, 13, 16));
}

struct Picture {
    int index;
    void (*draw)(QPainter& p);
};

// Images drawn as a picture of their own.
const Picture kPictures[] = {
    {1,  // new: a blank page
     [](QPainter& p) { Page(p, QRectF(5.5, 2.5, 13, 19)); }},
    {2,  // open: a folder
     [](QPainter& p) {
         p.setPen(QPen(QColor(140, 100, 20), 1));
         p.setBrush(QColor(240, 200, 90));
         p.drawRect(QRectF(2.5, 6.5, 19, 13));
         p.setBrush(QColor(250, 220, 120));
         p.drawPolygon(QPolygonF{{2.5, 19.5}, {6.5, 10.5}, {23.5, 10.5}, {20.5, 19.5}});
     }},
    {3,  // close: a page with a cross
     [](QPainter& p) {
         Page(p, QRectF(4.5, 2.5, 13, 19));
         DrawText(p, QStringLiteral("\u2715"), QColor(200, 30, 30), 11, QRectF(9, 10, 14, 14));
     }},
    {4,  // save: a floppy disk
     [](QPainter& p) { Floppy(p, QRectF(3.5, 3.5, 17, 17)); }},
    {5,  // save all: two floppy disks
     [](QPainter& p) {
         Floppy(p, QRectF(1.5, 1.5, 14, 14));
         Floppy(p, QRectF(8.5, 8.5, 14, 14));
     }},
    {6,  // save as: a floppy disk with an ellipsis
     [](QPainter& p) {
         Floppy(p, QRectF(2.5, 2.5, 16, 16));
         DrawText(p, QStringLiteral("\u2026"), QColor(30, 30, 30), 12, QRectF(10, 12, 14, 12));
     }},
    {7,  // print: a printer
     [](QPainter& p) {
         p.setPen(QPen(QColor(60, 60, 60), 1));
         p.setBrush(Qt::white);
         p.drawRect(QRectF(6.5, 2.5, 11, 8));
         p.setBrush(QColor(150, 150, 160));
         p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
         p.setBrush(Qt::white);
         p.drawRect(QRectF(6.5, 15.5, 11, 6));
     }},
    {8,  // tile horizontally
     [](QPainter& p) {
         Windows(p, {QRectF(3.5, 2.5, 17, 8), QRectF(3.5, 13.5, 17, 8)});
     }},
    {9,  // tile vertically
     [](QPainter& p) {
         Windows(p, {QRectF(2.5, 3.5, 8, 17), QRectF(13.5, 3.5, 8, 17)});
     }},
    {10,  // cascade
     [](QPainter& p) {
         Windows(p, {QRectF(2.5, 2.5, 13, 11), QRectF(6.5, 6.5, 13, 11), QRectF(10.5, 10.5, 11, 11)});
     }},
    {12,  // note: a yellow page with lines
     [](QPainter& p) {
         Page(p, QRectF(4.5, 2.5, 15, 19), QColor(255, 235, 120));
         p.setPen(QPen(QColor(120, 100, 30), 1));
         for (double y : {9.5, 12.5, 15.5}) p.drawLine(QPointF(7.5, y), QPointF(16.5, y));
     }},
    {16,  // copy: two pages
     [](QPainter& p) {
         Page(p, QRectF(3.5, 2.5, 11, 14));
         Page(p, QRectF(9.5, 7.5, 11, 14));
     }},
    {17,  // paste: a clipboard with a page
     [](QPainter& p) {
         p.setPen(QPen(QColor(110, 70, 20), 1));
         p.setBrush(QColor(200, 150, 80));
         p.drawRoundedRect(QRectF(3.5, 3.5, 14, 18), 2, 2);
         p.setBrush(QColor(160, 160, 160));
         p.drawRect(QRectF(7.5, 1.5, 6, 4));
         Page(p, QRectF(10.5, 9.5, 11, 13));
     }},
    {19,  // find: a magnifier
     [](QPainter& p) { Magnifier(p, QPointF(10, 10), 6); }},
    {20,  // find next
     [](QPainter& p) {
         Magnifier(p, QPointF(9, 9), 5.5);
         DrawText(p, QStringLiteral("\u25b8"), QColor(30, 110, 30), 11, QRectF(13, 12, 11, 12));
     }},
    {21,  // find previous
     [](QPainter& p) {
         Magnifier(p, QPointF(11, 9), 5.5);
         DrawText(p, QStringLiteral("\u25c2"), QColor(30, 110, 30), 11, QRectF(0, 12, 11, 12));
     }},
    {24,  // comment
     [](QPainter& p) { CommentPage(p, false); }},
    {25,  // uncomment
     [](QPainter& p) { CommentPage(p, true); }},
    {26,  // toggle bookmark
     [](QPainter& p) { Bookmark(p, QRectF(7.5, 2.5, 10, 19)); }},
    {27,  // next bookmark
     [](QPainter& p) { BookmarkWith(p, QStringLiteral("\u2193"), QColor(30, 110, 30)); }},
    {28,  // previous bookmark
     [](QPainter& p) { BookmarkWith(p, QStringLiteral("\u2191"), QColor(30, 110, 30)); }},
    {29,  // clear bookmarks
     [](QPainter& p) { BookmarkWith(p, QStringLiteral("\u2715"), QColor(200, 30, 30)); }},
    {32,  // compile and run
     [](QPainter& p) {
         DrawText(p, QStringLiteral("\u2699"), QColor(90, 74, 154), 15, QRectF(0, 0, 16, 24));
         DrawText(p, QStringLiteral("\u25b6"), QColor(32, 128, 32), 11, QRectF(11, 6, 13, 16));
     }},
    {34,  // motor control: a dial
     [](QPainter& p) {
         p.setPen(QPen(QColor(50, 50, 50), 1.5));
         p.setBrush(QColor(190, 190, 200));
         p.drawEllipse(QPointF(12, 12), 9, 9);
         p.setPen(QPen(QColor(200, 40, 40), 2.5));
         p.drawLine(QPointF(12, 12), QPointF(17, 6));
     }},
    {35,  // line control: lines with a run mark
     [](QPainter& p) {
         p.setPen(QPen(QColor(100, 100, 100), 2));
         for (double y : {5.0, 12.0, 19.0}) p.drawLine(QPointF(11, y), QPointF(22, y));
         DrawText(p, QStringLiteral("\u25b6"), QColor(32, 128, 32), 11, QRectF(0, 5, 11, 14));
     }},
    {40,  // servos off
     [](QPainter& p) { Badge(p, QStringLiteral("OFF"), QColor(110, 110, 110)); }},
    {41,  // servos on
     [](QPainter& p) { Badge(p, QStringLiteral("ON"), QColor(32, 128, 32)); }},
    {42,  // servos in
     [](QPainter& p) { Badge(p, QStringLiteral("IN"), QColor(31, 95, 191)); }},
    {61,  // the humanoid window: a small humanoid robot
     [](QPainter& p) {
         p.setPen(QPen(QColor(40, 40, 60), 1));
         p.setBrush(QColor(120, 150, 200));
         p.drawRoundedRect(QRectF(8.5, 1.5, 7, 6), 1.5, 1.5);
         p.drawRoundedRect(QRectF(6.5, 8.5, 11, 8), 1.5, 1.5);
         p.drawRect(QRectF(3.5, 9.5, 2, 7));
         p.drawRect(QRectF(18.5, 9.5, 2, 7));
         p.drawRect(QRectF(7.5, 17.5, 3, 5));
         p.drawRect(QRectF(13.5, 17.5, 3, 5));
         p.setBrush(Qt::white);
         p.drawRect(QRectF(10, 3.5, 1.5, 1.5));
         p.drawRect(QRectF(12.5, 3.5, 1.5, 1.5));
     }},
};

}  // namespace

ImageList::ImageList() {
    for (const Glyph& g : kGlyphs) {
        QPixmap pm = Blank();
        QPainter p(&pm);
        p.setRenderHint(QPainter::TextAntialiasing);
        DrawText(p, QString::fromUtf16(g.text), QColor::fromRgba(g.colour), g.pointSize);
        p.end();
        images_.insert(g.index, QIcon(pm));
    }
    for (const Picture& picture : kPictures) {
        QPixmap pm = Blank();
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        picture.draw(p);
        p.end();
        images_.insert(picture.index, QIcon(pm));
    }
}

QIcon ImageList::Item(int index) const { return images_.value(index); }

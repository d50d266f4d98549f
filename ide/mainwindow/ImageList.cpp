#include "mainwindow/ImageList.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 24;

struct Glyph {
    int index;
    const char* key;
    const char16_t* text;  // drawn centred; empty for a picture of its own
    QRgb colour;
    int pointSize;
};

// Buttons drawn as one symbol in a colour.
const Glyph kGlyphs[] = {
    {11, "help", u"?", 0xff1f5fbf, 15},
    {13, "undo", u"\u21b6", 0xff1f5fbf, 16},
    {14, "redo", u"\u21b7", 0xff1f5fbf, 16},
    {15, "cut", u"\u2702", 0xff404040, 15},
    {18, "delete", u"\u2715", 0xffc02020, 14},
    {22, "tabl", u"\u21e5", 0xff2f7f2f, 16},
    {23, "tabr", u"\u21e4", 0xff2f7f2f, 16},
    {30, "compile", u"\u2699", 0xff5a4a9a, 17},
    {31, "download", u"\u21e9", 0xff1f5fbf, 17},
    {33, "coninfo", u"i", 0xff1f5fbf, 15},
    {36, "memclear", u"\u2205", 0xffc02020, 16},
    {37, "reset", u"\u21bb", 0xffb06000, 17},
    {38, "run", u"\u25b6", 0xff208020, 14},
    {39, "stop", u"\u25a0", 0xffc02020, 14},
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

QPixmap Picture(const QString& key) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (key == QLatin1String("new")) {
        Page(p, QRectF(5.5, 2.5, 13, 19));
    } else if (key == QLatin1String("open")) {
        p.setPen(QPen(QColor(140, 100, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2.5, 6.5, 19, 13));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF{{2.5, 19.5}, {6.5, 10.5}, {23.5, 10.5}, {20.5, 19.5}});
    } else if (key == QLatin1String("close")) {
        Page(p, QRectF(4.5, 2.5, 13, 19));
        DrawText(p, QStringLiteral("\u2715"), QColor(200, 30, 30), 11, QRectF(9, 10, 14, 14));
    } else if (key == QLatin1String("save")) {
        Floppy(p, QRectF(3.5, 3.5, 17, 17));
    } else if (key == QLatin1String("saveall")) {
        Floppy(p, QRectF(1.5, 1.5, 14, 14));
        Floppy(p, QRectF(8.5, 8.5, 14, 14));
    } else if (key == QLatin1String("saveas")) {
        Floppy(p, QRectF(2.5, 2.5, 16, 16));
        DrawText(p, QStringLiteral("\u2026"), QColor(30, 30, 30), 12, QRectF(10, 12, 14, 12));
    } else if (key == QLatin1String("print")) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 15.5, 11, 6));
    } else if (key == QLatin1String("tilehor")) {
        Windows(p, {QRectF(3.5, 2.5, 17, 8), QRectF(3.5, 13.5, 17, 8)});
    } else if (key == QLatin1String("tilever")) {
        Windows(p, {QRectF(2.5, 3.5, 8, 17), QRectF(13.5, 3.5, 8, 17)});
    } else if (key == QLatin1String("cascade")) {
        Windows(p, {QRectF(2.5, 2.5, 13, 11), QRectF(6.5, 6.5, 13, 11), QRectF(10.5, 10.5, 11, 11)});
    } else if (key == QLatin1String("Note")) {
        Page(p, QRectF(4.5, 2.5, 15, 19), QColor(255, 235, 120));
        p.setPen(QPen(QColor(120, 100, 30), 1));
        for (double y : {9.5, 12.5, 15.5}) p.drawLine(QPointF(7.5, y), QPointF(16.5, y));
    } else if (key == QLatin1String("copy")) {
        Page(p, QRectF(3.5, 2.5, 11, 14));
        Page(p, QRectF(9.5, 7.5, 11, 14));
    } else if (key == QLatin1String("paste")) {
        p.setPen(QPen(QColor(110, 70, 20), 1));
        p.setBrush(QColor(200, 150, 80));
        p.drawRoundedRect(QRectF(3.5, 3.5, 14, 18), 2, 2);
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(7.5, 1.5, 6, 4));
        Page(p, QRectF(10.5, 9.5, 11, 13));
    } else if (key == QLatin1String("find")) {
        Magnifier(p, QPointF(10, 10), 6);
    } else if (key == QLatin1String("findnext")) {
        Magnifier(p, QPointF(9, 9), 5.5);
        DrawText(p, QStringLiteral("\u25b8"), QColor(30, 110, 30), 11, QRectF(13, 12, 11, 12));
    } else if (key == QLatin1String("findprev")) {
        Magnifier(p, QPointF(11, 9), 5.5);
        DrawText(p, QStringLiteral("\u25c2"), QColor(30, 110, 30), 11, QRectF(0, 12, 11, 12));
    } else if (key == QLatin1String("cblock") || key == QLatin1String("ublock")) {
        Page(p, QRectF(4.5, 2.5, 15, 19));
        DrawText(p, QStringLiteral("'"), QColor(30, 130, 30), 16, QRectF(4.5, 2.5, 15, 19));
        if (key == QLatin1String("ublock")) {
            p.setPen(QPen(QColor(200, 30, 30), 2));
            p.drawLine(QPointF(6, 19), QPointF(18, 5));
        }
    } else if (key == QLatin1String("tbmark")) {
        Bookmark(p, QRectF(7.5, 2.5, 10, 19));
    } else if (key == QLatin1String("nbmark") || key == QLatin1String("pbmark") ||
               key == QLatin1String("cbmark")) {
        Bookmark(p, QRectF(3.5, 2.5, 9, 17));
        const QString mark = key == QLatin1String("nbmark")   ? QStringLiteral("\u2193")
                             : key == QLatin1String("pbmark") ? QStringLiteral("\u2191")
                                                              : QStringLiteral("\u2715");
        const QColor colour = key == QLatin1String("cbmark") ? QColor(200, 30, 30) : QColor(30, 110, 30);
        DrawText(p, mark, colour, 13, QRectF(11, 6, 13, 16));
    } else if (key == QLatin1String("runall")) {
        DrawText(p, QStringLiteral("\u2699"), QColor(90, 74, 154), 15, QRectF(0, 0, 16, 24));
        DrawText(p, QStringLiteral("\u25b6"), QColor(32, 128, 32), 11, QRectF(11, 6, 13, 16));
    } else if (key == QLatin1String("motor")) {
        p.setPen(QPen(QColor(50, 50, 50), 1.5));
        p.setBrush(QColor(190, 190, 200));
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(QPen(QColor(200, 40, 40), 2.5));
        p.drawLine(QPointF(12, 12), QPointF(17, 6));
    } else if (key == QLatin1String("linecontrol")) {
        p.setPen(QPen(QColor(100, 100, 100), 2));
        for (double y : {5.0, 12.0, 19.0}) p.drawLine(QPointF(11, y), QPointF(22, y));
        DrawText(p, QStringLiteral("\u25b6"), QColor(32, 128, 32), 11, QRectF(0, 5, 11, 14));
    } else if (key == QLatin1String("kestra")) {
        // A small humanoid robot.
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
    } else if (key == QLatin1String("motor_off")) {
        Badge(p, QStringLiteral("OFF"), QColor(110, 110, 110));
    } else if (key == QLatin1String("motor_on")) {
        Badge(p, QStringLiteral("ON"), QColor(32, 128, 32));
    } else if (key == QLatin1String("motor_in")) {
        Badge(p, QStringLiteral("IN"), QColor(31, 95, 191));
    }
    return pm;
}

struct Numbered {
    int index;
    const char* key;
};

// Images drawn as a picture of their own, by number.
const Numbered kPictures[] = {
    {1, "new"},       {2, "open"},      {3, "close"},     {4, "save"},         {5, "saveall"},
    {6, "saveas"},    {7, "print"},     {8, "tilehor"},   {9, "tilever"},      {10, "cascade"},
    {12, "Note"},     {16, "copy"},     {17, "paste"},    {19, "find"},        {20, "findnext"},
    {21, "findprev"}, {24, "cblock"},   {25, "ublock"},   {26, "tbmark"},      {27, "nbmark"},
    {28, "pbmark"},   {29, "cbmark"},   {32, "runall"},   {34, "motor"},       {35, "linecontrol"},
    {40, "motor_off"}, {41, "motor_on"}, {42, "motor_in"}, {61, "kestra"},
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
    for (const Numbered& n : kPictures) images_.insert(n.index, QIcon(Picture(QString::fromLatin1(n.key))));
}

QIcon ImageList::Item(int index) const { return images_.value(index); }

int ImageList::ImageOfKey(const QString& key) {
    for (const Glyph& g : kGlyphs)
        if (key == QLatin1String(g.key)) return g.index;
    for (const Numbered& n : kPictures)
        if (key == QLatin1String(n.key)) return n.index;
    return 0;
}

// Draws the program's own artwork: the designed main window skin with its buttons, icons and
// pointer, and the pictures and skin files of the sample skins. Run by hand when the artwork
// changes; its output is committed under data/program.
//
//   numira_artgen <data/program folder>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>

namespace {

// The colours of one look. The designed look and every sample skin share the drawing below.
struct Palette
{
    QColor bodyTop;
    QColor bodyBottom;
    QColor rim;
    QColor panel;
    QColor track;
    QColor accent;
    QColor buttonTop;
    QColor buttonBottom;
    QColor buttonBorder;
    QColor caption;
    QColor brand;
};

// The skin colours that go into a sample skin file, as "#RRGGBB".
struct SkinColours
{
    const char* listBack;
    const char* listFore;
    const char* labelFore;
    const char* formBack;
};

struct Look
{
    const char* name;
    Palette palette;
    SkinColours colours;
};

const Palette Steel{QColor(0x4b, 0x53, 0x5d), QColor(0x1f, 0x23, 0x29), QColor(0x0b, 0x0d, 0x10),
                    QColor(0x0e, 0x10, 0x13), QColor(0x15, 0x18, 0x1c), QColor(0xff, 0x80, 0x00),
                    QColor(0x5f, 0x69, 0x75), QColor(0x2c, 0x32, 0x3a), QColor(0x12, 0x15, 0x19),
                    QColor(0xee, 0xf1, 0xf4), QColor(0xdd, 0xe3, 0xea)};

const Look Ocean{"ocean",
                 {QColor(0x23, 0x4f, 0x78), QColor(0x0a, 0x1a, 0x2b), QColor(0x04, 0x0c, 0x16),
                  QColor(0x06, 0x11, 0x1d), QColor(0x0a, 0x19, 0x29), QColor(0x4f, 0xc8, 0xf5),
                  QColor(0x2f, 0x72, 0xa3), QColor(0x13, 0x3a, 0x5a), QColor(0x05, 0x14, 0x22),
                  QColor(0xf0, 0xfa, 0xff), QColor(0xc9, 0xec, 0xff)},
                 {"#EAF5FC", "#0B2E4A", "#8FDCFF", "#163E5E"}};

const Look Ember{"ember",
                 {QColor(0x5c, 0x24, 0x15), QColor(0x1d, 0x09, 0x05), QColor(0x0e, 0x03, 0x01),
                  QColor(0x14, 0x06, 0x03), QColor(0x22, 0x0b, 0x06), QColor(0xff, 0xb0, 0x3a),
                  QColor(0x9a, 0x3b, 0x1a), QColor(0x4a, 0x16, 0x0a), QColor(0x1a, 0x06, 0x02),
                  QColor(0xff, 0xf3, 0xe0), QColor(0xff, 0xd9, 0x9e)},
                 {"#FFF4E6", "#5A1E0E", "#FFC24D", "#3E160C"}};

enum class Glyph
{
    Plus,
    List,
    Magnifier,
    House,
    Globe
};

// The main window's outline, the same 19 points the window is cut to.
QPolygonF windowOutline()
{
    static const int points[19][2] = {{366, 1},   {434, 1},  {433, 2},  {433, 336}, {432, 337},
                                      {149, 338}, {84, 338}, {78, 332}, {23, 332},  {22, 331},
                                      {22, 324},  {21, 323}, {2, 323},  {1, 322},   {1, 16},
                                      {21, 16},   {22, 15},  {22, 7},   {360, 7}};
    QPolygonF outline;
    for (const auto& point : points)
        outline << QPointF(point[0], point[1]);
    return outline;
}

QFont sans(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

// A rounded hollow: darker inside, a shadow along the top and a catch-light along the bottom.
void drawRecess(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    p.fillPath(path, fill);
    p.save();
    p.setClipPath(path);
    QLinearGradient shade(rect.topLeft(), QPointF(rect.left(), rect.top() + 6));
    shade.setColorAt(0, QColor(0, 0, 0, 150));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(rect, shade);
    p.restore();
    p.setPen(QPen(QColor(255, 255, 255, 38), 1));
    p.drawLine(QPointF(rect.left() + radius, rect.bottom() + 0.5),
               QPointF(rect.right() - radius, rect.bottom() + 0.5));
    p.setPen(QPen(QColor(0, 0, 0, 170), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void drawScrew(QPainter& p, const QPointF& centre, const Palette& pal)
{
    QRadialGradient head(centre - QPointF(1, 1), 4);
    head.setColorAt(0, pal.buttonTop.lighter(150));
    head.setColorAt(1, pal.buttonBottom);
    p.setPen(QPen(pal.rim, 1));
    p.setBrush(head);
    p.drawEllipse(centre, 3.2, 3.2);
    p.setPen(QPen(withAlpha(pal.rim, 200), 1.2));
    p.drawLine(centre + QPointF(-2, 1.5), centre + QPointF(2, -1.5));
}

// A key: the program keeps keys to software, so its emblem is one.
void drawKey(QPainter& p, const QRectF& box, const QColor& color, const QColor& outline)
{
    const qreal s = box.width() / 64.0;
    p.save();
    p.translate(box.topLeft());
    p.scale(s, s);
    // Drawn lying along x, head at the origin, then turned to lie across the box.
    p.translate(32, 32);
    p.rotate(45);
    p.translate(-14, 0);
    QPainterPath key;
    key.addEllipse(QPointF(0, 0), 13, 13);
    QPainterPath bit;
    bit.addRoundedRect(QRectF(9, -3.5, 36, 7), 1.5, 1.5);
    bit.addRect(QRectF(31, 2, 5, 9));
    bit.addRect(QRectF(39, 2, 6, 6));
    key = key.united(bit.simplified());
    QPainterPath hole;
    hole.addEllipse(QPointF(-3, 0), 4.5, 4.5);
    key = key.subtracted(hole);
    p.setPen(QPen(outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient fill(QPointF(-13, -13), QPointF(45, 10));
    fill.setColorAt(0, color.lighter(135));
    fill.setColorAt(1, color.darker(125));
    p.setBrush(fill);
    p.drawPath(key);
    p.restore();
}

void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = box.center();
    const qreal r = box.width() / 2.0;
    QPen pen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Plus:
        p.drawEllipse(c, r - 0.5, r - 0.5);
        p.drawLine(c + QPointF(-r * 0.5, 0), c + QPointF(r * 0.5, 0));
        p.drawLine(c + QPointF(0, -r * 0.5), c + QPointF(0, r * 0.5));
        break;
    case Glyph::List:
        for (int i = -1; i <= 1; ++i) {
            const qreal y = c.y() + i * r * 0.62;
            p.drawPoint(QPointF(box.left() + 1, y));
            p.drawLine(QPointF(box.left() + 4, y), QPointF(box.right(), y));
        }
        break;
    case Glyph::Magnifier:
        p.drawEllipse(c + QPointF(-1.2, -1.2), r * 0.58, r * 0.58);
        pen.setWidthF(2.2);
        p.setPen(pen);
        p.drawLine(c + QPointF(r * 0.3, r * 0.3), c + QPointF(r * 0.9, r * 0.9));
        break;
    case Glyph::House: {
        QPolygonF roof;
        roof << QPointF(box.left(), c.y() - 0.5) << QPointF(c.x(), box.top())
             << QPointF(box.right(), c.y() - 0.5);
        p.drawPolyline(roof);
        p.drawRect(QRectF(box.left() + r * 0.35, c.y() - 1.5, r * 1.3, r * 0.95));
        break;
    }
    case Glyph::Globe:
        p.drawEllipse(c, r - 0.5, r - 0.5);
        p.drawEllipse(c, r * 0.4, r - 0.5);
        p.drawLine(c + QPointF(-r + 0.5, 0), c + QPointF(r - 0.5, 0));
        break;
    }
    p.restore();
}

QImage drawButton(const Palette& pal, const QSize& size, const QString& caption, Glyph glyph)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, pal.buttonTop);
    fill.setColorAt(0.48, pal.buttonTop.darker(118));
    fill.setColorAt(0.52, pal.buttonBottom.lighter(112));
    fill.setColorAt(1, pal.buttonBottom);
    p.setPen(QPen(pal.buttonBorder, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, 4, 4);

    // Catch-light along the top edge and a thin accent under the glyph.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(4, 1.5), QPointF(size.width() - 4, 1.5));
    p.setPen(QPen(withAlpha(pal.accent, 150), 1));
    p.drawLine(QPointF(5, size.height() - 2.5), QPointF(19, size.height() - 2.5));

    const QRectF glyphBox(6, 3.5, 11, 11);
    drawGlyph(p, glyph, glyphBox, pal.accent);

    p.setFont(sans(10, true));
    const QRectF textBox(20, 0, size.width() - 24, size.height());
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(textBox.translated(0, 1), Qt::AlignCenter, caption);
    p.setPen(pal.caption);
    p.drawText(textBox, Qt::AlignCenter, caption);
    return image;
}

QImage drawMain(const Palette& pal)
{
    QImage image(435, 339, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QPolygonF outline = windowOutline();
    QPainterPath shape;
    shape.addPolygon(outline);
    shape.closeSubpath();

    // Body: a dark metal plate with a faint brushed grain.
    QLinearGradient body(QPointF(0, 0), QPointF(0, 339));
    body.setColorAt(0, pal.bodyTop);
    body.setColorAt(0.55, pal.bodyTop.darker(150));
    body.setColorAt(1, pal.bodyBottom);
    p.fillPath(shape, body);
    p.save();
    p.setClipPath(shape);
    QRandomGenerator grain(20240611);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 0; y < 339; ++y) {
        const int shade = int(grain.bounded(40));
        p.setPen(shade < 20 ? QColor(255, 255, 255, shade / 3) : QColor(0, 0, 0, (shade - 20) / 2));
        p.drawLine(0, y, 435, y);
    }
    p.setRenderHint(QPainter::Antialiasing);
    // A soft sheen across the upper half.
    QRadialGradient sheen(QPointF(150, 20), 260);
    sheen.setColorAt(0, QColor(255, 255, 255, 34));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, 435, 339), sheen);
    p.restore();

    // Rim: inner glow then a dark edge.
    p.save();
    p.setClipPath(shape);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 45), 4));
    p.drawPath(shape);
    p.setPen(QPen(pal.rim, 2));
    p.drawPath(shape);
    p.restore();

    // Top strip: a fine accent groove running into the tab.
    QLinearGradient groove(QPointF(30, 0), QPointF(356, 0));
    groove.setColorAt(0, withAlpha(pal.accent, 0));
    groove.setColorAt(0.2, withAlpha(pal.accent, 150));
    groove.setColorAt(1, withAlpha(pal.accent, 210));
    p.setPen(QPen(QColor(0, 0, 0, 140), 1));
    p.drawLine(QPointF(30, 11.5), QPointF(356, 11.5));
    p.setPen(QPen(QBrush(groove), 1));
    p.drawLine(QPointF(30, 12.5), QPointF(356, 12.5));

    // Tab at top right holding the letter buttons A, DB and X.
    drawRecess(p, QRectF(365, 3, 66, 19), 5, withAlpha(pal.track, 230));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawLine(QPointF(384.5, 6), QPointF(384.5, 19));
    p.drawLine(QPointF(409.5, 6), QPointF(409.5, 19));

    // Button row above the frame.
    drawRecess(p, QRectF(27, 20, 313, 24), 6, pal.track);

    // Vents to the right of the button row.
    for (int i = 0; i < 7; ++i) {
        const QRectF slot(350 + i * 11, 27, 5, 12);
        drawRecess(p, slot, 2.5, pal.rim);
    }

    // The recessed panel that holds the browser and the screens.
    const QRectF panel(10, 45, 415, 248);
    QPainterPath lip;
    lip.addRoundedRect(panel.adjusted(-4, -3, 4, 4), 6, 6);
    QLinearGradient lipShade(panel.topLeft(), panel.bottomLeft());
    lipShade.setColorAt(0, QColor(0, 0, 0, 170));
    lipShade.setColorAt(1, QColor(255, 255, 255, 40));
    p.fillPath(lip, lipShade);
    p.fillRect(panel, pal.panel);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel.adjusted(-0.5, -0.5, 0.5, 0.5));
    // What shows of the panel when nothing covers it: a faint emblem.
    drawKey(p, QRectF(panel.center() - QPointF(40, 40), QSizeF(80, 80)),
            withAlpha(pal.bodyTop, 110), withAlpha(pal.rim, 140));

    // Bottom bar: home and browser buttons, the brand, the minimise spot.
    drawRecess(p, QRectF(34, 299, 180, 28), 6, pal.track);
    drawRecess(p, QRectF(410, 312, 22, 22), 5, withAlpha(pal.track, 230));

    drawKey(p, QRectF(247, 301, 24, 24), pal.accent, pal.rim);
    QFont brand = sans(21, true);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setFont(brand);
    const QRectF brandBox(275, 298, 130, 30);
    p.setPen(QColor(0, 0, 0, 170));
    p.drawText(brandBox.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Numira"));
    QLinearGradient brandFill(brandBox.topLeft(), brandBox.bottomLeft());
    brandFill.setColorAt(0, pal.brand.lighter(115));
    brandFill.setColorAt(1, pal.brand.darker(125));
    p.setPen(QPen(QBrush(brandFill), 1));
    p.drawText(brandBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Numira"));

    drawScrew(p, QPointF(11.5, 30.5), pal);
    drawScrew(p, QPointF(11.5, 309.5), pal);
    drawScrew(p, QPointF(225.5, 313.5), pal);
    return image;
}

QImage drawIcon(int size, const Palette& pal)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal inset = size / 32.0;
    const QRectF tile(inset, inset, size - 2 * inset, size - 2 * inset);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, pal.buttonTop);
    fill.setColorAt(1, pal.bodyBottom);
    p.setPen(QPen(pal.rim, size / 32.0));
    p.setBrush(fill);
    p.drawRoundedRect(tile, size * 0.2, size * 0.2);
    p.setPen(QPen(QColor(255, 255, 255, 60), size / 32.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile.adjusted(inset, inset, -inset, -inset), size * 0.18, size * 0.18);
    drawKey(p, tile.adjusted(size * 0.08, size * 0.08, -size * 0.08, -size * 0.08), pal.accent,
            pal.rim);
    return image;
}

// An arrow whose tip is the image's top-left pixel, the pointer's hotspot.
QImage drawPointer(const Palette& pal)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF arrow;
    arrow << QPointF(0.5, 0.5) << QPointF(0.5, 17) << QPointF(4.5, 13) << QPointF(7.5, 20)
          << QPointF(10.5, 18.7) << QPointF(7.5, 12) << QPointF(13, 12);
    QLinearGradient fill(QPointF(0, 0), QPointF(10, 20));
    fill.setColorAt(0, pal.accent.lighter(130));
    fill.setColorAt(1, pal.accent.darker(115));
    p.setPen(QPen(pal.rim, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPolygon(arrow);
    return image;
}

bool save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// The six pictures a skin replaces, in a folder of their own.
bool drawPictureSet(const Palette& pal, const QString& folder)
{
    const QSize wide(95, 18);
    const QSize narrow(79, 18);
    return save(drawMain(pal), folder + QStringLiteral("/main.png")) &&
           save(drawButton(pal, wide, QStringLiteral("Add"), Glyph::Plus),
                folder + QStringLiteral("/add.png")) &&
           save(drawButton(pal, wide, QStringLiteral("Browse"), Glyph::List),
                folder + QStringLiteral("/browse.png")) &&
           save(drawButton(pal, wide, QStringLiteral("Search"), Glyph::Magnifier),
                folder + QStringLiteral("/search.png")) &&
           save(drawButton(pal, narrow, QStringLiteral("Home"), Glyph::House),
                folder + QStringLiteral("/home.png")) &&
           save(drawButton(pal, narrow, QStringLiteral("Browser"), Glyph::Globe),
                folder + QStringLiteral("/browser.png"));
}

// Every value line carries one character after its value, which the reader drops; a ";" is
// used rather than a blank because editors keep it where they strip trailing blanks.
bool writeSkinFile(const Look& look, const QString& path, const char* lineEnd)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    const QString name = QString::fromLatin1(look.name);
    const QString folder = QStringLiteral("skins/") + name + QLatin1Char('/');
    const QStringList lines = {
        QStringLiteral("; Numira skin \"%1\"").arg(name),
        QStringLiteral("; Ten value lines in a fixed order; lines that begin with ; are notes."),
        QStringLiteral("; The last character of every value line is dropped when the skin is"),
        QStringLiteral("; read, so each value below ends with one extra ; that must stay."),
        QStringLiteral("; Colours are #RRGGBB; pictures are relative to the program folder."),
        QStringLiteral(";"),
        QStringLiteral("; list and text boxes: back colour, text colour"),
        QString::fromLatin1(look.colours.listBack) + QLatin1Char(';'),
        QString::fromLatin1(look.colours.listFore) + QLatin1Char(';'),
        QStringLiteral("; labels: text colour"),
        QString::fromLatin1(look.colours.labelFore) + QLatin1Char(';'),
        QStringLiteral("; windows, frames and check boxes: back colour"),
        QString::fromLatin1(look.colours.formBack) + QLatin1Char(';'),
        QStringLiteral("; main window background, then Add, Browse, Search, Home, Browser"),
        folder + QStringLiteral("main.png;"),
        folder + QStringLiteral("add.png;"),
        folder + QStringLiteral("browse.png;"),
        folder + QStringLiteral("search.png;"),
        folder + QStringLiteral("home.png;"),
        folder + QStringLiteral("browser.png;"),
    };
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + lineEnd;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: numira_artgen <data/program folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString art = out + QStringLiteral("/art");

    bool ok = drawPictureSet(Steel, art) &&
              save(drawIcon(64, Steel), art + QStringLiteral("/numira.png")) &&
              save(drawIcon(32, Steel), art + QStringLiteral("/tray.png")) &&
              save(drawPointer(Steel), art + QStringLiteral("/pointer.png"));

    // One sample skin ends its lines the Windows way, the other the Unix way; both read alike.
    ok = ok && drawPictureSet(Ocean.palette, out + QStringLiteral("/skins/ocean")) &&
         writeSkinFile(Ocean, out + QStringLiteral("/skins/ocean.ini"), "\r\n");
    ok = ok && drawPictureSet(Ember.palette, out + QStringLiteral("/skins/ember")) &&
         writeSkinFile(Ember, out + QStringLiteral("/skins/ember.ini"), "\n");
    return ok ? 0 : 1;
}

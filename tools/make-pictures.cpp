// Draws the program's pictures: the two button faces, the decoration under the buttons, the
// splash picture and the window icon (PNGs for Linux, a nine-image .ico for Windows).
// Run by the build; usage: pellarin-make-pictures OUTPUT_DIR

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cstdio>
#include <vector>

namespace {

QImage VerticalGradient(int width, int height, QColor top, QColor middle, QColor bottom, QImage::Format format) {
    QImage image(width, height, format);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, height);
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(0.5, middle);
    gradient.setColorAt(1.0, bottom);
    painter.fillRect(image.rect(), gradient);
    return image;
}

// Three stripes of a sheet: a "+" and a "−" on round tiles, and an "=".
void DrawSigns(QPainter& painter, QRectF area, qreal stroke) {
    const qreal size = area.height();
    const QColor tiles[] = {QColor(255, 170, 60), QColor(80, 190, 120), QColor(90, 140, 255)};
    for (int i = 0; i < 3; ++i) {
        const QRectF tile(area.left() + i * size * 1.25, area.top(), size, size);
        painter.setPen(Qt::NoPen);
        painter.setBrush(tiles[i]);
        painter.drawEllipse(tile);
        painter.setPen(QPen(Qt::white, stroke, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = tile.center();
        const qreal arm = size * 0.25;
        painter.drawLine(QPointF(c.x() - arm, c.y() - (i == 2 ? arm / 2 : 0)),
                         QPointF(c.x() + arm, c.y() - (i == 2 ? arm / 2 : 0)));
        if (i == 0) painter.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
        if (i == 2) painter.drawLine(QPointF(c.x() - arm, c.y() + arm / 2), QPointF(c.x() + arm, c.y() + arm / 2));
    }
}

QImage Decoration() {
    QImage image(261, 49, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath band;
    band.addRoundedRect(QRectF(2, 4, 257, 41), 12, 12);
    QLinearGradient gradient(0, 0, 261, 0);
    gradient.setColorAt(0, QColor(255, 250, 230));
    gradient.setColorAt(1, QColor(210, 225, 255));
    painter.fillPath(band, gradient);
    DrawSigns(painter, QRectF(14, 9, 0, 31), 4);
    painter.setPen(QColor(60, 60, 140));
    for (int i = 0; i < 5; ++i) painter.drawLine(130 + i * 24, 16, 146 + i * 24, 16);
    for (int i = 0; i < 5; ++i) painter.drawLine(130 + i * 24, 32, 146 + i * 24, 32);
    return image;
}

QImage Splash() {
    QImage image = VerticalGradient(164, 314, QColor(150, 190, 255), QColor(255, 246, 220), QColor(120, 120, 250),
                                    QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(22, 60, 120, 160), 8, 8);  // a sheet
    painter.setPen(QPen(QColor(170, 170, 200), 2));
    for (int row = 0; row < 7; ++row) painter.drawLine(34, 88 + row * 18, 130, 88 + row * 18);
    DrawSigns(painter, QRectF(30, 240, 0, 34), 5);
    QFont font;
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 120));
    painter.drawText(QRectF(0, 14, 164, 36), Qt::AlignCenter, QStringLiteral("Pellarin"));
    return image;
}

QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(128, 128, 255));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    painter.setPen(QPen(Qt::white, qMax(2.0, size / 7.0), Qt::SolidLine, Qt::RoundCap));
    const qreal c = size / 2.0, arm = size * 0.28;
    painter.drawLine(QPointF(c - arm, c), QPointF(c + arm, c));
    painter.drawLine(QPointF(c, c - arm), QPointF(c, c + arm));
    return image;
}

// One .ico entry as a device-independent bitmap of the given depth: 4 and 8 bits through a
// palette, 24 and 32 bits direct; the AND mask marks transparent pixels.
QByteArray IcoBitmap(const QImage& source, int bits) {
    const int size = source.width();
    // Palette depths use a fixed colour cube: 2 x 2 x 4 levels for 16 colours, 6 x 6 x 6 for 256.
    QVector<QRgb> palette;
    QImage indexed;
    if (bits <= 8) {
        const int rg = bits == 4 ? 2 : 6, b = bits == 4 ? 4 : 6;
        for (int r = 0; r < rg; ++r)
            for (int g = 0; g < rg; ++g)
                for (int k = 0; k < b; ++k) palette.append(qRgb(r * 255 / (rg - 1), g * 255 / (rg - 1), k * 255 / (b - 1)));
        indexed = source.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
        palette.resize(1 << bits);
    }
    QByteArray out;
    auto put32 = [&](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    put32(40);
    put32(size);
    put32(size * 2);
    put16(1);
    put16(bits);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    put32(bits <= 8 ? (1u << bits) : 0);
    put32(0);
    for (QRgb c : palette) put32(c & 0xFFFFFF);
    const int rowBytes = ((size * bits + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < size; ++x) {
            const QRgb c = source.pixel(x, y);
            if (bits == 32) {
                const quint32 bgra = qToLittleEndian(static_cast<quint32>(c));
                memcpy(row.data() + x * 4, &bgra, 4);
            } else if (bits == 24) {
                row[x * 3] = static_cast<char>(qBlue(c));
                row[x * 3 + 1] = static_cast<char>(qGreen(c));
                row[x * 3 + 2] = static_cast<char>(qRed(c));
            } else if (bits == 8) {
                row[x] = static_cast<char>(indexed.pixelIndex(x, y));
            } else {
                const int index = indexed.pixelIndex(x, y) & 0x0F;
                row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
            }
        }
        out.append(row);
    }
    const int maskBytes = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskBytes, '\0');
        for (int x = 0; x < size; ++x) {
            if (qAlpha(source.pixel(x, y)) < 128) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}

QByteArray Ico() {
    struct Entry {
        int size, bits;
    };
    const std::vector<Entry> entries = {{16, 4}, {48, 8}, {32, 8}, {16, 8}, {64, 32},
                                        {48, 32}, {32, 24}, {24, 32}, {16, 32}};
    std::vector<QByteArray> bitmaps;
    for (const Entry& e : entries) bitmaps.push_back(IcoBitmap(Icon(e.size), e.bits));
    QByteArray out;
    auto put16 = [&](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    put16(0);
    put16(1);
    put16(static_cast<quint16>(entries.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.append(static_cast<char>(entries[i].size));
        out.append(static_cast<char>(entries[i].size));
        out.append(static_cast<char>(entries[i].bits == 4 ? 16 : 0));
        out.append('\0');
        put16(1);
        put16(static_cast<quint16>(entries[i].bits));
        put32(static_cast<quint32>(bitmaps[i].size()));
        put32(offset);
        offset += static_cast<quint32>(bitmaps[i].size());
    }
    for (const QByteArray& b : bitmaps) out.append(b);
    return out;
}

bool Save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "pellarin-make-pictures: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellarin-make-pictures OUTPUT_DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) return 1;
    bool ok = Save(VerticalGradient(128, 28, QColor(160, 200, 250), QColor(240, 232, 210), QColor(60, 100, 200),
                                    QImage::Format_RGB888),
                   dir.filePath("face-normal.png"));
    ok &= Save(VerticalGradient(128, 28, QColor(165, 215, 255), QColor(255, 246, 200), QColor(40, 100, 255),
                                QImage::Format_RGB888),
               dir.filePath("face-highlighted.png"));
    ok &= Save(Decoration(), dir.filePath("decoration.png"));
    ok &= Save(Splash(), dir.filePath("splash.png"));
    for (int size : {16, 24, 32, 48, 64}) ok &= Save(Icon(size), dir.filePath(QStringLiteral("icon-%1.png").arg(size)));
    QFile ico(dir.filePath("pellarin.ico"));
    ok &= ico.open(QIODevice::WriteOnly) && ico.write(Ico()) > 0;
    return ok ? 0 : 1;
}

#include "Fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>
#include <cmath>

namespace fonts {
namespace {

// In order of preference: the faces of a Chinese Windows desktop, then the Song and fixed-pitch
// CJK faces of the common Linux font packages.
const QStringList kColumnCandidates = {
    QStringLiteral("SimSun"),           QStringLiteral("宋体"),
    QStringLiteral("NSimSun"),          QStringLiteral("新宋体"),
    QStringLiteral("AR PL UMing CN"),   QStringLiteral("AR PL UMing TW"),
    QStringLiteral("AR PL New Sung"),   QStringLiteral("Noto Sans Mono CJK SC"),
    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
    QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("WenQuanYi Micro Hei Mono"),
};

const QStringList kSongFamilies = {
    QStringLiteral("SimSun"),         QStringLiteral("宋体"),          QStringLiteral("NSimSun"),
    QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
};

QString ChooseColumnFamily() {
    for (const QString& family : kColumnCandidates) {
        if (HasEvenColumns(family)) return family;
    }
    // Anything else the machine has for Chinese that passes.
    for (const QString& family : QFontDatabase::families(QFontDatabase::SimplifiedChinese)) {
        if (HasEvenColumns(family)) return family;
    }
    return QString();  // none: the columns cannot line up; the first Song face is the best left
}

const QString& ColumnFamily() {
    static const QString family = ChooseColumnFamily();
    return family;
}

}  // namespace

bool HasEvenColumns(const QString& family) {
    if (!QFontDatabase::hasFamily(family)) return false;
    // Checked at the box's size and at a large one, where hinting hides nothing.
    for (int pixels : {12, 32}) {
        QFont font(family);
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        const double half = metrics.horizontalAdvance(QLatin1Char('0'));
        auto same = [](double a, double b) { return std::abs(a - b) < 0.01; };
        for (char16_t c = 0x20; c < 0x7F; ++c) {
            if (!same(metrics.horizontalAdvance(QChar(c)), half)) return false;
        }
        // The sheets' Chinese: the plus and minus signs, and the heading.
        for (char16_t c : {u'＋', u'－', u'题', u'班', u'（'}) {
            if (!same(metrics.horizontalAdvance(QChar(c)), 2 * half)) return false;
        }
    }
    return true;
}

QFont Song(double points) {
    QFont font;
    QStringList families = kSongFamilies;
    if (!ColumnFamily().isEmpty()) families << ColumnFamily();
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QFont Columns(double points) {
    if (ColumnFamily().isEmpty()) return Song(points);
    QFont font(ColumnFamily());
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace fonts

namespace fonts {

QFont Figures(double points) {
    QFont font;
    // A sans face with a real bold: the Song faces have none, and their thin strokes look grey
    // at the size of a key's digits. Windows has Arial; Debian has Liberation Sans or DejaVu.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Noto Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    return font;
}

}  // namespace fonts

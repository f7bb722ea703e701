#include "fonts.h"

#include "runtime/twips.h"
#include "strings.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

namespace {
double dotsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}
} // namespace

int toPixels(Twips twips) {
    return toPixels(twips, dotsPerInch());
}

QFont makeFont(const FontDesign& design) {
    QFont font(toQString(design.face));
    font.setPixelSize(pointsToPixels(design.points, dotsPerInch()));
    font.setWeight(static_cast<QFont::Weight>(design.weight));
    return font;
}

void prepareFonts() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    // Without these, fontconfig answers the Windows names with a Latin face (DejaVu).
    QFont::insertSubstitutions(u"ＭＳ 明朝"_s, { u"IPAMincho"_s, u"Noto Serif CJK JP"_s });
    QFont::insertSubstitutions(
        u"ＭＳ Ｐゴシック"_s, { u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s });
    QApplication::setFont(makeFont(defaultFont));
}

} // namespace quorvel::runtime

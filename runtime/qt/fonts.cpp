#include "fonts.h"

#include "runtime/faces.h"
#include "runtime/twips.h"
#include "strings.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace quorvel::runtime {

double screenDotsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

int toPixels(Twips twips) {
    return toPixels(twips, screenDotsPerInch());
}

QFont makeFont(const FontDesign& design) {
    QFont font(toQString(design.face));
    font.setPixelSize(pointsToPixels(design.points, screenDotsPerInch()));
    font.setWeight(static_cast<QFont::Weight>(design.weight));
    return font;
}

void prepareFonts() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    // Without these, fontconfig answers the Windows names with a Latin face (DejaVu). Asking
    // fontconfig which faces it has would slow the start; these are the Japanese faces of
    // Debian's packages (fonts-ipafont, fonts-noto-cjk), and it takes the first it has.
    static const Face japaneseFaces[] = {
        { u"IPAMincho", true, false },
        { u"IPAPMincho", true, true },
        { u"IPAGothic", false, false },
        { u"IPAPGothic", false, true },
        { u"Noto Serif CJK JP", true, true },
        { u"Noto Sans CJK JP", false, true },
    };
    for (const std::u16string_view designed :
        { u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"ＭＳ ゴシック", u"ＭＳ Ｐゴシック" }) {
        QStringList standIns;
        for (const std::u16string& face : facesLike(designed, japaneseFaces))
            standIns.append(toQString(face));
        QFont::insertSubstitutions(toQString(designed), standIns);
    }
    QApplication::setFont(makeFont(defaultFont));
}

} // namespace quorvel::runtime

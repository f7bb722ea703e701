#include "fonts.h"

#include "runtime/twips.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace quorvel::runtime::win32 {

namespace {
bool contains(std::wstring_view name, std::wstring_view part) {
    return name.find(part) != std::wstring_view::npos;
}

int CALLBACK listFace(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM list) {
    auto& faces = *reinterpret_cast<std::vector<Face>*>(list);
    const std::wstring_view name = font->lfFaceName;
    if (name.empty() || name.front() == L'@')
        return 1;
    // The name says more than the family bits, which fonts often leave unset.
    const bool serif = contains(name, L"Mincho") || contains(name, L"明朝")
        || contains(name, L"Serif")
        || (!contains(name, L"Gothic") && !contains(name, L"ゴシック")
            && (font->lfPitchAndFamily & 0xF0) == FF_ROMAN);
    // TMPF_FIXED_PITCH set means a variable pitch.
    const bool proportional = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
    if (std::none_of(
            faces.begin(), faces.end(), [&](const Face& f) { return wide(f.name) == name; }))
        faces.push_back({ utf16(name), serif, proportional });
    return 1;
}

// The face to ask Windows for, chosen once for each designed face from the Japanese faces, which
// are listed once.
const std::wstring& installedFace(std::u16string_view designed) {
    static const std::vector<Face> installed = japaneseFaces();
    static std::map<std::u16string, std::wstring, std::less<>> chosen;
    auto found = chosen.find(designed);
    if (found == chosen.end()) {
        const std::vector<std::u16string> alike = facesLike(designed, installed);
        // With no Japanese face at all, Windows maps the designed name as it can.
        std::wstring face = wide(alike.empty() ? designed : alike.front());
        found = chosen.emplace(std::u16string(designed), std::move(face)).first;
    }
    return found->second;
}
} // namespace

std::vector<Face> japaneseFaces() {
    std::vector<Face> faces;
    LOGFONTW wanted {};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, reinterpret_cast<FONTENUMPROCW>(listFace),
        reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    return faces;
}

HFONT Fonts::get(const FontDesign& design, UINT dotsPerInch) {
    for (const Made& made : made_)
        if (made.design.face == design.face && made.design.points == design.points
            && made.design.weight == design.weight && made.dotsPerInch == dotsPerInch)
            return made.font.get();
    LOGFONTW font {};
    font.lfHeight = -pointsToPixels(design.points, dotsPerInch); // the em, not the cell
    font.lfWeight = design.weight;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring& face = installedFace(design.face);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    made_.push_back({ design, dotsPerInch, Font(CreateFontIndirectW(&font)) });
    return made_.back().font.get();
}

void Fonts::keepOnly(UINT dotsPerInch) {
    std::erase_if(made_, [&](const Made& made) { return made.dotsPerInch != dotsPerInch; });
}

} // namespace quorvel::runtime::win32

#include "faces.h"

#include <algorithm>
#include <tuple>

namespace quorvel::runtime {

namespace {
// What each face of the designs is like.
const Face designedFaces[] = {
    { u"ＭＳ 明朝", true, false },
    { u"ＭＳ Ｐ明朝", true, true },
    { u"ＭＳ ゴシック", false, false },
    { u"ＭＳ Ｐゴシック", false, true },
};
} // namespace

std::vector<std::u16string> facesLike(
    std::u16string_view designed, std::span<const Face> available) {
    Face wanted { std::u16string(designed), false, true };
    for (const Face& face : designedFaces)
        if (face.name == designed)
            wanted = face;
    auto likeness = [&](const Face& face) {
        return std::tuple(face.name == designed, face.serif == wanted.serif,
            face.proportional == wanted.proportional);
    };
    std::vector<const Face*> ranked;
    for (const Face& face : available)
        ranked.push_back(&face);
    std::stable_sort(ranked.begin(), ranked.end(), [&](const Face* a, const Face* b) {
        const auto likenessA = likeness(*a), likenessB = likeness(*b);
        return likenessA != likenessB ? likenessA > likenessB : a->name < b->name;
    });
    std::vector<std::u16string> names;
    for (const Face* face : ranked)
        if (std::find(names.begin(), names.end(), face->name) == names.end())
            names.push_back(face->name);
    return names;
}

} // namespace quorvel::runtime

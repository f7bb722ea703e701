// The version record and the icon of a Windows program, read back from its .exe through the
// functions Explorer uses, against the project's version and names:
//
//   version_record_test PROGRAM.exe

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <span>
#include <string>
#include <vector>

namespace {

std::wstring program; // the .exe under test

constexpr WORD japanese = 0x0411, unicode = 1200;

std::vector<BYTE> versionResource() {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetFileVersionInfoW(program.c_str(), 0, size, data.data()))
        data.clear();
    return data;
}

// A value of the version resource, as VerQueryValueW gives it; empty when it is missing.
template <typename T>
std::span<const T> query(std::vector<BYTE>& resource, const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(resource.data(), path.c_str(), &value, &length))
        return {};
    return { static_cast<const T*>(value), length / sizeof(T) };
}

// A string value; its length, given in characters, counts the final null.
std::wstring queryString(std::vector<BYTE>& resource, const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(resource.data(), path.c_str(), &value, &length) || length == 0)
        return {};
    return { static_cast<const wchar_t*>(value), length - 1 };
}

struct Translation {
    WORD language, codePage;
};

// The program's resources, loaded as data only: nothing of it runs.
class ProgramResources : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(
            program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "cannot load the resources, error " << GetLastError();
    }
    void TearDown() override {
        if (module_)
            FreeLibrary(module_);
    }

    // The bytes of a resource; empty when it is missing.
    std::span<const BYTE> resource(LPCWSTR type, WORD id) const {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(module_, found);
        return { static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module_, found) };
    }

    std::vector<WORD> languages(LPCWSTR type, WORD id) const {
        std::vector<WORD> found;
        EnumResourceLanguagesW(
            module_, type, MAKEINTRESOURCEW(id),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) -> BOOL {
                reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&found));
        return found;
    }

    HMODULE module_ = nullptr;
};

// An icon group resource (RT_GROUP_ICON): an .ico's directory, whose entries name the RT_ICON
// resources that hold the images. <windows.h> does not declare it.
#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved, type, count;
};
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitsPerPixel;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// The entries of an icon group; none when its size is not that of its header and entries.
std::span<const IconGroupEntry> entriesOf(std::span<const BYTE> group) {
    IconGroupHeader header;
    if (group.size() < sizeof header)
        return {};
    std::memcpy(&header, group.data(), sizeof header);
    if (group.size() != sizeof header + header.count * sizeof(IconGroupEntry))
        return {};
    return { reinterpret_cast<const IconGroupEntry*>(group.data() + sizeof header), header.count };
}

} // namespace

TEST(VersionRecord, FixedPartHoldsTheVersionOfAnApplication) {
    std::vector<BYTE> resource = versionResource();
    ASSERT_FALSE(resource.empty()) << "no version record, error " << GetLastError();
    const auto fixed = query<VS_FIXEDFILEINFO>(resource, L"\\");
    ASSERT_EQ(fixed.size(), 1u);
    EXPECT_EQ(fixed[0].dwSignature, VS_FFI_SIGNATURE);
    constexpr WORD numbers[] = { QUORVEL_VERSION_NUMBERS };
    static_assert(std::size(numbers) == 4);
    const DWORD high = MAKELONG(numbers[1], numbers[0]), low = MAKELONG(numbers[3], numbers[2]);
    EXPECT_EQ(fixed[0].dwFileVersionMS, high);
    EXPECT_EQ(fixed[0].dwFileVersionLS, low);
    EXPECT_EQ(fixed[0].dwProductVersionMS, high);
    EXPECT_EQ(fixed[0].dwProductVersionLS, low);
    EXPECT_EQ(fixed[0].dwFileFlags & fixed[0].dwFileFlagsMask, 0u) << "debug or pre-release";
    EXPECT_EQ(fixed[0].dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed[0].dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed[0].dwFileSubtype, 0u);
}

TEST(VersionRecord, StringsAreJapaneseUnicodeAndComplete) {
    std::vector<BYTE> resource = versionResource();
    ASSERT_FALSE(resource.empty()) << "no version record, error " << GetLastError();
    const auto translations = query<Translation>(resource, L"\\VarFileInfo\\Translation");
    ASSERT_EQ(translations.size(), 1u);
    EXPECT_EQ(translations[0].language, japanese);
    EXPECT_EQ(translations[0].codePage, unicode);

    // Explorer finds the strings in the block that the translation names.
    wchar_t block[64];
    std::swprintf(block, std::size(block), L"\\StringFileInfo\\%04x%04x\\",
        translations[0].language, translations[0].codePage);
    const struct {
        const wchar_t* name;
        std::wstring value;
    } strings[] = {
        { L"CompanyName", L"" QUORVEL_MAKER },
        { L"FileVersion", L"" QUORVEL_VERSION_STRING },
        { L"InternalName", L"" QUORVEL_NAME },
        { L"OriginalFilename", L"" QUORVEL_NAME ".exe" },
        { L"ProductName", L"" QUORVEL_NAME },
        { L"ProductVersion", L"" QUORVEL_VERSION_STRING },
    };
    for (const auto& [name, value] : strings)
        EXPECT_EQ(queryString(resource, block + std::wstring(name)), value) << name;
}

TEST_F(ProgramResources, IconGroupHoldsA32And16PixelImageOf16Colours) {
    const auto group = resource(RT_GROUP_ICON, 1);
    ASSERT_FALSE(group.empty()) << "no icon 1";
    EXPECT_EQ(reinterpret_cast<const IconGroupHeader*>(group.data())->type, 1) << "not an icon";
    const auto entries = entriesOf(group);
    ASSERT_EQ(entries.size(), 2u);

    const int sizes[] = { 32, 16 };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IconGroupEntry& entry = entries[i];
        const int size = sizes[i];
        SCOPED_TRACE(testing::Message() << size << " x " << size);
        EXPECT_EQ(entry.width, size);
        EXPECT_EQ(entry.height, size);
        EXPECT_EQ(entry.colourCount, 16);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.bitsPerPixel, 4);

        // The image: a 4-bit bitmap of twice the height (colours, then the transparency mask),
        // with its 16-colour palette.
        const auto image = resource(RT_ICON, entry.id);
        ASSERT_EQ(image.size(), entry.bytes);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD));
        const auto& header = *reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, 4);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        const std::size_t colourRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
        EXPECT_EQ(image.size(),
            sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD) + (colourRow + maskRow) * size);

        // Windows picks this image for an icon of this size, and makes an icon of it.
        EXPECT_EQ(LookupIconIdFromDirectoryEx(
                      const_cast<BYTE*>(group.data()), TRUE, size, size, LR_DEFAULTCOLOR),
            entry.id);
        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), image.size(), TRUE,
            0x00030000, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << "error " << GetLastError();
        ICONINFO info {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colours {};
        ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof colours, &colours));
        EXPECT_EQ(colours.bmWidth, size);
        EXPECT_EQ(colours.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(ProgramResources, VersionRecordAndIconsAreMarkedJapanese) {
    const std::vector<WORD> onlyJapanese = { japanese };
    EXPECT_EQ(languages(RT_VERSION, 1), onlyJapanese) << "version record";
    EXPECT_EQ(languages(RT_GROUP_ICON, 1), onlyJapanese) << "icon group";
    for (const IconGroupEntry& entry : entriesOf(resource(RT_GROUP_ICON, 1)))
        EXPECT_EQ(languages(RT_ICON, entry.id), onlyJapanese) << "image " << entry.id;
}

// Under Wine the path may be a Unix one, which Wine finds on its drive Z:.
int wmain(int argc, wchar_t* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fputs("usage: version_record_test PROGRAM.exe\n", stderr);
        return 2;
    }
    program = argv[1];
    return RUN_ALL_TESTS();
}

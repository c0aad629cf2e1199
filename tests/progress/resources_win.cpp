// The resources Quorvel.dll carries for its progress window: the dialog
// template, the two bar faces (one colour a row), and the version resource,
// all in Japanese (1041).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

HMODULE library() { return GetModuleHandleW(L"Quorvel.dll"); }

// A bar face's row colour: blue for the count done, green for the second.
bool blue(DWORD rgb) { return (rgb & 255) > (rgb >> 16) + 40 && (rgb & 255) > (rgb >> 8 & 255); }
bool green(DWORD rgb) { return (rgb >> 8 & 255) > (rgb >> 16) + 40 && (rgb >> 8 & 255) > (rgb & 255); }

void expect_face(int number, bool (*colour)(DWORD)) {
    SCOPED_TRACE(number);
    EXPECT_NE(FindResourceExW(library(), MAKEINTRESOURCEW(2) /* RT_BITMAP */,
                              MAKEINTRESOURCEW(number), kJapanese),
              nullptr);
    auto face = static_cast<HBITMAP>(
        LoadImageW(library(), MAKEINTRESOURCEW(number), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(face, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(face, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 300);
    EXPECT_EQ(dib.dsBm.bmHeight, 27);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);

    // Every pixel of a row has the row's colour; bottom-up, 4-byte rows.
    const auto *bits = static_cast<const unsigned char *>(dib.dsBm.bmBits);
    int stride = (300 * 3 + 3) & ~3;
    for (int y = 0; y < 27; ++y) {
        const unsigned char *row = bits + (26 - y) * stride;
        const auto rgb = [&](int x) {
            return (DWORD(row[x * 3 + 2]) << 16) | (DWORD(row[x * 3 + 1]) << 8) | row[x * 3];
        };
        EXPECT_TRUE(colour(rgb(0))) << "row " << y << ": " << std::hex << rgb(0);
        for (int x = 1; x < 300; ++x) {
            if (rgb(x) != rgb(0)) {
                ADD_FAILURE() << "row " << y << " x " << x << ": " << std::hex << rgb(x);
                break;
            }
        }
    }
    DeleteObject(face);
}

TEST(ProgressResources, BarFacesAreOneColourARow) {
    ASSERT_NE(library(), nullptr);
    expect_face(140, blue);
    expect_face(141, green);
}

TEST(ProgressResources, DialogAndVersionAreJapanese) {
    EXPECT_NE(FindResourceExW(library(), MAKEINTRESOURCEW(5) /* RT_DIALOG */,
                              MAKEINTRESOURCEW(110), kJapanese),
              nullptr);
    HRSRC version = FindResourceExW(library(), MAKEINTRESOURCEW(16) /* RT_VERSION */,
                                    MAKEINTRESOURCEW(1), kJapanese);
    ASSERT_NE(version, nullptr);
    const auto *data = static_cast<const unsigned char *>(LockResource(LoadResource(library(), version)));
    DWORD size = SizeofResource(library(), version);
    ASSERT_NE(data, nullptr);
    // The fixed part follows the key "VS_VERSION_INFO", marked by its
    // signature; FILEOS and FILETYPE say a Windows DLL.
    const DWORD signature = 0xFEEF04BD;
    const unsigned char *fixed = nullptr;
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4)
        if (std::memcmp(data + at, &signature, 4) == 0) {
            fixed = data + at;
            break;
        }
    ASSERT_NE(fixed, nullptr);
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    EXPECT_EQ(info.dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(info.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
}

}  // namespace

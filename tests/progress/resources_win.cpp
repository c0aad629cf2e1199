// The resources Quorvel.dll carries for its progress window: the dialog
// template, the two bar faces row by row, and the version resource, all in
// Japanese (1041).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

HMODULE library() { return GetModuleHandleW(L"Quorvel.dll"); }

// Rows from the top, as the bar faces are listed.
const DWORD kDoneFace[27] = {
    0x92B7D6, 0x8EB4D5, 0x85AFD2, 0x81ACD1, 0x7DAACF, 0x79A7CE, 0x75A5CD, 0x71A2CC, 0x6EA0CB,
    0x6A9ECA, 0x679CC9, 0x649BC8, 0x6199C7, 0x3A86C5, 0x3A89C8, 0x3B8DCC, 0x3D92D0, 0x3E97D5,
    0x409CDA, 0x42A2DE, 0x44A7E3, 0x46ACE7, 0x48B0EB, 0x49B4EE, 0x4BB7F0, 0x4BB8F0, 0x4BB8EF};
const DWORD kSecondFace[27] = {
    0x94D691, 0x90D58E, 0x88D285, 0x84D181, 0x81CF7D, 0x7CCE78, 0x79CC75, 0x74CC71, 0x71CA6E,
    0x6EC96A, 0x6BC967, 0x69C764, 0x65C661, 0x40C539, 0x41C73A, 0x44CC3A, 0x48D03D, 0x4BD53D,
    0x4FD940, 0x53DE41, 0x57E244, 0x5BE646, 0x5EEB47, 0x61ED49, 0x64F04A, 0x65F04A, 0x65EF4B};

void expect_face(int number, const DWORD (&rows)[27]) {
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

    // Every pixel of a row is the row's colour; bottom-up, 4-byte rows.
    const auto *bits = static_cast<const unsigned char *>(dib.dsBm.bmBits);
    int stride = (300 * 3 + 3) & ~3;
    for (int y = 0; y < 27; ++y) {
        const unsigned char *row = bits + (26 - y) * stride;
        for (int x = 0; x < 300; ++x) {
            DWORD rgb = (DWORD(row[x * 3 + 2]) << 16) | (DWORD(row[x * 3 + 1]) << 8) | row[x * 3];
            if (rgb != rows[y]) {
                ADD_FAILURE() << "row " << y << " x " << x << ": " << std::hex << rgb;
                break;
            }
        }
    }
    DeleteObject(face);
}

TEST(ProgressResources, BarFacesAreOneColourARow) {
    ASSERT_NE(library(), nullptr);
    expect_face(140, kDoneFace);
    expect_face(141, kSecondFace);
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

#include <quorvel/printer.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using test::str16;

// Orientation, paper size, length, width, scale, copies, first and last page.
std::vector<int> fields() {
    return {g_iOrientation, g_iPaperSize, g_iPaperLength, g_iPaperWidth,
            g_iScale,       g_iCopies,    g_iFromPage,    g_iToPage};
}

// This machine has no printer (natively no spooler, under Wine none
// configured): the default printer leaves everything as it was, and Wine
// shows no box for it.
TEST(Printer, WithoutAPrinterNamesSayItAndNothingIsMeasured) {
    Prn_PrinterInit();
    test::MessageBoxCapture capture;
    Prn_GetDefaultPrinter();
    EXPECT_EQ(g_hDevMode, nullptr);
    EXPECT_EQ(g_hDevNames, nullptr);
    EXPECT_EQ(str16(Prn_PrinterName()), u"プリンタが見つからない...");
    EXPECT_EQ(str16(Prn_DriverName()), u"プリンタドライバーが見つからない...");
    EXPECT_EQ(str16(Prn_OutputPort()), u"");
    EXPECT_EQ(Prn_PrinterName(), g_sDeviceName);
    EXPECT_EQ(Prn_GetPrinterDC(), nullptr);
    Prn_GetPrinterSize(nullptr, nullptr);
    Prn_GetPrinterInfo(nullptr);
    EXPECT_TRUE(capture.boxes().empty());

    // A4 portrait, 5 mm margins, untouched by the calls above.
    EXPECT_EQ(fields(), (std::vector<int>{1, 9, 2970, 2100, 100, 1, 1, 1}));
    EXPECT_EQ(g_szPaperSoft.cx, 0);
    EXPECT_EQ((std::vector<double>{g_dszPaperHard.cx, g_dszPaperHard.cy, g_dszMgnHard.cx, g_dszMgnHard.cy,
                                   g_dszMgnSoft.cx, g_dszMgnSoft.cy, g_dszPaperSoft.cx, g_dszPaperSoft.cy}),
              (std::vector<double>{210, 297, 5, 5, 0, 0, 200, 287}));
}

TEST(Printer, HandlesAreCopiedFreedAndRead) {
    EXPECT_EQ(Prn_CopyHandle(nullptr), nullptr);
    Prn_FreeHandle(nullptr);

    // A device-mode block of 220 bytes as a print dialog gives it: B4
    // landscape, three copies.
    HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEW));
    ASSERT_EQ(GlobalSize(mode), 220u);
    auto *block = static_cast<DEVMODEW *>(GlobalLock(mode));
    block->dmOrientation = 2;
    block->dmPaperSize = 12;
    block->dmCopies = 3;
    void *copy = Prn_CopyHandle(mode);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, mode);
    EXPECT_EQ(GlobalSize(copy), 220u);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), block, 220), 0);  // copy locked once
    Prn_GetPrinterInfo(copy);
    EXPECT_EQ(fields(), (std::vector<int>{2, 12, 0, 0, 0, 3, 1, 1}));

    GlobalLock(copy);
    EXPECT_EQ(GlobalFlags(copy) & GMEM_LOCKCOUNT, 2u);
    test::MessageBoxCapture capture;
    Prn_FreeHandle(copy);  // unlocked twice, then freed: nothing to report
    Prn_FreeHandle(mode);
    EXPECT_TRUE(capture.boxes().empty());
}

}  // namespace

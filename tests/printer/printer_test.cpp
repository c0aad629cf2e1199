#include <quorvel/printer.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using test::str16;

// This machine has no printer (no spooler natively; none configured in
// the test's Wine prefix).
TEST(Printer, WithoutAPrinterNamesSayItAndNothingIsMeasured) {
    Prn_PrinterInit();
    {
        test::MessageBoxCapture capture;
        Prn_GetDefaultPrinter();
        EXPECT_TRUE(capture.boxes().empty());
    }
    EXPECT_EQ(g_hDevMode, nullptr);
    EXPECT_EQ(g_hDevNames, nullptr);
    EXPECT_EQ(str16(Prn_PrinterName()), u"プリンタが見つからない...");
    EXPECT_EQ(str16(Prn_DriverName()), u"プリンタドライバーが見つからない...");
    EXPECT_EQ(str16(Prn_OutputPort()), u"");
    EXPECT_EQ(Prn_PrinterName(), g_sDeviceName);
    EXPECT_EQ(Prn_GetPrinterDC(), nullptr);
    Prn_GetPrinterSize(nullptr, nullptr);
    Prn_GetPrinterInfo(nullptr);

    // A4 portrait, 5 mm margins, untouched by the calls above.
    EXPECT_EQ(g_iOrientation, 1);
    EXPECT_EQ(g_iPaperSize, 9);
    EXPECT_EQ(g_iPaperLength, 2970);
    EXPECT_EQ(g_iPaperWidth, 2100);
    EXPECT_EQ(g_iScale, 100);
    EXPECT_EQ(g_iCopies, 1);
    EXPECT_EQ(g_iFromPage, 1);
    EXPECT_EQ(g_iToPage, 1);
    EXPECT_EQ(g_szPaperSoft.cx, 0);
    EXPECT_EQ(g_dszPaperHard.cx, 210.0);
    EXPECT_EQ(g_dszPaperHard.cy, 297.0);
    EXPECT_EQ(g_dszMgnHard.cy, 5.0);
    EXPECT_EQ(g_dszMgnSoft.cx, 0.0);
    EXPECT_EQ(g_dszPaperSoft.cx, 200.0);
    EXPECT_EQ(g_dszPaperSoft.cy, 287.0);
    Prn_PrinterDestroy();
}

TEST(Printer, HandlesAreCopiedFreedAndRead) {
    EXPECT_EQ(Prn_CopyHandle(nullptr), nullptr);
    Prn_FreeHandle(nullptr);

    // A device-mode block of 220 bytes as a print dialog returns it.
    HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEW));
    ASSERT_NE(mode, nullptr);
    ASSERT_EQ(GlobalSize(mode), 220u);
    auto *fields = static_cast<DEVMODEW *>(GlobalLock(mode));
    fields->dmOrientation = 2;
    fields->dmPaperSize = 12;
    fields->dmPaperLength = 3640;
    fields->dmPaperWidth = 2570;
    fields->dmScale = 50;
    fields->dmCopies = 3;
    GlobalUnlock(mode);

    void *copy = Prn_CopyHandle(mode);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, mode);
    EXPECT_EQ(GlobalSize(copy), 220u);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), GlobalLock(mode), 220), 0);  // copy stays locked
    GlobalUnlock(mode);
    Prn_GetPrinterInfo(copy);
    EXPECT_EQ(g_iOrientation, 2);
    EXPECT_EQ(g_iPaperSize, 12);
    EXPECT_EQ(g_iPaperLength, 3640);
    EXPECT_EQ(g_iPaperWidth, 2570);
    EXPECT_EQ(g_iScale, 50);
    EXPECT_EQ(g_iCopies, 3);

    GlobalLock(copy);
    EXPECT_EQ(GlobalFlags(copy) & GMEM_LOCKCOUNT, 2u);
    test::MessageBoxCapture capture;
    Prn_FreeHandle(copy);  // unlocked twice, then freed: no report
    Prn_FreeHandle(mode);
    EXPECT_TRUE(capture.boxes().empty());
}

}  // namespace

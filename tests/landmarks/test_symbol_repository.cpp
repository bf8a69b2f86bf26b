#include <gtest/gtest.h>

#include <filesystem>

#include "file_size_limit.h"
#include "file_bytes.h"
#include "scratch_dir.h"
#include "zylcarto/geomap/landmarks/symbol_repository.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;
using test::ScratchPath;

namespace {

TSymbol Sym(TLandMarkElement Kind, const std::string& Name, int Category) {
    TSymbol s;
    s.Properties = {Kind, 11, 0x00102030, 0x00A0B0C0, true, 135, 25};
    s.Name = Name;
    s.Category = Category;
    return s;
}

}  // namespace

TEST(SymbolRepository, NewRepositoryAndOutOfRangeIndexes) {
    TSymbolRepository rep;
    EXPECT_EQ(rep.NumEntries(), 0);
    EXPECT_EQ(rep.GetValues(1), DefaultSymbolRecord());
    const TSymbol d = DefaultSymbolRecord();
    EXPECT_EQ(d.Properties.Kind, lmCross);
    EXPECT_EQ(d.Properties.Size, 8);
    EXPECT_EQ(d.Properties.BGColor, 0x0000FFu);
    EXPECT_EQ(d.Properties.Direction, 90);
    EXPECT_EQ(d.Properties.Length, 40);
    rep.SetValues(1, Sym(lmSquare, "x", 1));  // ignored
    rep.SetNEntries(-3);
    EXPECT_EQ(rep.NumEntries(), 0);
}

TEST(SymbolRepository, NewEntriesAreZeroEvenAfterAShorterList) {
    TSymbolRepository rep;
    rep.SetNEntries(3);
    for (int i = 1; i <= 3; ++i) rep.SetValues(i, Sym(lmCircle, "c", i));
    rep.SetNEntries(1);
    rep.SetNEntries(3);
    EXPECT_EQ(rep.GetValues(1).Category, 1);
    EXPECT_EQ(rep.GetValues(3).Properties.Kind, lmPlus);
    EXPECT_EQ(rep.GetValues(3).Properties.Size, 0);
    EXPECT_TRUE(rep.GetValues(3).Name.Empty());
}

TEST(SymbolRepository, FileRoundTripAndKindsWithoutAFileName) {
    TSymbolRepository rep;
    rep.SetNEntries(3);
    rep.SetValues(1, Sym(lmSquare, "Square one", 7));
    rep.SetValues(2, Sym(lmPlus, "Plus", -2));
    rep.SetValues(3, Sym(lmUserDef, std::string(50, 'n'), 0));
    const std::string path = ScratchPath("symbols.xml");
    rep.StoreOnFile(path, "Lib");
    const std::string text = test::ReadFile(path);
    const std::string head =
        "<?xml version=\"1.0\"?>\r\n\r\n<!-- TGeoMap Landmark Repository / Zyl Component Suite -->\r\n"
        "<lmsymbols sig=\"ZYLCSuite\" vers=\"1.0\" id=\"Lib\">\r\n<symbol ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("<symbol element=\"Square\" name=\"Square one\" category=\"7\" colorfg=\"00102030\" "
                        "colorbg=\"00A0B0C0\" size=\"11\" transp=\"TRUE\" dir=\"135\" leng=\"25\" />\r\n"),
              std::string::npos);

    TSymbolRepository back;
    ASSERT_TRUE(back.LoadFromFile(path, "LIB"));
    ASSERT_EQ(back.NumEntries(), 3);
    EXPECT_EQ(back.GetValues(1), Sym(lmSquare, "Square one", 7));
    EXPECT_EQ(back.GetValues(2), Sym(lmCross, "Plus", -2));
    EXPECT_EQ(back.GetValues(3), Sym(lmCross, std::string(40, 'n'), 0));

    EXPECT_FALSE(back.LoadFromFile(path, "other"));
    EXPECT_EQ(back.NumEntries(), 3);
    EXPECT_FALSE(back.LoadFromFile(ScratchPath("none.xml"), ""));
}

TEST(SymbolRepository, AStoreThatFailsMidwayLeavesTheOldFile) {
    TSymbolRepository rep;
    rep.SetNEntries(20);
    const std::string path = ScratchPath("kept.xml");
    rep.StoreOnFile(path, "old");
    {
        const zylcarto::test::TFileSizeLimit limit(100);
        EXPECT_THROW(rep.StoreOnFile(path, "new"), EInOutError);
    }
    TSymbolRepository back;
    EXPECT_TRUE(back.LoadFromFile(path, "old"));
    EXPECT_EQ(back.NumEntries(), 20);
}

TEST(SymbolRepository, BackupRestoreAndClear) {
    TSymbolRepository rep;
    rep.SetNEntries(5);
    for (int i = 1; i <= 5; ++i) rep.SetValues(i, Sym(lmTriangle, "t", i));
    rep.Backup();
    rep.SetNEntries(0);
    rep.Restore();
    ASSERT_EQ(rep.NumEntries(), 5);
    EXPECT_EQ(rep.GetValues(5), Sym(lmTriangle, "t", 5));
    rep.Clear();
    EXPECT_EQ(rep.NumEntries(), 5);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(rep.GetValues(i), DefaultSymbolRecord());
}

TEST(SymbolRepository, AssignCopiesEntriesAndBackup) {
    TSymbolRepository a, b;
    a.SetNEntries(2);
    a.SetValues(2, Sym(lmSpade, "s", 9));
    a.Backup();
    a.SetNEntries(1);
    a.AssignTo(&b);
    EXPECT_EQ(b.NumEntries(), 1);
    b.Restore();
    EXPECT_EQ(b.GetValues(2), Sym(lmSpade, "s", 9));
    b.SetValues(1, Sym(lmCircle, "changed", 1));
    EXPECT_NE(a.GetValues(1), b.GetValues(1));  // entries are copied, not shared

    TComponent other;
    EXPECT_THROW(a.Assign(&other), EZYLError);
    EXPECT_THROW(a.AssignTo(&other), EZYLError);
    EXPECT_THROW(a.Assign(nullptr), EZYLError);
}

#include "print/PicturesFrm.h"
#include "print/PrintSurface.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(PicturesFrm, SlotMisuseIsAPrintFailure) {
    struct Case {
        const char* name;
        std::function<void(PicturesFrm&)> misuse;
    };
    const std::vector<Case> cases = {
        {"CreateTheTemplate", [](PicturesFrm& p) { p.CreateDocImg(0); }},
        {"CreateNegative", [](PicturesFrm& p) { p.CreateDocImg(-1); }},
        {"CreateTwice", [](PicturesFrm& p) { p.CreateDocImg(1), p.CreateDocImg(1); }},
        {"DestroyTheTemplate", [](PicturesFrm& p) { p.DestroyDocImg(0); }},
        {"DestroyMissing", [](PicturesFrm& p) { p.DestroyDocImg(2); }},
        {"DestroyTwice",
         [](PicturesFrm& p) { p.CreateDocImg(1), p.DestroyDocImg(1), p.DestroyDocImg(1); }},
        {"ReadMissing", [](PicturesFrm& p) { p.DocImg(1); }},
        {"LoadIntoMissing",
         [](PicturesFrm& p) { p.LoadDocImg(1, "C:\\QSET_DEMOS\\QUOTATION\\GLOBE.WMF"); }},
        {"LoadMissingFile",
         [](PicturesFrm& p) { p.CreateDocImg(1), p.LoadDocImg(1, "C:\\QSET_DEMOS\\NONE.WMF"); }},
        {"LoadAFolder",
         [](PicturesFrm& p) { p.CreateDocImg(1), p.LoadDocImg(1, "C:\\QSET_DEMOS\\"); }},
    };
    for (const Case& c : cases) {
        PicturesFrm pictures;
        EXPECT_THROW(c.misuse(pictures), PrintFailure) << c.name;
    }
}

TEST(PicturesFrm, LoadsByWindowsPathInAnyCaseAndUnloadEmptiesIt) {
    PicturesFrm pictures;
    pictures.CreateDocImg(1);
    pictures.CreateDocImg(2);
    pictures.LoadDocImg(1, "c:\\qset_demos\\quotation\\globe.wmf");
    pictures.LoadDocImg(2, "C:/QSET_DEMOS/FORMATED TEXT/sample1.bmp");
    EXPECT_TRUE(pictures.DocImg(1).isVector());
    EXPECT_EQ(pictures.DocImg(2).naturalSize(), QSize(198, 189));
    EXPECT_TRUE(pictures.DocImg(0).isNull()) << "the template holds no picture";
    EXPECT_EQ(pictures.HighestDocImg(), 2);
    pictures.Unload();
    EXPECT_EQ(pictures.HighestDocImg(), 0);
    EXPECT_NO_THROW(pictures.CreateDocImg(1));
}

} // namespace
} // namespace quillset::test

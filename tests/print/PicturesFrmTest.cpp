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
        {"CreateTheTemplate", [](PicturesFrm& p) { p.createDocImg(0); }},
        {"CreateNegative", [](PicturesFrm& p) { p.createDocImg(-1); }},
        {"CreateTwice", [](PicturesFrm& p) { p.createDocImg(1), p.createDocImg(1); }},
        {"DestroyTheTemplate", [](PicturesFrm& p) { p.destroyDocImg(0); }},
        {"DestroyMissing", [](PicturesFrm& p) { p.destroyDocImg(2); }},
        {"DestroyTwice",
         [](PicturesFrm& p) { p.createDocImg(1), p.destroyDocImg(1), p.destroyDocImg(1); }},
        {"ReadMissing", [](PicturesFrm& p) { p.DocImg(1); }},
        {"LoadIntoMissing",
         [](PicturesFrm& p) { p.loadDocImg(1, "C:\\QSET_DEMOS\\QUOTATION\\GLOBE.WMF"); }},
        {"LoadMissingFile",
         [](PicturesFrm& p) { p.createDocImg(1), p.loadDocImg(1, "C:\\QSET_DEMOS\\NONE.WMF"); }},
        {"LoadAFolder",
         [](PicturesFrm& p) { p.createDocImg(1), p.loadDocImg(1, "C:\\QSET_DEMOS\\"); }},
    };
    for (const Case& c : cases) {
        PicturesFrm pictures;
        EXPECT_THROW(c.misuse(pictures), PrintFailure) << c.name;
    }
}

TEST(PicturesFrm, LoadsByWindowsPathInAnyCaseAndUnloadEmptiesIt) {
    PicturesFrm pictures;
    pictures.createDocImg(1);
    pictures.createDocImg(2);
    pictures.loadDocImg(1, "c:\\qset_demos\\quotation\\globe.wmf");
    pictures.loadDocImg(2, "C:/QSET_DEMOS/FORMATED TEXT/sample1.bmp");
    EXPECT_TRUE(pictures.DocImg(1).isVector());
    EXPECT_EQ(pictures.DocImg(2).naturalSize(), QSize(198, 189));
    EXPECT_TRUE(pictures.DocImg(0).isNull()) << "the template holds no picture";
    EXPECT_EQ(pictures.highestDocImg(), 2);
    pictures.unload();
    EXPECT_EQ(pictures.highestDocImg(), 0);
    EXPECT_NO_THROW(pictures.createDocImg(1));
}

} // namespace
} // namespace quillset::test

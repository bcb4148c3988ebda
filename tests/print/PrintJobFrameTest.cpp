#include "platform/DateText.h"
#include "tests/support/FrameServices.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

using Kind = RecordingSurface::Kind;

constexpr char16_t kGlobe[] = u"C:\\QSET_DEMOS\\QUOTATION\\GLOBE.WMF";

TEST(PrintJobFrame, SettingsComeFirstInOrderAndTheScheduleAddsSettingOne) {
    for (bool schedule : {false, true}) {
        FrameServices f;
        PrintJobLayout layout;
        layout.deviceSettingOne = schedule;
        layout.footerY = 15045;
        std::int32_t widthSeen = 0, heightSeen = 0;
        RunPrintJob(f.services, layout, [&](PrintSurface& page) {
            widthSeen = page.Width();
            heightSeen = page.Height();
        });
        const auto& ops = f.lastPage().operations();
        std::vector<std::pair<Kind, int>> settings;
        for (const auto& op : ops)
            if (op.kind == Kind::DeviceSetting || op.kind == Kind::PrintQuality)
                settings.emplace_back(op.kind, op.code);
        std::vector<std::pair<Kind, int>> expected = {{Kind::DeviceSetting, 2},
                                                      {Kind::PrintQuality, -4}};
        if (schedule)
            expected.emplace_back(Kind::DeviceSetting, 1);
        EXPECT_EQ(settings, expected) << "schedule " << schedule;
        EXPECT_EQ(ops.front().kind, Kind::DeviceSetting);
        EXPECT_EQ(widthSeen, 12189);
        EXPECT_EQ(heightSeen, 15874);
    }
}

TEST(PrintJobFrame, FooterEndOfDocumentPointerAndMessage) {
    FrameServices f;
    PointerShape pointerDuringJob = PointerShape::Default;
    const PrintJobResult result = RunPrintJob(f.services, {false, 15045}, [&](PrintSurface& page) {
        pointerDuringJob = f.pointer.shape();
        page.SetFontName("MS Sans Serif");
        page.SetForeColor(0x123456);
        page.SetFontSize(8.25f);
    });
    EXPECT_TRUE(result.sent);
    EXPECT_TRUE(result.failure.isEmpty());
    EXPECT_EQ(pointerDuringJob, PointerShape::Hourglass);
    EXPECT_EQ(f.pointer.shape(), PointerShape::Arrow);

    const auto texts = f.lastPage().texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, GeneralDateText(f.clock.now()) + " - Page 1 ");
    EXPECT_FLOAT_EQ(texts[0].x, 567);
    EXPECT_FLOAT_EQ(texts[0].y, 15045);
    EXPECT_FLOAT_EQ(texts[0].fontSize, 10);
    EXPECT_EQ(texts[0].fontName, "MS Sans Serif") << "face as last set";
    EXPECT_EQ(texts[0].color, 0x123456u) << "colour as last set";
    EXPECT_EQ(f.lastPage().operations().back().kind, Kind::EndDocument);
    EXPECT_FALSE(f.lastPageHas(Kind::Abort));

    ASSERT_EQ(f.dialogs.messages().size(), 1u);
    EXPECT_EQ(f.dialogs.messages()[0].title, "QUOTATION");
    EXPECT_EQ(f.dialogs.messages()[0].text, "1 page(s) sent to printer");
    EXPECT_EQ(f.dialogs.messages()[0].buttons, MessageButtons::Ok);
}

TEST(PrintJobFrame, APageWrittenToAFileNamesItsPathOnTheMessagesSecondLine) {
    struct Case {
        const char* name;
        QString documentFile;
        QString message;
    };
    for (const Case& c : {Case{"PrinterQueue", "", "1 page(s) sent to printer"},
                          Case{"PdfFile", "/home/ann/Documents/quotation-1.pdf",
                               "1 page(s) sent to printer\n/home/ann/Documents/quotation-1.pdf"}}) {
        FrameServices f;
        f.services.openPage = [&] {
            auto page = std::make_shared<RecordingSurface>();
            page->writtenFile = c.documentFile;
            return page;
        };
        RunPrintJob(f.services, {false, 15045}, [](PrintSurface&) {});
        ASSERT_EQ(f.dialogs.messages().size(), 1u) << c.name;
        EXPECT_EQ(f.dialogs.messages()[0].text, c.message) << c.name;
    }
}

TEST(PrintJobFrame, SlotsAreCreatedFromOneAndAllDestroyedAfterTheJob) {
    FrameServices f;
    std::vector<int> created;
    RunPrintJob(f.services, {false, 15045}, [&](PrintSurface& page) {
        for (int i = 0; i < 3; ++i) {
            PlacePictureFile(page, f.pictures, {kGlobe, 100, 100, 500, 500});
            created.push_back(f.pictures.highestDocImg());
        }
    });
    EXPECT_EQ(created, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(f.pictures.highestDocImg(), 0);
    EXPECT_FALSE(f.pictures.isLoaded());
    int pictures = 0;
    for (const auto& op : f.lastPage().operations())
        pictures += op.kind == Kind::Picture && op.vectorPicture;
    EXPECT_EQ(pictures, 3);
}

// A page whose device fails when the document ends.
class FailingEndSurface : public RecordingSurface {
public:
    void EndDocument() override { throw PrintFailure("device error"); }
};

struct FailureCase {
    const char* name;
    bool pageOpens;
    std::function<void(PrintSurface&, PicturesFrm&)> content;
    bool failAtEnd = false;
};

TEST(PrintJobFrame, AnyFailureAbortsRestoresThePointerAndSaysNothing) {
    const std::vector<FailureCase> cases = {
        {"MissingPicture", true,
         [](PrintSurface& page, PicturesFrm& pictures) {
             PlacePictureFile(page, pictures, {kGlobe, 0, 0, 10, 10});
             PlacePictureFile(page, pictures,
                              {u"C:\\QSET_DEMOS\\QUOTATION\\NOPE.WMF", 0, 0, 10, 10});
         }},
        {"NoPrinter", false, [](PrintSurface&, PicturesFrm&) {}},
        {"OtherRuntimeError", true,
         [](PrintSurface&, PicturesFrm&) { throw std::runtime_error("out of paper"); }},
        {"DeviceErrorAtEnd", true, [](PrintSurface&, PicturesFrm&) {}, true},
    };
    QTemporaryDir state;
    const QByteArray savedState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    for (const FailureCase& c : cases) {
        QFile::remove(state.filePath("quillset/quotation.log"));
        FrameServices f;
        std::shared_ptr<RecordingSurface> page;
        f.services.openPage = [&]() -> std::shared_ptr<PrintSurface> {
            if (!c.pageOpens)
                throw PrintFailure("there is no printer named \"none\"");
            page = c.failAtEnd ? std::make_shared<FailingEndSurface>()
                               : std::make_shared<RecordingSurface>();
            return page;
        };
        const PrintJobResult result = RunPrintJob(
            f.services, {false, 15045}, [&](PrintSurface& p) { c.content(p, f.pictures); });
        EXPECT_FALSE(result.sent) << c.name;
        EXPECT_FALSE(result.failure.isEmpty()) << c.name;
        QFile log(state.filePath("quillset/quotation.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << c.name << ": the failure leaves a trace";
        EXPECT_TRUE(QString::fromUtf8(log.readAll())
                        .endsWith(" quotation letter print: " + result.failure + "\n"))
            << c.name;
        EXPECT_EQ(f.pointer.shape(), PointerShape::Arrow) << c.name;
        EXPECT_TRUE(f.dialogs.messages().empty()) << c.name;
        EXPECT_EQ(f.pictures.highestDocImg(), 0) << c.name;
        if (page) {
            EXPECT_EQ(page->operations().back().kind, Kind::Abort) << c.name;
            for (const auto& op : page->operations())
                EXPECT_NE(op.kind, Kind::EndDocument) << c.name;
        }
    }
    qputenv("XDG_STATE_HOME", savedState);
}

TEST(PrintJobFrame, ASecondJobAfterAFailedOneStartsAgainFromSlotOne) {
    FrameServices f;
    const auto twoThenFail = [&](PrintSurface& page) {
        PlacePictureFile(page, f.pictures, {kGlobe, 0, 0, 10, 10});
        PlacePictureFile(page, f.pictures, {kGlobe, 0, 0, 10, 10});
        throw PrintFailure("device error");
    };
    EXPECT_FALSE(RunPrintJob(f.services, {false, 15045}, twoThenFail).sent);
    int firstSlot = -1;
    const PrintJobResult second = RunPrintJob(f.services, {false, 15045}, [&](PrintSurface& page) {
        PlacePictureFile(page, f.pictures, {kGlobe, 0, 0, 10, 10});
        firstSlot = f.pictures.highestDocImg();
    });
    EXPECT_TRUE(second.sent) << second.failure.toStdString();
    EXPECT_EQ(firstSlot, 1);
    ASSERT_EQ(f.dialogs.messages().size(), 1u);
    EXPECT_EQ(f.dialogs.messages()[0].text, "1 page(s) sent to printer");
}

} // namespace
} // namespace quillset::test

#include "print/PrintJobFrame.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/FailureLog.h"
#include "platform/MousePointer.h"
#include "print/PicturesFrm.h"

namespace quillset {

namespace {

constexpr int kDeviceSettingBoth = 2;
constexpr int kDeviceSettingSchedule = 1;
constexpr int kHighQuality = -4;

} // namespace

PrintJobResult RunPrintJob(PrintJobServices& services, const PrintJobLayout& layout,
                           const std::function<void(PrintSurface& page)>& content) {
    services.pointer.setShape(PointerShape::Hourglass);
    const std::int16_t pageCount = 1;
    std::shared_ptr<PrintSurface> page;
    try {
        page = services.openPage();
        page->applyDeviceSetting(kDeviceSettingBoth);
        page->setPrintQuality(kHighQuality);
        if (layout.deviceSettingOne)
            page->applyDeviceSetting(kDeviceSettingSchedule);
        page->SetWidth(kPageWidth);
        page->SetHeight(kPageHeight);

        content(*page);

        page->SetCurrentX(567);
        page->SetCurrentY(layout.footerY);
        page->SetFontSize(10);
        page->PrintText(GeneralDateText(services.clock.now()) + QStringLiteral(" - Page 1 "));

        page->EndDocument();
        services.pictures.destroyAllAndUnload();
    } catch (const std::exception& failure) {
        services.pointer.setShape(PointerShape::Arrow);
        if (page)
            page->AbortDocument();
        services.pictures.unload();
        const QString reason = QString::fromStdString(failure.what());
        const FailureRecord record{services.programName, services.documentName,
                                   QStringLiteral("print"), reason};
        LogFailure(record);
        if (services.tellFailure)
            services.tellFailure(record);
        return {false, reason, {}};
    }
    services.pointer.setShape(PointerShape::Arrow);
    MessageBoxRequest message;
    message.title = services.applicationTitle;
    message.text = QString::number(pageCount) + QStringLiteral(" page(s) sent to printer");
    // A page that went to a file is only found again by its path.
    const QString file = page->documentFile();
    if (!file.isEmpty())
        message.text += u'\n' + file;
    services.dialogs.showMessage(message);
    return {true, {}, file};
}

void PlacePictureFile(PrintSurface& page, PicturesFrm& pictures,
                      const PictureFilePlacement& placement) {
    const auto [windowsPath, x, y, width, height] = placement;
    const int index = pictures.highestDocImg() + 1;
    pictures.createDocImg(index);
    pictures.loadDocImg(index, QString::fromUtf16(windowsPath));
    page.DrawPicture(pictures.DocImg(index), x, y, width, height);
}

void PlacePicture(PrintSurface& page, PicturesFrm& pictures, const Picture& picture, float x,
                  float y, std::int16_t width, std::int16_t height) {
    const int index = pictures.highestDocImg() + 1;
    pictures.createDocImg(index);
    pictures.setDocImg(index, picture);
    page.DrawPicture(pictures.DocImg(index), x, y, width, height);
}

} // namespace quillset

#include "quotation/Module1.h"

#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/TrimSpaces.h"
#include "print/PageText.h"
#include "print/PicturesFrm.h"
#include "print/PrintSurface.h"

namespace quillset {

namespace {

constexpr OleColor kTeal = 0x808000;
constexpr OleColor kBlack = 0;
constexpr float kFooterY = 15045;

constexpr PictureFilePlacement kPictures[] = {
    {u"C:\\QSET_DEMOS\\QUOTATION\\GLOBE.WMF", 577, 570, 1515, 1695},
    {u"C:\\QSET_DEMOS\\QUOTATION\\LINE.WMF", 2265, 1315, 9615, 100},
    {u"C:\\QSET_DEMOS\\QUOTATION\\LINE2.WMF", 585, 2260, 3405, 100},
};

} // namespace

QuotationFormContents StartingQuotation() {
    return {QStringLiteral("Robert Miller"),
            QStringLiteral("4352 Hillstreets, Toronto CA"),
            QStringLiteral("Susan Clarke"),
            {QStringLiteral("$10.00 - Delivery to Canada"),
             QStringLiteral("$15.00 - Delivery to Mexico"),
             QStringLiteral("$45.00 - Delivery to Japan!")}};
}

Module1 StringsToPrint(const QString& customerName, const QString& customerAddress,
                       const QString& signerName) {
    return {TrimSpaces(customerName).toString(), TrimSpaces(customerAddress).toString(),
            TrimSpaces(signerName).toString()};
}

void DrawQuotation(PrintSurface& page, PicturesFrm& pictures, const Module1& strings,
                   const CostItems& list, const QDate& today) {
    page.DrawLine(8520, 13042, 11910, 13042, kWindowTextColor);

    pictures.load();
    for (const PictureFilePlacement& picture : kPictures)
        PlacePictureFile(page, pictures, picture);

    const QString arial = QStringLiteral("Arial");
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    PrintTextAt(page, 2265, 765, kTeal, arial, 24, QStringLiteral("World Express Delivery Inc."));
    PrintTextAt(page, 2265, 1500, kWindowTextColor, arial, 8.25f,
                QStringLiteral("3254 Hillwood Lane"));
    PrintTextAt(page, 11235, 1500, kWindowTextColor, arial, 8.25f, QStringLiteral("Dallas TX"));
    PrintTextAt(page, 2265, 1785, kWindowTextColor, arial, 8.25f,
                QStringLiteral("Phone: (481) 453-5454"));
    PrintTextAt(page, 9975, 1770, kWindowTextColor, arial, 8.25f,
                QStringLiteral("www.wedelivery.com"));
    PrintTextAt(page, 585, 3855, kWindowTextColor, arial, 9.75f, QStringLiteral("Dear Sirs."));
    PrintTextAt(page, 8805, 12255, kWindowTextColor, arial, 8.25f, QStringLiteral("Sincerely"));
    PrintTextAt(page, 8805, 13425, kBlack, arial, 9.75f,
                QStringLiteral("We deliver while you're resting..."));
    PrintTextAt(
        page, 555, 4155, kWindowTextColor, arial, 9.75f,
        QStringLiteral("This are the prices that you requested about our shiping services:"));
    PrintTextAt(page, 8505, 2625, kWindowTextColor, sansSerif, 8.25f, LongDateText(today));
    PrintTextAt(page, 585, 3135, kWindowTextColor, sansSerif, 8.25f, strings.CustomerName);
    PrintTextAt(page, 585, 3465, kWindowTextColor, sansSerif, 8.25f, strings.CustomerAddress);
    PrintTextAt(page, 8805, 13095, kWindowTextColor, sansSerif, 8.25f, strings.SignerName);

    PrintListItems(page, 570, 4508, list.count(), [&](int i) { return list.item(i); });
}

PrintJobResult PrintQuotation(PrintJobServices& services, const Module1& strings,
                              const CostItems& list) {
    PrintJobLayout layout;
    layout.footerY = kFooterY;
    return RunPrintJob(services, layout, [&](PrintSurface& page) {
        DrawQuotation(page, services.pictures, strings, list, services.clock.now().date());
    });
}

} // namespace quillset

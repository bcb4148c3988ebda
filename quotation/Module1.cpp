#include "Module1.h"

#include "Clock.h"
#include "DateText.h"
#include "PicturesFrm.h"
#include "PrintSurface.h"

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

void printAt(PrintSurface& page, float x, float y, OleColor color, const QString& face, float size,
             const QString& text) {
    page.SetCurrentX(x);
    page.SetCurrentY(y);
    page.SetForeColor(color);
    page.SetFontName(face);
    page.SetFontSize(size);
    page.PrintText(text);
}

} // namespace

void DrawQuotation(PrintSurface& page, PicturesFrm& pictures, const Module1& strings,
                   const CostItems& list, const QDate& today) {
    page.DrawLine(8520, 13042, 11910, 13042, WindowTextColor);

    pictures.Load();
    for (const PictureFilePlacement& picture : kPictures)
        PlacePictureFile(page, pictures, picture);

    const QString arial = QStringLiteral("Arial");
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    printAt(page, 2265, 765, kTeal, arial, 24, QStringLiteral("World Express Delivery Inc."));
    printAt(page, 2265, 1500, WindowTextColor, arial, 8.25f, QStringLiteral("3254 Hillwood Lane"));
    printAt(page, 11235, 1500, WindowTextColor, arial, 8.25f, QStringLiteral("Dallas TX"));
    printAt(page, 2265, 1785, WindowTextColor, arial, 8.25f,
            QStringLiteral("Phone: (481) 453-5454"));
    printAt(page, 9975, 1770, WindowTextColor, arial, 8.25f, QStringLiteral("www.wedelivery.com"));
    printAt(page, 585, 3855, WindowTextColor, arial, 9.75f, QStringLiteral("Dear Sirs."));
    printAt(page, 8805, 12255, WindowTextColor, arial, 8.25f, QStringLiteral("Sincerely"));
    printAt(page, 8805, 13425, kBlack, arial, 9.75f,
            QStringLiteral("We deliver while you're resting..."));
    printAt(page, 555, 4155, WindowTextColor, arial, 9.75f,
            QStringLiteral("This are the prices that you requested about our shiping services:"));
    printAt(page, 8505, 2625, WindowTextColor, sansSerif, 8.25f, LongDateText(today));
    printAt(page, 585, 3135, WindowTextColor, sansSerif, 8.25f, strings.CustomerName);
    printAt(page, 585, 3465, WindowTextColor, sansSerif, 8.25f, strings.CustomerAddress);
    printAt(page, 8805, 13095, WindowTextColor, sansSerif, 8.25f, strings.SignerName);

    page.SetCurrentX(570);
    page.SetCurrentY(4508);
    float Y = 4508;
    page.SetForeColor(WindowTextColor);
    page.SetFontName(sansSerif);
    page.SetFontSize(8.25f);
    // No page break and no bound: a long list runs on down the page over the closing block.
    for (int i = 0; i < list.ListCount(); ++i) {
        page.SetCurrentX(570);
        page.SetCurrentY(Y);
        Y = Y + 22 * page.FontSize();
        page.SetForeColor(WindowTextColor);
        page.SetFontName(sansSerif);
        page.SetFontSize(8.25f);
        page.PrintText(list.List(i));
    }
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

#pragma once

#include "print/PrintJobFrame.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace quillset {

class PicturesFrm;
class PrintSurface;

inline const QString kQuotationTitle = QStringLiteral("QUOTATION");

// The module-level strings the form hands to the print job just before it runs.
struct Module1 {
    QString CustomerName;
    QString CustomerAddress;
    QString SignerName;
};

// What the form's text boxes and list box hold at start.
struct QuotationFormContents {
    QString customerName;
    QString customerAddress;
    QString signerName;
    QStringList costItems;
};
QuotationFormContents StartingQuotation();

// The strings the "Print Quotation" click hands the job: each box without its surrounding spaces.
Module1 StringsToPrint(const QString& customerName, const QString& customerAddress,
                       const QString& signerName);

// The form's list box as the job reads it: the item count and each item's text.
class CostItems {
public:
    virtual ~CostItems() = default;
    virtual int count() const = 0;
    virtual QString item(int index) const = 0;
};

class CostItemList : public CostItems {
public:
    explicit CostItemList(QStringList items) : items_(std::move(items)) {}
    int count() const override { return int(items_.size()); }
    QString item(int index) const override { return items_.at(index); }

private:
    QStringList items_;
};

// Prints the one-page quotation letter through the print-job frame: letterhead pictures and
// lines, date, addressee, greeting, one line per cost item, closing and footer.
PrintJobResult PrintQuotation(PrintJobServices& services, const Module1& strings,
                              const CostItems& list);

// The letter's content on the page, between the frame's page settings and its footer.
void DrawQuotation(PrintSurface& page, PicturesFrm& pictures, const Module1& strings,
                   const CostItems& list, const QDate& today);

} // namespace quillset

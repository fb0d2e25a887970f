// The payee's details beside the code: a long name or purpose takes a smaller type, the largest that
// keeps the details inside their column, receipt after receipt on the same paper.

#include "demo_data.h"
#include "documents/receipt_window.h"

#include <QFontMetrics>
#include <QLabel>
#include <gtest/gtest.h>
#include <string>

namespace {

documents::Receipt receipt(const std::string& name, const std::string& number)
{
    documents::Receipt r;
    r.number = number;
    r.month = 10;
    r.year = "2026";
    r.date = "Октябрь 2026";
    r.name = name;
    r.values[documents::TotalDue] = "3867,17";
    r.totalText = "3867,17";
    return r;
}

bool fits(const QLabel* label, double points)
{
    QFont font = label->font();
    font.setPointSizeF(points);
    return QFontMetrics(font)
               .boundingRect(QRect(0, 0, label->width(), 100000),
                   int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), label->text())
               .height()
        <= label->height();
}

TEST(ReceiptPaper, LongDetailsTakeTheLargestTypeThatFits)
{
    documents::PayeeDetails payee = demoPayee();
    // As long as the payee's window lets them be.
    payee.name = "Садоводческое некоммерческое товарищество собственников недвижимости «Ромашка-2» "
                 "Лесного сельского поселения Приозерского муниципального района обл.";
    payee.bankName = "ПАО «Примербанк» Северо-Западный филиал, СПб";
    payee.purpose = "Оплата электроэнергии за {месяц} {год} года по лицевому счёту {номер}, потребитель "
                    "{ФИО}, садовый участок, потери и обслуживание сетей, плательщик {ФИО}, получатель {ФИО}";
    const std::string longName = "Константинопольская-Переславская Анастасия-Виктория Александровна";
    const std::vector<documents::Receipt> receipts = { receipt("Ли Ю.", "1"), receipt(longName, "2"),
        receipt("Петрова К. Л.", "3"), receipt(longName, "4") };

    ReceiptPaper many;
    many.setPaperLook(true);
    for (const documents::Receipt& r : receipts) {
        many.showReceipt(r, payee);
        const QLabel* details = many.payeeText(0);
        const double points = details->font().pointSizeF();
        EXPECT_LE(points, 7);
        EXPECT_TRUE(fits(details, points)) << r.name;
        if (points < 7) {
            EXPECT_FALSE(fits(details, points + 0.5)) << r.name;
        }
        EXPECT_EQ(many.payeeText(1)->font(), details->font());
        // The same as a paper that shows this receipt alone.
        ReceiptPaper alone;
        alone.setPaperLook(true);
        alone.showReceipt(r, payee);
        EXPECT_EQ(alone.payeeText(0)->font().pointSizeF(), points) << r.name;
    }
    // The long details do not fit in the largest type; short ones do.
    many.showReceipt(receipts[1], payee);
    EXPECT_LT(many.payeeText(0)->font().pointSizeF(), 7);
    many.showReceipt(receipts[0], demoPayee());
    EXPECT_EQ(many.payeeText(0)->font().pointSizeF(), 7);
}

} // namespace

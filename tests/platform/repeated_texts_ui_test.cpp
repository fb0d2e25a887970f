// Texts laid out once for a long printout, and the heights of wrapped texts measured line by line:
// the paper and the measures come out exactly as Qt's own drawing and measuring make them.

#include "platform/repeated_texts.h"
#include "platform/wrapped_text.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Text
{
    QRectF rect;
    int flags;
    QString text;
    QFont font;
};

// The receipts' type, and another with other widths and heights.
const QString Liberation = QStringLiteral("Liberation Sans");
const QString DejaVu = QStringLiteral("DejaVu Sans");

QFont font(double points, bool bold = false, const QString& family = Liberation)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

const QString Details = QStringLiteral("Получатель: СНТ «Ромашка»\nИНН / КПП: 7707083893 / 770701001\n"
                                       "Р/с: 40702810900000000025\nБанк: ПАО «Примербанк»\nБИК: 044514512\n"
                                       "Корр. счёт: 30101817000000000512\nНазначение платежа: ");

std::vector<Text> texts()
{
    const int labelFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip;
    return {
        { QRectF(112, 56, 480, 20), labelFlags, QStringLiteral("Показания счетчика на конец месяца, кВт*Ч"),
            font(9) },
        { QRectF(112, 84, 480, 20), labelFlags, QStringLiteral("ИТОГО  К ОПЛАТЕ, Руб"), font(9, true) },
        { QRectF(691, 170, 113, 44), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip,
            QStringLiteral("Отсканируйте QR-код в приложении банка для оплаты"), font(7) },
        { QRectF(691, 214, 146, 292), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip,
            Details + QStringLiteral("Электроэнергия за октябрь 2026, Петрова Клавдия Львовна, л/с 17"),
            font(7) },
        { QRectF(10, 400, 200, 60), Qt::AlignLeft | Qt::AlignBottom | Qt::TextDontClip,
            QStringLiteral("Две строки\nодна под другой"), font(8, false, DejaVu) },
        { QRectF(10, 480, 40, 30), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextDontClip,
            QStringLiteral("Слово_длиннее_строки и ещё"), font(9) },
        // Drawn by drawText each time: aligned right, and clipped.
        { QRectF(600, 56, 75, 20), Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
            QStringLiteral("3601,06"), font(9, true) },
        { QRectF(128, 600, 60, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("25.11.2026 и далее"),
            font(9) },
    };
}

// The page as the PDF writer puts it down: its content, unpacked.
QByteArray pageContent(const std::function<void(QPainter&)>& draw)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        QPainter painter(&writer);
        painter.scale(1200 / 96.0, 1200 / 96.0);
        draw(painter);
    }
    const QByteArray& pdf = file.data();
    const qsizetype start = pdf.indexOf("stream\n") + 7;
    const qsizetype end = pdf.indexOf("\nendstream", start);
    // qUncompress wants the size first; it makes more room when that is too small.
    QByteArray packed("\x00\x10\x00\x00", 4);
    packed += pdf.mid(start, end - start);
    return qUncompress(packed);
}

TEST(RepeatedTexts, TextsThatComeBackAreDrawnAsDrawTextDrawsThem)
{
    std::vector<Text> all = texts();
    // The payee's details over a purpose of each receipt's own, wrapped, centred or in the middle.
    const int wrap = Qt::TextWordWrap | Qt::TextDontClip;
    const QStringList purposes = { QStringLiteral("Электроэнергия за октябрь 2026, Ли Ю., л/с 1"),
        QStringLiteral("Электроэнергия за октябрь 2026, Константинопольская-Переславская Анастасия, л/с 2"),
        QStringLiteral("Электроэнергия за октябрь 2026, Петрова К. Л., л/с 3") };
    // Three times over, as three receipts: the first time drawn as they come, then from the layouts.
    const auto page = [&](RepeatedTexts* repeated) {
        return pageContent([&](QPainter& painter) {
            for (int receipt = 0; receipt < 3; ++receipt) {
                std::vector<Text> page = all;
                const QString details = Details + purposes[receipt];
                page.push_back(
                    { QRectF(691, 520, 146, 292), Qt::AlignLeft | Qt::AlignTop | wrap, details, font(7) });
                page.push_back({ QRectF(691, 820, 146, 400), Qt::AlignHCenter | Qt::AlignVCenter | wrap,
                    details, font(6.5) });
                page.push_back(
                    { QRectF(10, 700, 300, 60), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                        QStringLiteral("Одна строка\n") + purposes[receipt], font(8, true) });
                for (const Text& t : page) {
                    painter.setFont(t.font);
                    painter.setPen(receipt == 1 ? Qt::darkBlue : Qt::black);
                    const QRectF rect = t.rect.translated(0, receipt * 10);
                    if (repeated)
                        repeated->draw(painter, rect, t.flags, t.text);
                    else
                        painter.drawText(rect, t.flags, t.text);
                }
            }
        });
    };
    RepeatedTexts repeated;
    const QByteArray drawn = page(nullptr);
    ASSERT_GT(drawn.size(), 1000);
    EXPECT_EQ(page(&repeated), drawn);
    // Line by line: the texts that come back (not the right-aligned one, nor the clipped one) with the
    // seven lines of the details over the same purpose and the two of "Две строки"; then the details
    // in the smaller type and the line over a purpose, but none of the purposes that change.
    EXPECT_EQ(repeated.layoutCount(), (4 + 7 + 2) + 6 + 1);
}

TEST(RepeatedTexts, OnlyTextsThatComeBackAreLaidOut)
{
    RepeatedTexts repeated;
    pageContent([&](QPainter& painter) {
        painter.setFont(font(9));
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip;
        for (int i = 0; i < 5000; ++i)
            repeated.draw(painter, QRectF(10, 10, 300, 20), flags, QStringLiteral("Абонент %1").arg(i));
        for (int i = 0; i < 3; ++i)
            repeated.draw(painter, QRectF(10, 40, 300, 20), flags, QStringLiteral("Итого , кВт*Ч"));
    });
    EXPECT_EQ(repeated.layoutCount(), 1);
}

TEST(WrappedTextHeights, MeasuresAsTheFontMetricsDo)
{
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    std::vector<QString> all;
    for (const QString& name : { QStringLiteral("Ли Ю."), QStringLiteral("Петрова Клавдия Львовна"),
             QStringLiteral("Константинопольская-Переславская Анастасия-Виктория Александровна") }) {
        all.push_back(Details + QStringLiteral("Электроэнергия за октябрь 2026, ") + name
            + QStringLiteral(", л/с 2817"));
    }
    all.push_back(QStringLiteral("Одна строка"));
    all.push_back(QStringLiteral("Р/с: 40702810900000000025409876543210"));
    all.push_back(QStringLiteral("  с пробелами в начале\n и в начале второй строки  "));
    // Measured as a whole: empty lines, a last line break, a tab.
    all.push_back(QStringLiteral("Первая\n\nтретья"));
    all.push_back(QStringLiteral("Последняя строка\n"));
    all.push_back(QStringLiteral("Колонка\tи ещё"));

    WrappedTextHeights heights;
    for (const QString& family : { Liberation, DejaVu }) {
        for (const bool bold : { false, true }) {
            for (double points = 7; points >= 5; points -= 0.5) {
                for (const int width : { 60, 146, 400 }) {
                    for (const QString& text : all) {
                        const QFont f = font(points, bold, family);
                        const int expected
                            = QFontMetrics(f).boundingRect(QRect(0, 0, width, 100000), flags, text).height();
                        // Twice: the second time the lines are remembered.
                        for (int time = 0; time < 2; ++time)
                            EXPECT_EQ(heights.height(f, width, text), expected)
                                << family.toStdString() << " " << points << " " << width << " "
                                << text.toStdString();
                    }
                }
            }
        }
    }
}

} // namespace

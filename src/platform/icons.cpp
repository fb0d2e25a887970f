#include "platform/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const char* themeName(Picture picture)
{
    switch (picture) {
    case Picture::Save: return "document-save";
    case Picture::Print: return "document-print";
    case Picture::Directory: return "x-office-address-book";
    case Picture::Ledger: return "accessories-text-editor";
    case Picture::Calculator: return "accessories-calculator";
    case Picture::Chart: return "utilities-system-monitor";
    case Picture::Export: return "x-office-spreadsheet";
    case Picture::Help: return "help-browser";
    case Picture::Settings: return "preferences-system";
    case Picture::BankImport: return "document-import";
    }
    return "";
}

void drawPicture(QPainter& p, Picture picture)
{
    const QColor ink(40, 60, 100);
    const QColor paper(250, 250, 245);
    p.setPen(QPen(ink, 1.5));
    switch (picture) {
    case Picture::Save:
        p.setBrush(QColor(70, 110, 180));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(9, 18, 14, 10));
        break;
    case Picture::Print:
        p.setBrush(paper);
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(9, 19, 14, 10));
        p.drawLine(QPointF(12, 23), QPointF(20, 23));
        p.drawLine(QPointF(12, 26), QPointF(20, 26));
        break;
    case Picture::Directory:
        p.setBrush(QColor(180, 90, 60));
        p.drawRoundedRect(QRectF(6, 3, 21, 26), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(10, 7, 13, 6));
        p.drawLine(QPointF(6, 8), QPointF(3, 8));
        p.drawLine(QPointF(6, 15), QPointF(3, 15));
        p.drawLine(QPointF(6, 22), QPointF(3, 22));
        break;
    case Picture::Ledger:
        p.setBrush(paper);
        p.drawRect(QRectF(5, 3, 22, 26));
        for (int y = 9; y <= 25; y += 4)
            p.drawLine(QPointF(8, y), QPointF(24, y));
        p.drawLine(QPointF(16, 6), QPointF(16, 27));
        break;
    case Picture::Calculator:
        p.setBrush(QColor(90, 90, 100));
        p.drawRoundedRect(QRectF(6, 2, 20, 28), 2, 2);
        p.setBrush(QColor(200, 230, 200));
        p.drawRect(QRectF(9, 5, 14, 6));
        p.setBrush(paper);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRect(QRectF(9 + col * 5, 14 + row * 5, 3.5, 3.5));
        break;
    case Picture::Chart: {
        p.setBrush(paper);
        p.drawRect(QRectF(3, 3, 26, 26));
        p.setPen(QPen(QColor(200, 40, 40), 2.5));
        QPainterPath path(QPointF(6, 24));
        path.lineTo(11, 16);
        path.lineTo(16, 19);
        path.lineTo(21, 9);
        path.lineTo(26, 12);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        break;
    }
    case Picture::Export:
        p.setBrush(QColor(230, 245, 230));
        p.drawRect(QRectF(3, 6, 18, 22));
        for (int y = 12; y <= 24; y += 4)
            p.drawLine(QPointF(3, y), QPointF(21, y));
        p.drawLine(QPointF(10, 6), QPointF(10, 28));
        p.setPen(QPen(QColor(30, 130, 60), 2.5));
        p.drawLine(QPointF(16, 12), QPointF(29, 12));
        p.drawLine(QPointF(24, 7), QPointF(29, 12));
        p.drawLine(QPointF(24, 17), QPointF(29, 12));
        break;
    case Picture::Help: {
        p.setBrush(QColor(60, 120, 200));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(20);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Picture::Settings:
        p.setBrush(QColor(150, 150, 160));
        p.drawEllipse(QRectF(6, 6, 20, 20));
        p.setBrush(paper);
        p.drawEllipse(QRectF(12, 12, 8, 8));
        break;
    case Picture::BankImport: {
        // A bank's front, and the money coming down from it.
        p.setBrush(QColor(200, 185, 140));
        QPainterPath roof(QPointF(2, 10));
        roof.lineTo(14, 3);
        roof.lineTo(26, 10);
        roof.closeSubpath();
        p.drawPath(roof);
        for (int x : { 5, 12, 19 })
            p.drawRect(QRectF(x, 11, 4, 11));
        p.drawRect(QRectF(2, 22, 24, 3));
        p.setPen(QPen(QColor(30, 130, 60), 2.5));
        p.drawLine(QPointF(27, 12), QPointF(27, 29));
        p.drawLine(QPointF(23, 25), QPointF(27, 29));
        p.drawLine(QPointF(31, 25), QPointF(27, 29));
        break;
    }
    }
}

} // namespace

QIcon drawnIcon(Picture picture)
{
    QIcon icon;
    for (int size : { 32, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        drawPicture(painter, picture);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QImage programImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // At 16 pixels a thin outline blurs into the fill: the small sizes draw without one.
    const bool small = size < 24;
    const QColor ink(25, 45, 85);
    p.setPen(small ? QPen(Qt::NoPen) : QPen(ink, 1.0));
    p.setBrush(QColor(45, 95, 170));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    // The meter's dial: a pale window with a row of digits.
    p.setBrush(QColor(235, 240, 245));
    p.drawRoundedRect(QRectF(5, 20, 22, 8), 2, 2);
    if (!small) {
        p.setPen(QPen(ink, 1.2));
        for (int x = 8; x <= 23; x += 5)
            p.drawLine(QPointF(x, 22.5), QPointF(x + 2, 22.5));
    }
    QPainterPath bolt(QPointF(18, 2.5));
    bolt.lineTo(8, 13.5);
    bolt.lineTo(15, 13.5);
    bolt.lineTo(12, 21);
    bolt.lineTo(24, 9.5);
    bolt.lineTo(17, 9.5);
    bolt.closeSubpath();
    p.setPen(small ? QPen(Qt::NoPen) : QPen(QColor(150, 90, 0), 1.0));
    p.setBrush(QColor(255, 200, 40));
    p.drawPath(bolt);
    p.end();
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(QPixmap::fromImage(programImage(size)));
    return icon;
}

QIcon pictureIcon(Picture picture)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName(picture)), drawnIcon(picture));
}

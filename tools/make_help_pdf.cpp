// Turns the user's guide (HTML with pictures beside it) into Help.pdf:
//   make_help_pdf <help.html> <Help.pdf>
// A picture that has not been taken yet is left out together with its caption: every picture of
// the guide stands in a paragraph of its own, <p class="figure"><img src="…">…</p>.

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

QString withoutMissingPictures(const QString& html, const QDir& folder, int& missing)
{
    static const QRegularExpression figure(
        QStringLiteral(R"re(<p class="figure">\s*<img[^>]*src="([^"]+)"[^>]*>.*?</p>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    QString result;
    qsizetype last = 0;
    for (auto it = figure.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += html.mid(last, match.capturedStart() - last);
        if (QFileInfo::exists(folder.filePath(match.captured(1))))
            result += match.captured(0);
        else
            ++missing;
        last = match.capturedEnd();
    }
    result += html.mid(last);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <help.html> <Help.pdf>\n", argv[0]);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(in.errorString()));
        return 1;
    }
    const QDir folder = QFileInfo(source).absoluteDir();
    int missing = 0;
    const QString html = withoutMissingPictures(QString::fromUtf8(in.readAll()), folder, missing);
    if (missing > 0)
        std::fprintf(stderr, "make_help_pdf: %d pictures not taken yet are left out\n", missing);

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setBaseUrl(QUrl::fromLocalFile(folder.absolutePath() + QLatin1Char('/')));
    document.setHtml(html);
    document.setMetaInformation(
        QTextDocument::DocumentTitle, QStringLiteral("Терволин: руководство пользователя"));

    // Written beside the target and renamed, so that a broken run leaves no half-written guide.
    const QString temporary = target + QStringLiteral(".tmp");
    {
        QPdfWriter writer(temporary);
        writer.setTitle(QStringLiteral("Терволин: руководство пользователя"));
        writer.setCreator(QStringLiteral("Терволин"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(20, 15, 15, 12), QPageLayout::Millimeter));
        QPainter painter(&writer);
        if (!painter.isActive()) {
            std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
            return 1;
        }
        // The page's printable area less a footer line for the page number.
        const QRectF area(QPointF(0, 0), writer.pageLayout().paintRectPixels(writer.resolution()).size());
        const QFontMetricsF footerMetrics(font, &writer);
        const qreal footer = footerMetrics.height() * 2;
        const QSizeF body(area.width(), area.height() - footer);
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(body);
        const int pages = document.pageCount();
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            const QRectF shown(QPointF(0, page * body.height()), body);
            painter.save();
            painter.translate(0, -shown.top());
            document.drawContents(&painter, shown);
            painter.restore();
            painter.setFont(QFont(font, &writer));
            painter.setPen(Qt::darkGray);
            painter.drawText(QRectF(0, body.height(), area.width(), footer), Qt::AlignCenter,
                QStringLiteral("Терволин — руководство пользователя   ·   %1").arg(page + 1));
        }
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}

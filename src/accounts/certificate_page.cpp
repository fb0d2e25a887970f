#include "accounts/certificate_page.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "documents/payee_settings.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QLabel>

using namespace documents;

namespace {

constexpr int PageWidth = 11906;
constexpr int PageHeight = 16838;
constexpr int Left = 1400;
constexpr int Right = 10700;

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* textLabel(QWidget* page, const QString& name, const QString& text, int top, double points, bool bold,
    Qt::Alignment alignment)
{
    QLabel* label
        = pageLabel(page, name, text, QRect(Left, top, Right - Left, 300), alignment | Qt::AlignTop, bold);
    label->setFont(pageFont(points, bold));
    label->setWordWrap(true);
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, label->width(), 100000),
                                 int(alignment | Qt::AlignTop | Qt::TextWordWrap), text);
    label->setFixedHeight(needed.height() + 4);
    return label;
}

} // namespace

frmSpravka::frmSpravka(AppState& state, int record, const ledger::CertificateCheck& check, QWidget* parent)
    : SheetsPage(state, parent), m_record(record)
{
    setObjectName(QStringLiteral("frmSpravka"));
    makePaper(this, PageWidth, PageHeight);
    const QDate today = state.services.clock.now().date();
    m_year = today.year();
    m_name = fromStd(std::string(state.table.field(record, fields::FullName)));
    // An archive is only looked into: its copies take no number of the year's count.
    if (!state.archiveView()) {
        m_count = ledger::nextCertificateNumber(
            state.services.settings.value(CertificateSection, QString::number(m_year)).toStdString());
        m_number = fromStd(ledger::certificateNumber(m_year, m_count));
    }

    const std::string partnership = readPayee(state.services.settings).name;
    const ledger::CertificateText text = ledger::certificateText(state.table, record, check,
        { m_number.toStdString(), today.toString(QStringLiteral("dd.MM.yyyy")).toStdString(), partnership });

    int y = 900;
    const auto next = [&y](QLabel* label, int gap) { y = label->y() * 15 + label->height() * 15 + gap; };
    if (!partnership.empty())
        next(textLabel(
                 this, QStringLiteral("lblPartnership"), fromStd(partnership), y, 11, true, Qt::AlignHCenter),
            1000);
    else
        y = 1900;
    next(textLabel(this, QStringLiteral("lblTitle"), fromStd(text.title), y, 16, true, Qt::AlignHCenter), 60);
    next(
        textLabel(this, QStringLiteral("lblSubtitle"), fromStd(text.subtitle), y, 12, true, Qt::AlignHCenter),
        240);
    next(textLabel(
             this, QStringLiteral("lblNumber"), fromStd(text.numberLine), y, 11, false, Qt::AlignHCenter),
        700);
    QStringList paragraphs;
    for (const std::string& p : text.paragraphs)
        paragraphs << QStringLiteral("      ") + fromStd(p);
    m_body = textLabel(this, QStringLiteral("lblBody"), paragraphs.join(QStringLiteral("\n\n")), y, 11, false,
        Qt::AlignLeft);
    next(m_body, 1400);
    next(textLabel(this, QStringLiteral("lblSign"),
             QStringLiteral("Казначей                ____________________ / ____________________ /"), y, 11,
             false, Qt::AlignLeft),
        500);
    textLabel(this, QStringLiteral("lblStamp"), QStringLiteral("М. П."), y, 11, false, Qt::AlignLeft);
}

QString frmSpravka::frameCaption() const
{
    return QStringLiteral("Справка об отсутствии задолженности");
}

QString frmSpravka::pdfName() const
{
    return pdfFileName({ QStringLiteral("Справка"), m_number, m_name });
}

void frmSpravka::printSheet()
{
    if (printShownSheet(m_state, *this))
        numberGiven();
}

void frmSpravka::savePdf()
{
    if (saveShownSheetPdf(m_state, *this))
        numberGiven();
}

void frmSpravka::numberGiven()
{
    if (m_number.isEmpty())
        return;
    SettingsStore& settings = m_state.services.settings;
    const QString key = QString::number(m_year);
    // A certificate given from another window meanwhile keeps its number: the count never goes back.
    const int stored
        = ledger::nextCertificateNumber(settings.value(CertificateSection, key).toStdString()) - 1;
    if (stored < m_count) {
        settings.setValue(CertificateSection, key, QString::number(m_count));
        settings.sync();
    }
}

void openNoDebtCertificate(AppState& state, int record)
{
    const std::optional<ledger::CertificateCheck> check = ledger::checkNoDebt(state.table, record);
    if (!check)
        return;
    if (!check->issued) {
        state.services.dialogs.message(
            { fromStd(check->refusal), QStringLiteral("Справка об отсутствии задолженности"),
                MessageIcon::Information, MessageButtons::Ok, Answer::Ok });
        return;
    }
    auto* frame = new MDIfrmPrint(state);
    frame->setPage(new frmSpravka(state, record, *check));
    frame->show();
}

#pragma once

// The printed "Справка об отсутствии задолженности", and how it is asked for: only for an account
// that ends its last month with data without a debt; otherwise a message says the debt. Each
// certificate given takes the next number of its year, kept in the settings once it has gone to
// paper or into a PDF; a copy printed from an archive has a blank for its number instead.

#include "accounts/no_debt_certificate.h"
#include "documents/preview_frame.h"

class AppState;
class QLabel;

class frmSpravka : public SheetsPage
{
    Q_OBJECT
public:
    frmSpravka(AppState& state, int record, const ledger::CertificateCheck& check, QWidget* parent = nullptr);

    QString frameCaption() const override;
    QString pdfName() const override;
    void printSheet() override;
    void savePdf() override;

    // "2027-015", or empty in the archive view.
    const QString& number() const { return m_number; }
    QLabel* body() const { return m_body; }

private:
    // The number is taken once the paper is out.
    void numberGiven();

    int m_record = 0;
    int m_year = 0;
    int m_count = 0;
    QString m_number;
    QString m_name;
    QLabel* m_body = nullptr;
};

// The certificate of the record in the preview frame, or the message that it is not given.
void openNoDebtCertificate(AppState& state, int record);

namespace documents {
// The settings' section of the certificates' counters: a key per year, the last number given.
inline const QString CertificateSection = QStringLiteral("Spravka");
} // namespace documents

#pragma once

// frmRedakt "Редактирование справочника": the five directory fields of the subscriber chosen in
// the directory, stored with "Ok" and dropped with "Отмена".

#include "directory/subscriber_form.h"

class frmRedakt : public SubscriberForm
{
    Q_OBJECT
public:
    // Edits the record of the given row.
    frmRedakt(AppState& state, QWidget* directoryWindow, CloseGuard& guard, int row);

    int row() const { return m_row; }
    QPushButton* Command1() const { return m_command1; }

    void Cmd1_Click();

signals:
    // The record's fields are stored and the file written.
    void stored(int row);

protected:
    int lastTakenRow() const override;
    bool isNewName(const QString& name) const override;

private:
    int m_row = 0;
    QString m_presentName;
    QPushButton* m_command1 = nullptr;
};

#pragma once

// frmAdd "Добавление нового абонента": new subscribers are written one after another behind the
// last record with "Добавить" and become part of the directory, all together, with "Занести в
// базу". Closing the dialog with subscribers added but not yet stored asks whether to store them.

#include "directory/subscriber_form.h"

class frmAdd : public SubscriberForm
{
    Q_OBJECT
public:
    frmAdd(AppState& state, QWidget* directoryWindow, CloseGuard& guard);

    // Subscribers written since the dialog opened, not yet confirmed.
    int addedCount() const { return m_added; }
    QPushButton* CmdOk() const { return m_cmdOk; }

    void Cmd1_Click();
    void CmdOk_Click();
    // Empties the five boxes.
    void CLEAN();

signals:
    // The additions are in the directory and in the file.
    void confirmed();

protected:
    int lastTakenRow() const override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The added subscribers join the directory and the file is written.
    void storeAdditions();

    QPushButton* m_cmdOk = nullptr;
    int m_added = 0;
};

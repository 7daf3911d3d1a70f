#pragma once
// The batch piece-entry window, docked as a page of the host's page control: a worker list
// with ticks, quick search and the batch entry through the host module's own buttons.
#include "batchpiece/workersearch.h"
#include "contract/pluginform.h"

class QHeaderView;
class QLineEdit;
class QListWidget;
class QToolButton;
class TMSNPopUp;
class TRadioGroup;

class TPlxzForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TPlxzForm(QWidget *parent = nullptr);

    // Fills the worker list; when the window is created.
    void FillWorkers();

    TRadioGroup *RadioGroup2;
    QToolButton *SpeedButton1;
    QLineEdit *Edit1;
    QHeaderView *HeaderControl2;
    QListWidget *CheckListBox1;
    TMSNPopUp *MSNPopUp1;

    void RadioGroup2Click();
    void HeaderControl2SectionClick(int section);
    void Edit1Change();
    void SpeedButton1Click();

    // Worker numbers and names of the list, in list order.
    const QList<batchpiece::WorkerItem> &workers() const { return m_workers; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill(const QString &sql);
    enum class BatchOutcome { NotStarted, Cancelled, Done, Undone };
    // The batch; after a failure everything it added is undone and `failure` says why.
    BatchOutcome addBatch(QString *failure);
    QList<batchpiece::WorkerItem> m_workers;
};

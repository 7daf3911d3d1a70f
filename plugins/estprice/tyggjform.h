#pragma once
// The estimating window: piece price from the local wage level (or the wage a price yields),
// write-back of the price into the product's process, the wage-difference analysis and the
// carton formulas of one enterprise.
#include "contract/pluginform.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TMyNavigator;
class TRadioGroup;

namespace wage { class DataGrid; class Dataset; class DataSource; }

class TYggjForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TYggjForm(QWidget *parent = nullptr);

    // Binds the process list to the host's current product and lays out its grid.
    void SetUpData();
    // Size and place from Usertem.ini once the window is shown; dates and the analysis table.
    void PlaceWindow();

    QTabWidget *PageControl1;
    QLineEdit *LEdit1, *LEdit2, *LEdit3, *LEdit4, *LEdit5;
    TRadioGroup *RadioGroup1;
    QLabel *LabelNote;
    TMyNavigator *MyNavigator1;
    QToolButton *ToolButton1, *ToolButton2;
    wage::DataGrid *DBGridEhL;
    QDateEdit *DateTimePicker1, *DateTimePicker2;
    QPushButton *Button1;
    wage::DataGrid *DBGridEh1;

    TRadioGroup *RadioGroup2;
    QGroupBox *GroupBox2;
    QLineEdit *ZxLEdit1, *ZxLEdit2, *ZxLEdit3, *ZxLEdit4, *ZxLEdit5;
    QCheckBox *CheckBox1;
    QLabel *ZxNote;
    QGroupBox *GroupBox3;
    QLineEdit *KlLEdit1, *KlLEdit2, *KlLEdit3, *KlLEdit4, *KlLEdit5, *KlLEdit6, *KlLEdit7;
    TRadioGroup *RadioGroup3, *RadioGroup4;
    QLabel *Label1;

    wage::Dataset *ADOQuery1 = nullptr;
    wage::DataSource *DataSource1 = nullptr;
    wage::Dataset *ADOQuery2 = nullptr;
    wage::DataSource *DataSource2 = nullptr;

    void jisuan(QLineEdit *changed);
    void ZxChange();
    void KlChange();
    void ToolButton1Click();
    void ToolButton2Click();
    void Button1Click();
    void MyNavigator1Click(const QString &caption);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showNote(const QString &text);
    bool m_calculating = false;
};

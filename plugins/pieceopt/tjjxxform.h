#pragma once
// The piece-rate options dialog: the switches of tempconfig, the opening query of the
// piece-record module, order mode and the lookups of the piece-record fields.
#include "contract/pluginform.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TRadioGroup;

class TJJXXForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TJJXXForm(QWidget *parent = nullptr);

    // Loads the stored switches into the controls; on every showing.
    void LoadSwitches();

    TRadioGroup *RadioGroup0;
    QLineEdit *Edit1;
    QPushButton *BitBtn1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QPushButton *BitBtn3;
    TRadioGroup *RadioGroup1;
    QCheckBox *CheckBox5;
    QCheckBox *CheckBox6;
    QPushButton *BitBtn2;
    QCheckBox *CheckBox4;
    TRadioGroup *Price_mode;
    TRadioGroup *Price_type;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox7;
    QToolButton *SpeedButton1;
    QToolButton *SpeedButton2;

    // The query text last applied to the host's record set; cleared when the window closes.
    QString appliedQuery;

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Price_modeClick();
    void RadioGroup0Click();
    void RadioGroup1Click();
    void CheckBox2Click();

    // The lookup string of f_jijm.ry_name for the worker source chosen.
    static QString workerLookup(bool fromAttendance, bool deptInWorkers, bool deptInAttendance);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void notice(TRadioGroup *group);
    void storeSwitch(const QString &key, int value);
    void storeStatisticsMode();
    void rewardEnvironment(bool rewardOn);
    void dailyWageColumns();
};

#pragma once
// The piece-price adjustment window: the single-process page (condition, process list, price
// lists, the records of one process, the price-adjustment sheet), the global page (formula or
// fixed value over the displayed records) and the options dialog. Record changes go through
// the host's own piece-record dataset so that the host's grids show them; every handler keeps
// database errors to itself (shown or logged).
#include "contract/pluginform.h"

#include <QPointer>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWidget;
class TMSNPopUp;
class TMyImport;
class Tchoice;
class Tprogress;

#include "db/datasource.h"

namespace wage { class DataGrid; }
namespace priceadj { class BatchTransaction; class ProgressPacer; class RadioGroup; }

class TGxtzForm : public wage::PluginForm {
    Q_OBJECT
public:
    TGxtzForm(const QString &versionLabel, Tprogress *progress, QWidget *parent = nullptr);
    ~TGxtzForm() override;

    // The start-up additions when the window is created (after the host objects are attached).
    void setUpWindow();
    // Before every showing: the controls that depend on the user and the dialect.
    void prepareShow();

    // --- components (designer names)
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;   // 单一工序调整
    QWidget *TabSheet2 = nullptr;   // 全局调整
    QWidget *ChoicePanel = nullptr; // the builder with 查询 and 工价为空
    Tchoice *choice1 = nullptr;
    QPushButton *BitBtn2 = nullptr;   // 查询
    QCheckBox *CheckBox3 = nullptr;   // 工价为空
    QGroupBox *GroupBox1 = nullptr;
    QTabWidget *PageControl2 = nullptr;
    wage::Dataset *ADOQuery1 = nullptr;
    wage::DataSource *DataSource1 = nullptr;
    wage::DataGrid *DBGrid1 = nullptr;
    QWidget *Panel5 = nullptr;
    wage::Dataset *F_PriceAdjust = nullptr;
    wage::DataSource *DataSource_Imp = nullptr;
    wage::DataGrid *DBGridEh_Imp = nullptr;
    TMyImport *MyImport1 = nullptr;
    QPushButton *BitBtn15 = nullptr, *BitBtn12 = nullptr, *BitBtn13 = nullptr, *BitBtn14 = nullptr,
                *BitBtn11 = nullptr, *BitBtn10 = nullptr, *BitBtn4 = nullptr, *BitBtn16 = nullptr;
    QPushButton *BitBtn5 = nullptr;   // 列宽
    wage::DataGrid *DBGrid2 = nullptr;
    QListWidget *ListBox1 = nullptr;  // 历史价格
    QListWidget *ListBox2 = nullptr;  // 基础资料现行价格
    QGroupBox *GroupBox_Hist = nullptr, *GroupBox_Base = nullptr;
    QGroupBox *GroupBox4 = nullptr;   // 4、开始调整 ...
    QComboBox *ComboBox2 = nullptr;
    QLineEdit *LEdit1 = nullptr;
    QPushButton *BitBtn7 = nullptr;   // 调整 (single process)
    QCheckBox *CheckBox1 = nullptr;   // 基础资料同步调整
    QPushButton *BitBtn8 = nullptr;   // 选项设置
    priceadj::RadioGroup *RadioGroup2 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QPushButton *BitBtn3 = nullptr;   // 帮助
    QPushButton *BitBtn1 = nullptr;   // 关闭
    QWidget *Panel_Global = nullptr;
    QGroupBox *GroupBox6 = nullptr;
    QRadioButton *RadioButton1 = nullptr;   // 调价公式
    QRadioButton *RadioButton2 = nullptr;   // 固定值
    QComboBox *ComboBox3 = nullptr, *ComboBox4 = nullptr, *ComboBox5 = nullptr;
    QLabel *Label_Equals = nullptr;
    QLineEdit *Edit2 = nullptr;
    priceadj::RadioGroup *RadioGroup1 = nullptr;   // 更新方式
    priceadj::RadioGroup *RadioGroup3 = nullptr;
    QPushButton *BitBtn9 = nullptr;   // 调整 (global)
    wage::DataGrid *TemDBGridEh = nullptr;
    TMSNPopUp *MSNPopUp1 = nullptr;

    // --- state
    QString workTable() const { return scratchTable; }
    bool stopFlag() const { return m_stop; }
    wage::DataSource *hostSource() const { return m_hostSource; }
    wage::Dataset *hostDataset() const;

    // --- handlers and operations
    void BitBtn2Click();
    void DataSource1StateChange();
    void DBGridEh1CellClick();
    // True when the host dataset now holds the records of that process.
    bool ShowProcessRecords(const QString &processNo);
    void BitBtn7Click();
    void BitBtn9Click();
    void Edit2Change();
    void RadioButtonClick();
    void CheckBox1Click();
    void SpeedButton1Click();
    void PageControl1Change();
    void PageControl2Change();
    void BitBtn3Click();
    void BitBtn5Click();
    void BitBtn8Click();
    void GridColumnWidths(const QString &key, wage::DataGrid *grid, int mode);

    // sheet (tool bar Panel5)
    void OpenPriceAdjustTable();
    void BitBtnTClick(int tag);
    void BitBtn16Click();
    void ActivateByProcessList();
    void ActivateByWorkTable();
    void ApplySheetLine(const QString &processNo, const QString &desc);
    bool CanSyncBaseData(const QString &processNo);
    QStringList FormulaAssignments(const QString &table);
    // Pastes rows of tab-separated text into the sheet from the current line on.
    void pasteSheetText(const QString &text);

    // Adjustable items as stored (F_jijm_TZGJ), loaded into ComboBox2.
    void loadAdjustableItems();
    QString conditionText() const;        // trimmed predicate of the builder
    QString conditionDescription() const; // readable text of the builder

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildSinglePage();
    void buildGlobalPage();
    void buildSheetTab(QWidget *tab);
    void wireHandlers();
    void FormShow();
    void FormCloseQuery();
    void FormClose();
    bool FormKeyDown(QWidget *target, int key);
    void setStatusCount();
    void cancelPendingHostEdit();
    void refillPriceLists(const QString &processNo);
    void refillPriceListsAfterRun(const QString &processNo);
    QString currentProcessNo() const;
    QString adjustableFieldName(const QString &caption, bool globalLookup);
    // Runs a handler body: a database error is logged and shown, never passed to the host.
    template <typename Body>
    void guarded(const QString &caption, Body body)
    {
        try {
            body();
        } catch (const std::exception &e) {
            reportFailure(caption, e);
        }
    }
    void reportFailure(const QString &caption, const std::exception &e);

    // sheet steps
    void sheetImport();
    void sheetPaste();
    void sheetTemplate();
    void sheetDelete();
    void sheetClear();
    void sheetExecuteLines();
    void sheetExecuteStatement();
    void addRecordColumns(bool withDate);
    void refreshSheet();
    void markSheetLinesInvalid();
    void showFirstSheetLine();

    void adjustGlobalRecord(const QString &target, const QString &source, const QString &op, double v,
                            bool fixedValue, bool *divisionByZero);
    void installCellDrawing();

    QString m_versionLabel;
    QPointer<Tprogress> m_progress;
    QPointer<wage::DataSource> m_hostSource;
    bool m_stop = false;
    // The transaction of a sheet run, shared with ApplySheetLine while the run lasts.
    priceadj::BatchTransaction *m_sheetBatch = nullptr;
    priceadj::ProgressPacer *m_sheetPace = nullptr;
    // What stays the same from line to line of a sheet run, read once when it starts: the
    // user's data scope and the field of the chosen item. Valid while m_sheetBatch is set.
    QString m_sheetScope;
    QString m_sheetField;
    QWidget *m_singleChoiceHome = nullptr;
    QWidget *m_globalChoiceHome = nullptr;
    QWidget *m_globalFormulaHome = nullptr;
    QWidget *m_bottomOptionsHome = nullptr;
};

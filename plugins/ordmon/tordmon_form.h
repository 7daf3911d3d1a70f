#pragma once
// The order-monitoring window: the host's orders and lines, the process rows of F_PCJK with
// their progress figures, the piece records behind them, and the runs that compute the figures.
#include "contract/pluginform.h"
#include "db/connection.h"

#include <QPointer>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QLabel;
class QMenu;
class QPlainTextEdit;
class TMyNavigator;
class QTimer;
class QChart;
class TRadioGroup;
class Tprogress;

namespace wage {
class DataGrid;
class DataSource;
class DataVertGrid;
class Dataset;
} // namespace wage

class TOrdmon_form : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TOrdmon_form(QWidget *parent = nullptr);
    ~TOrdmon_form() override;

    // --- start-up (once per created window, then on every showing)
    void CheckMonitorStructure();
    void OpenMonitor();

    // --- computation of the process rows and the order figures
    // First column of the first row of a SELECT whose :parameters come from the current record
    // of `source`; empty on failure or without a row.
    QString QueryLineValue(const QString &sql, wage::DataSource *source);
    // Executes a statement with :parameters from the current record of `source`; a failure is
    // shown with the statement and logged.
    bool ExecLineSql(const QString &sql, wage::DataSource *source);
    void OpenProcessQueries();
    void RebuildLineProcesses();
    void ComputeLineProgress();
    void SummarizeOrder();

    // --- handlers of the runs
    void ToolButton1Click();   // 刷新
    void ToolButton2Click();   // 汇总统计
    void ToolButton5Click();   // 暂停

    // --- window operations
    void RadioGroup1Click();
    void RadioGroup2Click();
    // The context menu, its visibility for the grid it opens on, and its commands by tag.
    void PopupMenu1Popup(wage::DataGrid *grid);
    void NClick(int tag);
    void ToolButton7Click();

    // --- scripts and board mode
    void SpeedButton3Click();
    void CheckBox1Click();
    void Timer1Timer();

    // --- script page
    void PageControl2MouseDown(Qt::MouseButton button);
    void RadioGroup_SciripClick();
    void MyNavigator1DatasetEditor(int action);
    void MyNavigator1Click(const QString &caption);

    // --- realtime page
    void PageControl2Change();
    void Timer2Timer();
    void Timer3Timer();
    void ShowCapacityChart(int tick);
    static QString JoinFieldNames(wage::Dataset *dataset, const QString &prefix);
    void openScriptList();
    // Legend square of a row: state2 未生产, state4 生产中, state1 已完工, state3 超产.
    static const char *rowState(double actual, double planned);
    void LoadPieceRecords(int tab);
    void AddProgressColumn(wage::DataGrid *grid);

    // The statement of the order filter item for the window's dialect (empty for an unknown item).
    QString orderFilterSql(int item) const;
    // The statistics mode as the settings table holds it now.
    int readStatisticsMode() const;

    // --- components (designer names)
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet4 = nullptr;
    QWidget *TabSheet5 = nullptr;
    QWidget *TabSheet8 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QToolButton *ToolButton5 = nullptr;
    QToolButton *ToolButton7 = nullptr;
    QRadioButton *RadioButton1 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QRadioButton *RadioButton3 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QProgressBar *ProgressBar3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    TRadioGroup *RadioGroup1 = nullptr;
    TRadioGroup *RadioGroup2 = nullptr;
    TRadioGroup *RadioGroup3 = nullptr;
    QLineEdit *EditYM = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLineEdit *LabeledEdit1 = nullptr;
    QLabel *LabeledEdit1Label = nullptr;
    QWidget *Panel1 = nullptr;
    QWidget *Panel0 = nullptr;
    QSplitter *MainSplitter = nullptr;
    QSplitter *MasterSplitter = nullptr;
    QSplitter *ProcessSplitter = nullptr;
    wage::DataGrid *DBGridEh_Master = nullptr;
    wage::DataGrid *DBGridEh_Detail = nullptr;
    wage::DataGrid *Ordmon_DBGridEh = nullptr;
    QTabWidget *PageControl1 = nullptr;
    wage::DataGrid *DBGridEh1 = nullptr;
    wage::DataGrid *DBGridEh_Temp = nullptr;
    wage::DataVertGrid *DBVertGridEh1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QLabel *Label_day = nullptr;
    QLabel *Label_week = nullptr;
    QLabel *Label_month = nullptr;
    QLabel *Label_dongtai = nullptr;
    wage::DataGrid *DBGridEh_PC = nullptr;
    wage::DataSource *DataSource_pc = nullptr;
    QChart *DBChart_pc = nullptr;
    QWidget *ChartView = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    int timer2Tag = 0;
    wage::Dataset *ADOQuery_SQL = nullptr;
    QString scriptType = QStringLiteral("订单监控");
    wage::DataSource *DataSource_SQL = nullptr;
    wage::DataGrid *DBGridEh_SQL = nullptr;
    TMyNavigator *MyNavigator1 = nullptr;
    TRadioGroup *RadioGroup_Scirip = nullptr;
    QLineEdit *ScriptNameEdit = nullptr;
    QLineEdit *IndexNameEdit = nullptr;
    QPlainTextEdit *ScriptEdit = nullptr;
    QPlainTextEdit *NotesEdit = nullptr;
    QPointer<wage::DataGrid> menuGrid;

    // The host's order and line data sources (borrowed).
    QPointer<wage::DataSource> DataSource_Master;
    QPointer<wage::DataSource> DataSource_detail;
    // The window's own queries.
    wage::Dataset *Omq_ADOQuery1 = nullptr;
    wage::DataSource *Omq_DataSource = nullptr;
    wage::Dataset *f_jijm = nullptr;
    wage::DataSource *DataSource1 = nullptr;
    wage::Dataset *ADOQuery_Temp = nullptr;
    wage::DataSource *DataSource_Temp = nullptr;
    wage::Dataset *ADOQuery_pc = nullptr;
    wage::Dataset *ADOQuery_chart = nullptr;

    // --- state
    bool ready = false;     // a run has completed: moving through process rows reloads piece records
    bool stopped = false;   // pause, or an order without lines
    int statisticsMode = 0;
    // The frame's progress display (step texts of the start-up and of the structure check).
    QPointer<Tprogress> progress;
    // Set when the structure check created F_PCJK and asked for the host to restart.
    bool restartRequested = false;

    // Binds the window to the host module window's data sources and its queries to the connection.
    void bindHost();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installRowColours();
    void buildPopupMenu();
    void buildScriptPage(QWidget *page);
    void loadScriptEditors();
    bool m_loadingScript = false;
    void buildRealtimeExtras(QWidget *left, QWidget *right);
    void buildMainPage(QWidget *page);
    void buildTopPanel(QWidget *panel);
    void buildMiddlePanel(QWidget *panel);
    void buildProcessPanel(QWidget *panel);
    void buildRealtimePage(QWidget *page);
    void Omq_ADOQuery1AfterScroll();
    void PageControl1Change(int index);
    void RadioGroup3Click();
    void SpeedButton1Click();
    bool summaryRun(bool fromRefresh);
    void setRunning(bool running);
    QString lineText(const QString &field) const;
    QString orderText(const QString &field) const;
    wage::Dataset *orders() const;
    wage::Dataset *lines() const;
    bool m_refreshRunning = false;
};

#pragma once
// The updater's main window "在线升级": start-up, update lists, version decision and the
// update action with download, backup and extraction.
#include "net/http.h"
#include "zipextract.h"

#include <QWidget>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QTemporaryDir;
class QTextEdit;
class QTimer;
class QTreeWidget;
class Tprogress;
namespace wage { class Connection; }

// A group of radio buttons with one selected item, as a radio group box shows it.
class TRadioGroup : public QWidget {
    Q_OBJECT
public:
    TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton *item(int index) const;

private:
    QGroupBox *m_box;
    QList<QRadioButton *> m_items;
};

// The hidden browser: it only visits the vendor's notice page and keeps no page.
class TWebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget *parent);
    void navigate(const QString &url);
    QStringList visited() const { return m_visited; }

private:
    QStringList m_visited;
};

// The status bar with four panels; panel 3 can be owner-drawn to carry the progress bar.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget *parent);
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    bool panelOwnerDrawn(int index) const;
    void setPanelOwnerDrawn(int index, bool drawn);
    QRect panelRect(int index) const;

signals:
    void drawPanel(int index, const QRect &rect);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<QLabel *> m_panels;
    QList<bool> m_drawn;
};

// Raised to leave the running action silently (a failed download, an ended process in tests);
// the handlers' guard discards it like every other error that reaches them.
struct ActionAbandoned {};

class TFrm_Main : public QWidget {
    Q_OBJECT
public:
    explicit TFrm_Main(const QStringList &parameters, QWidget *parent = nullptr);
    ~TFrm_Main() override;

    // The event handlers; each discards the errors that no step catches.
    void FormShow();
    void Timer1Timer();
    void Timer2Timer();
    void btn_UpdateClick();
    void Btn_CancelClick();
    void StatusBar1DrawPanel(int index, const QRect &rect);
    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    void ListView2Click();
    void PageControl1Change(int index);
    void LoadWebImage(const QString &address);

    // Steps, public for the tests that drive them one by one.
    bool ConnectDatabase();
    bool ConnectLocalAccess();
    QString ReadManifestValue(const QString &key);
    void FillUpdateLists();
    bool DecideUpdate();
    void BackupBeforeUpdate();
    // Fetches the address into a temporary folder outside the program directory and returns the
    // file's path; a failed transfer reports and abandons the running action.
    QString DownloadFile(const QString &url, const QString &fileName);
    QString BuildDownloadUrl(const QString &fileName, const QString &serverDir);
    void VisitNoticePage(const QString &installedVersion);

    void IdHTTP1WorkBegin(qint64 expected);
    void IdHTTP1Work(qint64 done);
    void IdHTTP1WorkEnd();

    // Calls into self-update, report import and LAN distribution.
    bool SelfUpdate();
    bool ClientSync();
    void ImportReportSection(const QString &section);
    int RegisterVersion(const QString &version);
    void StorePackageFile(int versionId, const QString &filePath, const QString &description);
    void FormDestroy();

    // An unattended run ("AUTO" without a display): banner and status texts go to standard
    // output as well, failures are written at once instead of waiting in a box, and the process
    // ends with an exit status (0 updated or up to date, 1 failed) instead of waiting.
    void setUnattended(bool on) { m_unattended = on; }
    bool unattended() const { return m_unattended; }
    // How the last update action ended.
    enum class Outcome { None, Updated, UpToDate, Failed };
    Outcome outcome() const { return m_outcome; }
    void setBanner(const QString &text);
    void setStatusText(int panel, const QString &text);

    wage::Connection *connection() const { return ADOConnection1; }
    QString userName() const { return m_userName; }
    QString lastBackupFolder() const { return m_backupFolder; }
    bool abortFlag() const { return m_abort; }
    int versionId() const { return m_versionId; }
    QString sizeText() const { return m_sizeText; }

    // How the process ends (at once, with an exit status) and how programs are started; tests
    // replace them.
    std::function<void(int exitCode)> killApplication;
    std::function<bool(const QString &fileName)> startProgram;
    // Shows a window modally (the news and document-management windows).
    std::function<void(QDialog *)> showModal;
    std::function<int(const QString &programName, bool kill)> killTask;

    // Components, named as the window's designer names them.
    QLabel *Panel3;
    QTreeWidget *ListView0;
    TWebBrowser *WebBrowser1;
    QTabWidget *PageControl1;
    QTreeWidget *ListView1;
    QTreeWidget *ListView2;
    QLabel *Image1;
    QLabel *Image2;
    QTextEdit *Memo1;
    QTextEdit *Memo3;
    TRadioGroup *RadioGroup1;
    TRadioGroup *RadioGroup2;
    QProgressBar *PB_Cur;
    QPushButton *BitBtn1;
    QPushButton *btn_Update;
    QPushButton *BitBtn2;
    QPushButton *Button1;
    QPushButton *Btn_Cancel;
    TStatusBar *StatusBar1;
    QTimer *Timer1;
    QTimer *Timer2;
    wage::Connection *ADOConnection1;
    Tprogress *progress1;
    wage::HttpClient IdHTTP1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildWindow();
    // Runs a handler and discards what escapes it, as the application-level handler does.
    void guarded(const std::function<void()> &step);
    void runStartSequence();
    void runUpdateAction();
    [[noreturn]] void endProcess(int exitCode = 1);
    void endUnattendedRun();
    void installOfflinePackage(int total, const QString &message);
    // The one extraction of every package: a package that cannot be installed completely is a
    // failed update, reported like a failed download. The archive is removed either way.
    void installPackage(const QString &archive, const updater::BeforeInstall &beforeInstall = {});
    [[noreturn]] void reportDownloadFailure(const QString &text);
    void throwIfStopped();
    void runAutoUpdateScript();
    void runPackages(const QString &serverDir);
    // The SHA-256 that the manifest gives for a downloaded file (under `fileKey` + "SHA256"):
    // false, with the reason, when it differs, or when it is missing while a vendor key is
    // configured. Without a key and without a hash every file passes.
    bool packageHashMatches(const QString &fileKey, const QString &path, QString *error);
    int manifestCount(const QString &key, bool emptyIsZero = false);
    bool linkcfgConnectTest(const QString &description);
    bool linkcfgPassForm(const QString &description);
    void setListStateImage(int row, int state);
    void setBusyCursor(bool busy);
    void setPanel3Drawn(bool drawn);
    QString parameter(int index) const;
    QString installedVersionText() const;

    QStringList m_parameters;
    QString m_dialect;
    QString m_userName;
    QString m_currentFile;
    QString m_sizeText;
    QString m_localVersion;
    QString m_newVersion;
    QString m_backupFolder;
    int m_versionId = 0;
    int m_timer2Counter = 0;
    bool m_abort = false;
    bool m_abandonTransfer = false;
    bool m_shown = false;
    bool m_busyCursor = false;
    bool m_unattended = false;
    bool m_stop = false;             // the user confirmed "中断升级": nothing more is installed
    bool m_actionRunning = false;
    bool m_transferEnded = false;    // a package transfer ended in the running action
    bool m_transferRunning = false;
    bool m_signatureReported = false;
    Outcome m_outcome = Outcome::None;
    std::unique_ptr<QTemporaryDir> m_downloads;   // partial and finished downloads
    int m_barScale = 1;
    qint64 m_lastWorkUpdate = -1;
};

#pragma once
// "升级文档管理": the versions registered in the database, the packages of the current version
// and the workstations that installed it; versions are added, packages uploaded by hand, a
// version set as the one to install, or a version deleted with its packages.
#include <QDialog>

class QToolBar;
class QToolButton;

namespace wage {
class Connection;
class DataGrid;
class DataSource;
class Dataset;
} // namespace wage

class TUpdateFile : public QDialog {
    Q_OBJECT
public:
    explicit TUpdateFile(wage::Connection *connection, QWidget *parent = nullptr);
    ~TUpdateFile() override;

    // Opens the three queries on the connection.
    void openQueries();

    void ToolButton3Click();   // 新增升级
    void ToolButton1Click();   // 上传文档
    void ToolButton2Click();   // 设置为更新
    void ToolButton4Click();   // 删除升级档

    QToolBar *ToolBar1;
    QToolButton *ToolButton3;
    QToolButton *ToolButton1;
    QToolButton *ToolButton2;
    QToolButton *ToolButton4;
    wage::Dataset *ADOQuery1;      // versions
    wage::Dataset *ADOQuery2;      // packages of the current version
    wage::Dataset *ADOQuery3;      // workstations of the current version
    wage::DataSource *DataSource1;
    wage::DataSource *DataSource2;
    wage::DataSource *DataSource3;
    wage::DataGrid *DBGridEh1;
    wage::DataGrid *DBGridEh2;
    wage::DataGrid *DBGridEh3;

private:
    // Runs a handler; a database error is shown instead of escaping the event loop.
    void guarded(const std::function<void()> &step);
    QString currentVersionId() const;

    wage::Connection *m_connection;
};

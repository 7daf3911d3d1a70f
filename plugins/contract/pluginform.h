#pragma once
// The base of every plug-in window: what the frame stores in it when it is created (host
// window, host data module, the host's connection) and the status-bar panels that carry the
// version label.
#include "db/connection.h"

#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

class QLabel;
class QStatusBar;

namespace wage {

class PluginForm : public QWidget {
    Q_OBJECT
public:
    explicit PluginForm(QWidget *parent = nullptr);

    QPointer<QObject> hostWindow;
    QPointer<QObject> hostDataModule;
    QPointer<Connection> connection;
    QString userName;
    // A work table with a generated name that lives as long as this window.
    QString scratchTable;

    // The status bar "StatusBar1" with one panel per width (the last one stretches).
    QStatusBar *addStatusBar(const QList<int> &panelWidths);
    QLabel *statusPanel(int index) const;
    // Where the window puts its own controls.
    QVBoxLayout *body() const { return m_body; }

    // Shows the window modally and returns when it is hidden (its close box) or freed.
    void showModal();

private:
    QVBoxLayout *m_body;
    QList<QLabel *> m_panels;
};

} // namespace wage

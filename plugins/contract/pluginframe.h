#pragma once
// The start-up frame that all plug-ins share. A plug-in derives from PluginFrame with its
// identity, its window factory and its own steps; WAGE_PLUGIN_EXPORTS turns one instance into
// the library's three exports GetCaption, ShowDLLForm and CloseMyform.
//
// ShowDLLForm: split the parameters; with a window already there take the re-show path;
// otherwise create the window (caption, host objects, connection), run the plug-in's start-up,
// check the right (refused: "无此权限", the window is released as CloseMyform does) and show it.
//
// The start-up processes window messages (the progress display does), so the host may call
// CloseMyform before ShowDLLForm returns. The window is then hidden and forgotten at once, but
// freed (after release) only when ShowDLLForm is about to return: code further up the stack
// never meets a freed window. A start-up that sees isCurrent() turn false (step() returns false)
// stops; nothing after it runs for that window. No exception leaves an export.
#include "contract/hostobjects.h"
#include "contract/pluginform.h"

#include <QByteArray>
#include <QPointer>

class Tprogress;

namespace wage {

class PluginFrame {
public:
    // identity: "caption,table" as the user sees it; pluginFile: the library under the
    // program directory, e.g. "Plugins\\ordmon.dll".
    PluginFrame(const QString &identity, const QString &pluginFile);
    virtual ~PluginFrame();

    const char *caption() const { return m_captionGbk.constData(); }
    QString table() const { return m_table; }
    QString pluginFile() const { return m_pluginFile; }
    PluginForm *form() const { return m_form; }

    bool showDLLForm(void *appHandle, const char *params, QObject *hostWindow, QObject *hostDataModule);
    void closeMyform();

    // "插件版本：" and the file version of this library.
    QString versionLabel() const;
    // The library's own progress display, owned by the application.
    Tprogress *progress();
    // Whether `form` is still the plug-in's window (not closed while messages were processed).
    bool isCurrent(const PluginForm *form) const { return form && m_form == form; }
    // A start-up step on the progress display; false when the window was closed meanwhile and
    // the start-up has to stop.
    bool step(const PluginForm *form, int position, int maximum, const QString &message);

protected:
    virtual PluginForm *createForm() = 0;
    // The plug-in's own start-up after the window is created, before the right check.
    virtual void startUp(PluginForm *, const PluginParams &) {}
    // Shows a permitted window; `created` is false on the re-show path.
    virtual void present(PluginForm *form, const PluginParams &params, bool created) = 0;
    // Whether the re-show path checks the right again.
    virtual bool reshowChecksRight() const { return true; }
    // The re-show path's steps before its right check, with the host objects of this call.
    virtual void prepareReshow(PluginForm *, const PluginParams &, QObject * /*hostWindow*/,
                               QObject * /*hostDataModule*/) {}
    // After the refused window is released.
    virtual void refused() {}
    // Before CloseMyform frees the window (scratch tables).
    virtual void release(PluginForm *) {}

    // Stores the host objects and the host's connection in the window.
    void attachHost(PluginForm *form, QObject *hostWindow, QObject *hostDataModule) const;

private:
    void showForm(const PluginParams &items, QObject *hostWindow, QObject *hostDataModule);
    bool permitted(const PluginParams &params);
    void reportFailure(const QString &caption, const QString &message);
    void abandonStartUp();
    void freeClosedForms();

    QByteArray m_captionGbk;
    QString m_table;
    QString m_pluginFile;
    QPointer<PluginForm> m_form;
    QPointer<Tprogress> m_progress;
    int m_showDepth = 0;          // ShowDLLForm calls on the stack
    bool m_startingUp = false;    // a new window is between creation and its right check
    QList<QPointer<PluginForm>> m_closed;   // closed while ShowDLLForm ran; freed on its return
};

} // namespace wage

#define WAGE_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

// The three exports of a plug-in library around one PluginFrame instance.
#define WAGE_PLUGIN_EXPORTS(frame)                                                              \
    WAGE_PLUGIN_EXPORT const char *GetCaption() { return (frame).caption(); }                  \
    WAGE_PLUGIN_EXPORT bool ShowDLLForm(void *appHandle, const char *params, QObject *hostWindow, \
                                        QObject *hostDataModule)                               \
    {                                                                                           \
        return (frame).showDLLForm(appHandle, params, hostWindow, hostDataModule);              \
    }                                                                                           \
    WAGE_PLUGIN_EXPORT void CloseMyform() { (frame).closeMyform(); }

#include "progress/tprogress.h"

#include "progress/tprogress_form.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QLabel>
#include <QScreen>
#include <QWidget>

Tprogress::Tprogress(QObject *owner) : QObject(owner) {}

Tprogress::~Tprogress()
{
    // A display owned by the application object dies with it, after the widget machinery is
    // gone: a widget cannot be freed then (the process is ending anyway).
    if (QCoreApplication::instance())
        delete m_form.data();
}

Tprogress_form *Tprogress::form() const
{
    return m_form.data();
}

// The window the dialog is centred on: the owner's window, else the active one.
QWidget *Tprogress::mainWindow() const
{
    for (QObject *o = parent(); o; o = o->parent())
        if (auto *w = qobject_cast<QWidget *>(o))
            return w->window();
    return QApplication::activeWindow();
}

void Tprogress::showpress(int position, int maximum, const QString &message)
{
    if (maximum == 0)
        return;
    if (!m_form) {
        QWidget *centre = mainWindow();
        m_form = new Tprogress_form(centre);
        QRect area = centre ? centre->frameGeometry() : QRect();
        if (area.isEmpty() && QGuiApplication::primaryScreen())
            area = QGuiApplication::primaryScreen()->availableGeometry();
        m_form->move(area.center() - m_form->rect().center());
    }
    m_form->Gauge->setRange(0, qMax(maximum, 0));
    if (!m_form->isVisible())
        m_form->show();
    m_form->Gauge->setValue(qMax(0, qMin(position, maximum)));
    // Pending messages may close the dialog (a click on it) or free this component with its
    // owner's window.
    const QPointer<Tprogress> self(this);
    QCoreApplication::processEvents();
    if (!self || !m_form)
        return;
    // A carriage return breaks the line, as in message boxes.
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_form->mess->setText(text);
    m_form->repaint();
    if (m_form->Gauge->value() >= maximum - 1) {
        Tprogress_form *finished = m_form.data();
        m_form.clear();
        finished->close();   // deletes itself
    }
}

#pragma once
// What the long runs share: posts grouped in transactions, progress shown at a pace the screen
// can follow, and the host grid's idea of which records are displayed.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class Tprogress;

namespace wage { class Connection; class DataGrid; class Dataset; }

namespace priceadj {

// Groups the posts of a run into transactions on the host's connection. A transaction that
// someone else opened is left to its owner. Destroyed while open, it rolls back.
class BatchTransaction {
public:
    explicit BatchTransaction(wage::Connection *connection);
    ~BatchTransaction();
    void begin();
    // Commits what is pending (DbError when the database refuses) and counts it as changed.
    void commit();
    void commitAndContinue();
    // Rolls back what is pending.
    void abandon();
    void recordPosted() { ++m_pending; }
    int pending() const { return m_pending; }
    int committed() const { return m_committed; }

private:
    QPointer<wage::Connection> m_connection;
    bool m_own = false;
    int m_pending = 0;
    int m_committed = 0;
};

// Calls showpress at most every 100 ms, and always for the step that closes the display.
class ProgressPacer {
public:
    explicit ProgressPacer(Tprogress *progress) : m_progress(progress) {}
    template <typename Text>
    void show(int position, int maximum, Text text)
    {
        if (!m_progress)
            return;
        const bool closing = position >= maximum - 1;
        if (!closing && m_clock.isValid() && m_clock.elapsed() < 100)
            return;
        m_clock.start();
        showNow(position, maximum, text());
    }
    // Paced like show, but never the closing step: a part of a longer run leaves the display
    // open for the next part instead of closing it and opening a new one.
    template <typename Text>
    void showOpen(int position, int maximum, Text text)
    {
        if (!m_progress || (m_clock.isValid() && m_clock.elapsed() < 100))
            return;
        m_clock.start();
        showNow(position, maximum + 2, text());
    }
    void showNow(int position, int maximum, const QString &text);

private:
    QPointer<Tprogress> m_progress;
    QElapsedTimer m_clock;
};

// Views of a dataset stand still while a run walks it, and are reset once at the end.
class ControlsOff {
public:
    explicit ControlsOff(wage::Dataset *dataset);
    ~ControlsOff();
    ControlsOff(const ControlsOff &) = delete;
    ControlsOff &operator=(const ControlsOff &) = delete;

private:
    QPointer<wage::Dataset> m_dataset;
    bool m_was = false;
};

// True for the failure of a record that another workstation deleted or changed meanwhile: that
// record is skipped, while any other database failure ends the run.
bool recordVanished(const std::exception &e);

// Closes the progress display if a run left it open.
void closeProgress(Tprogress *progress);
// Whether a dataset row is displayed: not hidden by the grid's search.
bool rowDisplayed(const wage::DataGrid *grid, int row);
// The database's message of a failure.
QString failureText(const std::exception &e);
// Cancels a pending edit without letting a second failure escape.
void cancelPending(wage::Dataset *dataset);

} // namespace priceadj

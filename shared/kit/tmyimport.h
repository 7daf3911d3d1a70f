#pragma once
// Import of rows from a file into a data source's dataset. The file's first row holds the
// column titles; a title is matched to a field by the field registry caption of the dataset's
// base table, then by the dataset's display label, then by the field name (without regard to
// case). Accepted files: .xlsx workbooks, the XML spreadsheets the grids export as .xls, and
// csv or tab-separated text in GBK or UTF-8. Spreadsheet dates (serial day numbers) in date
// fields become dates.
//
// All rows go in or none: a file that cannot be read, has no data rows, has no title that
// matches a field, or has a value that does not fit its field (a number field, a date field)
// gives a Chinese message naming the problem and adds nothing. The rows are appended and
// posted in one transaction on the dataset's connection, and the count is reported.
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace wage { class DataSource; class Dataset; }

class TMyImport : public QObject {
    Q_OBJECT
public:
    explicit TMyImport(QObject *parent = nullptr);

    void SetDataSource(wage::DataSource *source);
    wage::DataSource *dataSource() const;

    // Asks for a file and imports it; the number of rows imported, -1 when nothing was.
    int Execute();
    int ImportFile(const QString &path);
    // Rows copied from a spreadsheet (tab-separated, titles first), as pasted.
    int ImportText(const QString &text);
    // Titles of the last file that matched no field (for messages).
    QStringList unmatchedTitles() const { return m_unmatched; }

signals:
    void imported(int rows);

private:
    int importRows(QList<QStringList> rows);

    QPointer<wage::DataSource> m_source;
    QStringList m_unmatched;
};

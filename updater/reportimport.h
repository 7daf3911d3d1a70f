#pragma once
// Report packages: "Report.zip" unpacks into the folder "Report" beside the programs;
// "Report\Report.ini" names the definitions by section, and each definition's SQL and layout
// come as the files "Report\<name>P" and "Report\<name>". They are imported into f_sqlcase.
#include <QString>
#include <QStringList>

class Tprogress;
namespace wage { class Connection; }

namespace updater {

// The sections read, in this order.
QStringList ReportSections();

// What happens to a definition whose value has fewer than two fields.
enum class InvalidDefinition {
    Fail,   // raises WageError: the import of the section ends there
    Skip,   // logged in Error.Log and left alone (its files stay); the others are imported
};

// Imports one section of "Report\Report.ini" into f_sqlcase and erases the section. New
// definitions are inserted ("新增" message), existing ones are overwritten when field 2 is "1"
// ("  已更新" message); the content files of a processed definition are deleted.
void ImportReportSection(wage::Connection *connection, const QString &section, InvalidDefinition onInvalid,
                         Tprogress *progress);

} // namespace updater

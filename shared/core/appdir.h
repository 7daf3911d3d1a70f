#pragma once
// The program directory and the one resolver of file names in it. Names are compared without
// regard to case ("Usertem.ini" and "USERTEM.INI" are one file) and a backslash in a relative
// path means "/" ("Report\Report.ini").
#include <QString>

namespace wage {

// The directory of the running program; tests and the host's plug-ins may set it.
QString programDir();
void setProgramDir(const QString &dir);

// An absolute path for `relative` under `base`: each existing component is matched without
// regard to case; components that do not exist keep the spelling given.
QString resolveIn(const QString &base, const QString &relative);
// resolveIn(programDir(), relative)
QString programFile(const QString &relative);

} // namespace wage

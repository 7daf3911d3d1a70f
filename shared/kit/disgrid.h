#pragma once
// Laying out grids from the field registry (f_system): the table's rows in grid_index order
// whose field the dataset has; caption field_caption, width field_width characters (never
// narrower than the title), "隐藏" hidden, "不激活" and "无焦点" read-only. A table without
// registry rows shows every field of the dataset under its name. The footer's fields are the
// numeric ones shown (整型, 货币型, 数值型), less the record's key; the footer itself stays on or
// off as the grid had it. The user argument is kept for
// the host's per-user layouts; the registry has none, so every user sees the same layout.
#include <QString>

namespace wage {
class Connection;
class DataGrid;
class DataSource;
class DataVertGrid;
} // namespace wage

void DisGrid(const QString &table, const QString &user, wage::DataSource *source, wage::Connection *connection,
             wage::DataGrid *grid);
void DisVertGrid(const QString &table, const QString &user, wage::DataSource *source, wage::Connection *connection,
                 wage::DataVertGrid *grid);

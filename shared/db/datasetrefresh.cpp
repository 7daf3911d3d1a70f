#include "db/dataset.h"
#include "db/dbroutines.h"

bool SetDataSetRefresh(wage::Dataset *dataset)
{
    if (!dataset)
        return false;
    const wage::Bookmark mark = dataset->bookmark();
    dataset->close();
    dataset->open();
    if (!mark.isValid())
        return true;   // nothing was current: the reopen itself is the refresh
    return dataset->gotoBookmark(mark);
}

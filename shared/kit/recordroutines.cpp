#include "kit/recordroutines.h"

#include "core/prompt.h"
#include "core/strutil.h"
#include "db/dataset.h"

bool GetFieldExist(wage::Dataset *dataset, const QString &fieldName)
{
    return dataset && dataset->fieldIndex(fieldName) >= 0;
}

bool CheckCanModify(wage::Dataset *dataset)
{
    if (!dataset || !dataset->isActive() || dataset->isEmpty())
        return false;
    const wage::Field locked = dataset->findField(QStringLiteral("locked"));
    if (!locked.isValid() || locked.isNull())
        return true;
    return TrimText(locked.asString()).isEmpty();
}

bool DatasetEditor(wage::Dataset *dataset, const QString &table, wage::Connection *, int action)
{
    if (!dataset || !dataset->isActive())
        return false;
    if (dataset->baseTable().isEmpty() && !table.isEmpty())
        dataset->setBaseTable(table);
    const QString caption = QStringLiteral("提示");
    try {
        switch (action) {
        case 1:
            dataset->append();
            return true;
        case 2:
            if (dataset->state() == wage::Dataset::Edit || dataset->state() == wage::Dataset::Insert)
                return true;
            if (!dataset->isEmpty() && !CheckCanModify(dataset)) {
                wage::prompt().warning(QStringLiteral("当前记录已审核，不能修改！"), caption);
                return false;
            }
            dataset->edit();
            return true;
        case 3:
            if (dataset->state() == wage::Dataset::Edit || dataset->state() == wage::Dataset::Insert)
                dataset->post();
            return true;
        case 4:
            if (dataset->state() == wage::Dataset::Edit || dataset->state() == wage::Dataset::Insert)
                dataset->cancel();
            return true;
        case 5:
            if (dataset->state() == wage::Dataset::Insert) {
                dataset->cancel();
                return true;
            }
            if (dataset->isEmpty())
                return false;
            if (!CheckCanModify(dataset)) {
                wage::prompt().warning(QStringLiteral("当前记录已审核，不能删除！"), caption);
                return false;
            }
            if (!wage::prompt().question(QStringLiteral("确定要删除当前记录吗？"), caption))
                return false;
            dataset->remove();
            return true;
        default:
            return false;
        }
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromStdString(e.what()), caption);
        return false;
    }
}

#include "views/WeaponFilter.h"

bool PassesWeaponFilter(const TWeaponFilter& filter, const QString& name, const QString& type)
{
    if (!filter.Type.isEmpty() && type != filter.Type) {
        return false;
    }
    return name.contains(filter.Text, Qt::CaseInsensitive);
}

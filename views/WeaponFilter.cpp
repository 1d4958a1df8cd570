#include "views/WeaponFilter.h"

bool PassesWeaponFilter(const TWeaponFilter& filter, const QString& name, const QString& type)
{
    if (!filter.Type.isEmpty() && type != filter.Type) {
        return false;
    }
    return name.contains(filter.Text, Qt::CaseInsensitive);
}

bool NarrowsWeaponFilter(const TWeaponFilter& wider, const TWeaponFilter& narrower)
{
    // Case folds one code unit at a time, so a name holding the longer text
    // holds every part of it.
    return (wider.Type.isEmpty() || narrower.Type == wider.Type) &&
           narrower.Text.contains(wider.Text, Qt::CaseInsensitive);
}

#pragma once

#include <QMetaType>
#include <QString>

#include <array>

// The type codes of the weapon table, in the order of the list's icons.
inline constexpr std::array<const char*, 6> WeaponTypeCodes = {"Swords", "AXE",     "Fencing",
                                                               "Mace",   "Archery", "Staff"};

// Which weapons the finder lets through; the list and the ranking page show
// only those. Empty parts let everything through.
struct TWeaponFilter
{
    // A part of the name, in any case.
    QString Text;
    // One type code, matched exactly as the icons are.
    QString Type;

    bool IsEmpty() const { return Text.isEmpty() && Type.isEmpty(); }
    friend bool operator==(const TWeaponFilter&, const TWeaponFilter&) = default;
};

Q_DECLARE_METATYPE(TWeaponFilter)

// The rule both views apply, so the list and the ranking never disagree.
// Case is folded the Unicode way, so full-width letters match their own
// other case; kana and kanji have none and match only themselves.
bool PassesWeaponFilter(const TWeaponFilter& filter, const QString& name, const QString& type);

// True when every weapon `narrower` lets through, `wider` lets through too,
// so one more letter needs to look only at the weapons shown already.
bool NarrowsWeaponFilter(const TWeaponFilter& wider, const TWeaponFilter& narrower);

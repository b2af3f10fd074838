#include "accesslevel.h"

#include <algorithm>

namespace quorlex
{

const std::array<const char *, kAccessLevelCount> kAccessLevelNames = {"Disabled", "Low",
                                                                       "Intermediate", "Full"};

const char kCommandCatalogue[] =
    "addmsg,adminpeep,blockname,botreset,classlock,classweapons,exosuit,forcefreefly,forceverify,"
    "friendlyfire,getdelta,gethitmiss,grenadeban,hardcore,joinff,kick,lifecycle,locationdamage,"
    "lockdown,mute,nextlevel,popupnames,predmask,prevlevel,pwn,queen,record,rename,resetmsg,"
    "restart,roulette,setlevel,shutup,switch,teamlock,terminate,toggleid,transfersc,unlock,wait,"
    "weaponban,wipeout";

char accessLevelDigit(AccessLevel level)
{
    switch (level) {
    case AccessLevel::Low:
        return '1';
    case AccessLevel::Intermediate:
        return '2';
    case AccessLevel::Full:
        return '3';
    case AccessLevel::Disabled:
        break;
    }
    return '\0';
}

const QStringList &commandNames()
{
    static const QStringList names = [] {
        QStringList all = QString::fromLatin1(kCommandCatalogue).split(QLatin1Char(','));
        // Rows beyond the window's capacity cannot be shown or chosen, so they do not exist.
        return all.mid(0, std::min<qsizetype>(all.size(), kCommandRowCapacity));
    }();
    return names;
}

} // namespace quorlex

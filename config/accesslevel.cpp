#include "accesslevel.h"

namespace quorlex
{

const std::array<const char16_t *, kAccessLevelCount> kAccessLevelNames = {
    u"Disabled", u"Low", u"Intermediate", u"Full"};

const char16_t kCommandCatalogue[] =
    u"addmsg,adminpeep,blockname,botreset,classlock,classweapons,exosuit,forcefreefly,forceverify,"
    u"friendlyfire,getdelta,gethitmiss,grenadeban,hardcore,joinff,kick,lifecycle,locationdamage,"
    u"lockdown,mute,nextlevel,popupnames,predmask,prevlevel,pwn,queen,record,rename,resetmsg,"
    u"restart,roulette,setlevel,shutup,switch,teamlock,terminate,toggleid,transfersc,unlock,wait,"
    u"weaponban,wipeout";

char16_t accessLevelDigit(AccessLevel level)
{
    switch (level) {
    case AccessLevel::Low:
        return u'1';
    case AccessLevel::Intermediate:
        return u'2';
    case AccessLevel::Full:
        return u'3';
    case AccessLevel::Disabled:
        break;
    }
    return u'\0';
}

const std::vector<Text> &commandNames()
{
    static const std::vector<Text> names = [] {
        std::vector<Text> all;
        const TextView catalogue = kCommandCatalogue;
        // Rows beyond the window's capacity cannot be shown or chosen, so they do not exist.
        for (size_t start = 0; all.size() < size_t(kCommandRowCapacity);) {
            const size_t comma = catalogue.find(u',', start);
            all.emplace_back(catalogue.substr(start, comma - start));
            if (comma == TextView::npos)
                break;
            start = comma + 1;
        }
        return all;
    }();
    return names;
}

} // namespace quorlex

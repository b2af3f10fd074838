#pragma once

// The file the default record must give, spelled out line by line, independent of the writer.

#include <QByteArray>
#include <QByteArrayList>

namespace expected
{

inline const QByteArray kCredit =
    "QUORLEX server extension by the QUORLEX authors - details at https://quorlex.example.org/";

inline QByteArrayList head(bool tiered)
{
    return {"[WeaponBan]",
            "shotgun=0",
            "pulserifle=0",
            "grenadelauncher=0",
            "flamethrower=0",
            "smartgun=1",
            "sadar=0",
            "minigun=1",
            "railgun=0",
            "predpistol=1",
            "speargun=0",
            "shouldercannon=0",
            "disc=1",
            "netgun=0",
            "stickybomb=0",
            "",
            "",
            "[GrenadeBan]",
            "pulse=0",
            "timed=0",
            "proxy=1",
            "emp=0",
            "spider=1",
            "",
            "",
            "[Settings]",
            "useIPBan=0",
            "hardcoreevac=1",
            "block<name>=0",
            "adminpeep=0",
            "allowNPC=0",
            "IDsInName=1",
            "messagefrequency=2",
            tiered ? "UseTieredAdmin=1" : "UseTieredAdmin=0",
            "",
            ""};
}

inline QByteArrayList messages()
{
    return {"[Messages]",
            "<0>" + kCredit,
            "<1>Dont like the rules??? Then leave and rent your own server",
            "<2>",
            "<3>",
            "<4>",
            "<5>",
            "<6>",
            "<7>",
            "<8>",
            "<9>"};
}

inline QByteArray join(const QByteArrayList &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

// The default file with tiered administration off: 47 lines.
inline QByteArray defaultFile()
{
    return join(head(false) + messages());
}

// Tiered administration on, `commandLines` in the [Commands] section.
inline QByteArray tieredFile(const QByteArrayList &commandLines,
                             const QByteArray &l1 = "greenharbor",
                             const QByteArray &l2 = "silvermountainrivers")
{
    QByteArrayList lines = head(true);
    lines << "[Password]"
          << "L1Pass=" + l1 << "L2Pass=" + l2 << ""
          << ""
          << "[Commands]";
    lines += commandLines;
    lines << ""
          << "";
    return join(lines + messages());
}

} // namespace expected

// Any record with any text, through the real writer: the file must hold as many lines as the
// record calls for, each ended by CR LF with no other control byte, every message within 196
// bytes, and a second write must give the same bytes with no warning. The message limit is also
// held, at any limit, against composing the whole text, which the writer spares itself.

#include "configwriter.h"
#include "filetext.h"
#include "platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace quorlex;

#define CHECK(c) ((c) ? void() : qFatal("failed: %s", #c))

// Bytes below their count pick these: what ends or splits a line, halves of a surrogate pair,
// marks that compose, characters that NFC decomposes or the code page lacks. From 0xF0 a byte
// takes the next two as one code unit; any other byte is that Latin-1 character (C1 included).
static Text text(FuzzedDataProvider &in)
{
    static constexpr char16_t kPicked[] = u"\r\n\t\0\x7F\u2028\u2029\xD83D\xDE00\u0301\u0338\u0958"
                                          u"\uFB2C\u20AC\u1100\u1161\u11A8\u4E2D\uFFFF e0+-<";
    const std::string bytes = in.ConsumeRandomLengthString();
    Text once;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = uint8_t(bytes[i]);
        const bool unit = b >= 0xF0 && i + 2 < bytes.size();
        once += b < std::size(kPicked) - 1 ? kPicked[b]
                : unit ? char16_t(uint8_t(bytes[i + 1]) << 8 | uint8_t(bytes[i + 2]))
                       : char16_t(b);
        i += unit ? 2 : 0;
    }
    Text out; // repeated, so that a short input makes a long text
    for (int n = in.ConsumeBool() ? in.ConsumeIntegralInRange(2, 300) : 1;
         n > 0 && out.size() < 1000; --n)
        out += once;
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    FuzzedDataProvider in(data, size);
    ConfigRecord r;
    std::generate(r.weaponBan.begin(), r.weaponBan.end(), [&] { return in.ConsumeBool(); });
    std::generate(r.grenadeBan.begin(), r.grenadeBan.end(), [&] { return in.ConsumeBool(); });
    std::generate(r.settings.begin(), r.settings.end(), [&] { return in.ConsumeBool(); });
    r.useTieredAdmin = in.ConsumeBool();
    for (CommandRow &row : r.commands)
        row.level = AccessLevel(in.ConsumeIntegralInRange(0, 3));
    std::generate(r.messages.begin(), r.messages.end(), [&] { return text(in); });
    std::generate(r.passwords.begin(), r.passwords.end(), [&] { return text(in); });
    r.messageFrequency = text(in);

    // Each message cut to any limit: the longest start of its whole written form that fits.
    for (const Text &message : r.messages) {
        const Text whole = writtenForm(message);
        const size_t limit = in.ConsumeIntegral<uint8_t>();
        const LimitedText got = writtenFormLimited(message, limit);
        const size_t n = characterCount(got.text);
        CHECK(whole.compare(0, got.text.size(), got.text) == 0 && got.cut == (got.text != whole));
        CHECK(n <= limit && toCodePage(got.text).size() <= limit);
        CHECK(!got.cut || n == limit || toCodePage(leftCharacters(whole, n + 1)).size() > limit);
    }

    // Each section is its title, its lines and two empty lines, but the last has none: the three
    // of flags (the third with the frequency and the tiered admin flag); with tiered admin the
    // passwords and the commands written, those of the catalogue not Disabled; the messages.
    const size_t rows =
        std::count_if(r.commands.begin(), r.commands.begin() + commandNames().size(),
                      [](const CommandRow &row) { return row.level != AccessLevel::Disabled; });
    const size_t lines = 3 * 3 + kWeaponCount + kGrenadeCount + kSettingCount + 2 +
                         (r.useTieredAdmin ? 2 * 3 + kPasswordCount + rows : 0) + 1 + kMessageCount;
    int warned = 0;
    const WriterHooks hooks{[&](const Text &, const Text &) { ++warned; }, {}};
    const auto write = [&] {
        CHECK(writeConfigFile(r, dir.path().toStdU16String(), hooks).ok);
        QFile file(dir.filePath(QString::fromStdU16String(kConfigFileName)));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    };
    const std::string bytes = write();
    std::vector<std::string_view> line;
    for (size_t at = 0, end; at < bytes.size(); at = end + 2) {
        CHECK((end = bytes.find("\r\n", at)) != std::string::npos);
        line.emplace_back(bytes.data() + at, end - at);
        CHECK(std::all_of(line.back().begin(), line.back().end(),
                          [](unsigned char c) { return c >= 0x20 && c != 0x7F; }));
    }
    CHECK(line.size() == lines);
    for (size_t i = lines - kMessageCount; i < lines; ++i) // "<slot>" and at most 196 bytes
        CHECK(line[i].substr(0, 3) == '<' + std::to_string(i + kMessageCount - lines) + '>' &&
              line[i].size() <= 3 + kMessageLimit);
    warned = 0;
    CHECK(write() == bytes && warned == 0);
    return 0;
}

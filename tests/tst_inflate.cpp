// The unpacker of the Windows build's font against zlib's packer: every kind of DEFLATE block,
// and packed data that is not whole.

#include "inflate.h"

#include <QFile>
#include <QtTest>

#include <zlib.h>

using namespace quorlex;

namespace
{
QByteArray packed(const QByteArray &data, int level, int strategy)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy); // raw DEFLATE, as pack-font.py writes
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}
} // namespace

class TestInflate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unpack_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("strategy");
        QFile fontFile(QStringLiteral(QUORLEX_FONT_FILE));
        QVERIFY(fontFile.open(QIODevice::ReadOnly));
        const QByteArray font = fontFile.readAll();
        QTest::newRow("the font, dynamic codes") << font << 9 << int(Z_DEFAULT_STRATEGY);
        QTest::newRow("the font, fixed codes") << font << 9 << int(Z_FIXED);
        QTest::newRow("the font, stored blocks") << font << 0 << int(Z_DEFAULT_STRATEGY);
        QTest::newRow("long runs, far copies")
            << QByteArray(70000, 'a') + font.left(40000) + QByteArray(300, 'b') + font.left(40000)
            << 9 << int(Z_RLE);
        QTest::newRow("nothing") << QByteArray() << 9 << int(Z_DEFAULT_STRATEGY);
    }
    void unpack()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, level);
        QFETCH(int, strategy);
        const QByteArray in = packed(data, level, strategy);
        const auto *bytes = reinterpret_cast<const unsigned char *>(in.constData());
        std::vector<unsigned char> out;
        QVERIFY(inflate(bytes, size_t(in.size()), out));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), int(out.size())), data);
        out.clear();
        QVERIFY2(!inflate(bytes, size_t(in.size() - 1), out), "data cut short is refused");
    }
};

QTEST_GUILESS_MAIN(TestInflate)
#include "tst_inflate.moc"

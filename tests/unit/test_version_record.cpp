// The Windows program file's identity: the version record generated from
// resources/orbo.rc.in is compiled with the MinGW resource compiler and the
// binary resource file is read back, so what Windows' file properties would
// show is checked here on Linux, against the project's one version.
#include "core/PindelVersion.h"

#include <QtTest>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#ifndef PINDEL_WINDRES
#define PINDEL_WINDRES ""
#endif

namespace {

constexpr quint16 rtIcon = 3;
constexpr quint16 rtGroupIcon = 14;
constexpr quint16 rtVersion = 16;

struct Resource
{
    quint16 typeId = 0; // 0 when the type is named
    QString name;       // "#N" for a numbered resource
    quint16 language = 0;
    QByteArray data;
};

quint16 word(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 dword(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

qsizetype aligned(qsizetype at)
{
    return (at + 3) & ~qsizetype(3);
}

// A resource type or name: 0xFFFF and a number, or a zero-ended UTF-16 text.
QString readNameOrId(const QByteArray& b, qsizetype& at, quint16* id)
{
    if (word(b, at) == 0xFFFF) {
        *id = word(b, at + 2);
        at += 4;
        return QStringLiteral("#%1").arg(*id);
    }
    *id = 0;
    QString text;
    while (quint16 c = word(b, at)) {
        text.append(QChar(c));
        at += 2;
    }
    at += 2;
    return text;
}

QList<Resource> parseRes(const QByteArray& b)
{
    QList<Resource> list;
    qsizetype at = 0;
    while (at + 32 <= b.size()) {
        const quint32 dataSize = dword(b, at);
        const quint32 headerSize = dword(b, at + 4);
        Resource r;
        qsizetype p = at + 8;
        quint16 nameId = 0;
        readNameOrId(b, p, &r.typeId);
        r.name = readNameOrId(b, p, &nameId);
        p = aligned(p);
        r.language = word(b, p + 6);
        r.data = b.mid(at + headerSize, dataSize);
        if (dataSize > 0)
            list.append(r);
        at = aligned(at + headerSize + dataSize);
    }
    return list;
}

// One node of a version record: key, value and children.
struct VersionNode
{
    QString key;
    quint16 type = 0; // 1: the value is text
    QByteArray value;
    QList<VersionNode> children;

    const VersionNode* child(const QString& name) const
    {
        for (const VersionNode& c : children)
            if (c.key == name)
                return &c;
        return nullptr;
    }
    QString text() const
    {
        QString s =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(value.constData()), value.size() / 2);
        if (s.endsWith(QChar(0)))
            s.chop(1);
        return s;
    }
};

VersionNode parseVersionNode(const QByteArray& b, qsizetype at)
{
    VersionNode n;
    const quint16 length = word(b, at);
    const quint16 valueLength = word(b, at + 2);
    n.type = word(b, at + 4);
    qsizetype p = at + 6;
    while (quint16 c = word(b, p)) {
        n.key.append(QChar(c));
        p += 2;
    }
    p = aligned(p + 2);
    const qsizetype valueBytes = n.type == 1 ? valueLength * 2 : valueLength;
    n.value = b.mid(p, valueBytes);
    p = aligned(p + valueBytes);
    while (p < at + length) {
        n.children.append(parseVersionNode(b, p));
        p = aligned(p + word(b, p));
    }
    return n;
}

// The picture as seen: transparent pixels count as transparent whatever colour
// they carry (the icon's mask leaves them black, the PNG's palette grey).
QList<QRgb> visiblePixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QList<QRgb> pixels;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            pixels.append(qAlpha(p) == 0 ? 0 : p);
        }
    return pixels;
}

} // namespace

class TestVersionRecord : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QList<Resource> m_resources;
    VersionNode m_version;

    const Resource* find(quint16 type) const
    {
        for (const Resource& r : m_resources)
            if (r.typeId == type)
                return &r;
        return nullptr;
    }
    const VersionNode* stringTable() const
    {
        const VersionNode* info = m_version.child("StringFileInfo");
        return info ? info->child("040704b0") : nullptr;
    }

private slots:
    void initTestCase()
    {
        const QString windres = QStringLiteral(PINDEL_WINDRES);
        if (windres.isEmpty())
            QSKIP("x86_64-w64-mingw32-windres is not installed (scripts/install-deps.sh --test)");
        const QString rcFile = QStringLiteral(PINDEL_RC_FILE);
        const QString resFile = m_dir.filePath("orbo.res");
        QProcess windresRun;
        windresRun.start(windres, {"--preprocessor=cpp", "-I", PINDEL_SOURCE_DIR "/resources", "-i", rcFile,
                                   "-O", "res", "-o", resFile});
        QVERIFY(windresRun.waitForFinished(60000));
        QVERIFY2(windresRun.exitCode() == 0, windresRun.readAllStandardError().constData());
        QFile res(resFile);
        QVERIFY(res.open(QIODevice::ReadOnly));
        m_resources = parseRes(res.readAll());
        const Resource* version = find(rtVersion);
        QVERIFY(version);
        m_version = parseVersionNode(version->data, 0);
    }

    void everyResourceIsGerman()
    {
        QVERIFY(!m_resources.isEmpty());
        for (const Resource& r : m_resources)
            QCOMPARE(r.language, quint16(0x0407));
    }

    // The fixed file and product version: major.minor.patch.0 of the project
    // (1.0.0.0 for the version shown as "1.00").
    void fixedVersionIsTheProjectsVersion()
    {
        using namespace PindelVersion;
        QCOMPARE(QString(kShown), QStringLiteral("%1.%2").arg(kMajor).arg(kMinor, 2, 10, QChar('0')));
        QCOMPARE(m_version.key, QString("VS_VERSION_INFO"));
        QCOMPARE(m_version.value.size(), 52);
        QCOMPARE(dword(m_version.value, 0), quint32(0xFEEF04BD));
        const quint32 high = quint32(kMajor) << 16 | quint32(kMinor);
        const quint32 low = quint32(kPatch) << 16;
        QCOMPARE(dword(m_version.value, 8), high);  // file version major.minor
        QCOMPARE(dword(m_version.value, 12), low);  // .patch.0
        QCOMPARE(dword(m_version.value, 16), high); // product version
        QCOMPARE(dword(m_version.value, 20), low);
    }

    void strings_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("FileVersion") << "FileVersion" << QString(PindelVersion::kShown);
        QTest::newRow("ProductVersion") << "ProductVersion" << QString(PindelVersion::kShown);
        QTest::newRow("FileDescription") << "FileDescription"
                                         << "Daten 'Notizzettel'";
        QTest::newRow("Comments") << "Comments"
                                  << "Setzen sie einen verweis in den autostart ordner.";
        QTest::newRow("ProductName") << "ProductName"
                                     << "Pindel";
        QTest::newRow("InternalName") << "InternalName"
                                      << "orbo";
        QTest::newRow("OriginalFilename") << "OriginalFilename"
                                          << "orbo.exe";
    }

    void strings()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QVERIFY2(stringTable(), "no string table 040704b0 (German, Unicode)");
        const VersionNode* entry = stringTable()->child(key);
        QVERIFY2(entry, qPrintable(key));
        QCOMPARE(entry->type, quint16(1));
        QCOMPARE(entry->text(), value);
    }

    void noOtherStrings()
    {
        QVERIFY(stringTable());
        QCOMPARE(stringTable()->children.size(), 7);
    }

    void translationIsGermanUnicode()
    {
        const VersionNode* var = m_version.child("VarFileInfo");
        QVERIFY(var);
        const VersionNode* translation = var->child("Translation");
        QVERIFY(translation);
        QCOMPARE(translation->value.size(), 4);
        QCOMPARE(word(translation->value, 0), quint16(0x0407));
        QCOMPARE(word(translation->value, 2), quint16(1200));
    }

    // The program file's icon: one picture of 32 by 32 in 16 colours, the
    // same picture as the window's and the tray's (picture 2).
    void iconIsPictureTwo()
    {
        const Resource* group = find(rtGroupIcon);
        QVERIFY(group);
        QCOMPARE(word(group->data, 4), quint16(1)); // one image
        const QByteArray entry = group->data.mid(6, 14);
        QCOMPARE(quint8(entry[0]), quint8(32));
        QCOMPARE(quint8(entry[1]), quint8(32));
        QCOMPARE(quint8(entry[2]), quint8(16)); // colours
        QCOMPARE(word(entry, 6), quint16(4));   // bits per pixel

        const Resource* icon = find(rtIcon);
        QVERIFY(icon);
        QCOMPARE(quint32(icon->data.size()), dword(entry, 8));

        QImage fromIco(PINDEL_SOURCE_DIR "/resources/orbo.ico");
        QImage picture2(PINDEL_SOURCE_DIR "/resources/pictures/picture2.png");
        QVERIFY(!fromIco.isNull());
        QVERIFY(!picture2.isNull());
        QCOMPARE(fromIco.size(), QSize(32, 32));
        QCOMPARE(visiblePixels(fromIco), visiblePixels(picture2));
    }
};

QTEST_MAIN(TestVersionRecord)
#include "test_version_record.moc"

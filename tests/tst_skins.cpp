// Reading skin files and turning their colour texts into colour values.

#include "skins/SkinColor.h"
#include "skins/SkinFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Ten value lines, each with the one extra character that the reader drops; the line endings
// are taken in turn from the list.
QByteArray tenValues(const QList<QByteArray>& lineEnds, const QByteArray& extra = " ")
{
    QByteArray text;
    for (int i = 1; i <= 10; ++i)
        text += "value" + QByteArray::number(i) + extra + lineEnds.at((i - 1) % lineEnds.size());
    return text;
}

QByteArray tenValues(const char* lineEnd, const QByteArray& extra = " ")
{
    return tenValues(QList<QByteArray>{lineEnd}, extra);
}

QStringList valuesOf(const SkinValues& v)
{
    return {v.SkinListBack,    v.SkinListFore,      v.SkinLabelFore,     v.SkinFormBack,
            v.SkinMainPicture, v.SkinAddPicture,    v.SkinBrowsePicture, v.SkinSearchPicture,
            v.SkinHomePicture, v.SkinBrowserPicture};
}

QStringList plainValues()
{
    QStringList values;
    for (int i = 1; i <= 10; ++i)
        values << QStringLiteral("value%1").arg(i);
    return values;
}

} // namespace

class SkinsTest : public QObject
{
    Q_OBJECT

private slots:
    void valueLinesLoseExactlyTheirLastCharacter_data();
    void valueLinesLoseExactlyTheirLastCharacter();
    void onlyExactlyTenValueLinesMakeASkin_data();
    void onlyExactlyTenValueLinesMakeASkin();
    void rejectedSkinLeavesValuesAlone();
    void fileThatCannotBeReadIsReportedAsSuch();
    void skinFileOnDiskReadsLikeItsText();
    void hexToColorGivesBlueGreenRed_data();
    void hexToColorGivesBlueGreenRed();
};

void SkinsTest::valueLinesLoseExactlyTheirLastCharacter_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR LF") << tenValues("\r\n") << plainValues();
    QTest::newRow("CR only") << tenValues("\r") << plainValues();
    QTest::newRow("LF only") << tenValues("\n") << plainValues();
    QTest::newRow("mixed endings") << tenValues({"\r\n", "\r", "\n"}) << plainValues();
    QTest::newRow("no final line break") << tenValues("\r\n").chopped(2) << plainValues();
    QTest::newRow("semicolon as the extra character") << tenValues("\r\n", ";") << plainValues();

    QTest::newRow("comment lines anywhere")
        << QByteArray("; a skin\r\n" + tenValues("\r\n").insert(9, ";note\r\n") + ";end")
        << plainValues();

    // Nothing after the value: the value itself loses its last character.
    QStringList cut = plainValues();
    cut[0] = QStringLiteral("#33669");
    QTest::newRow("value without extra character")
        << QByteArray("#336699\r\n" + tenValues("\r\n").mid(9)) << cut;
    QTest::newRow("value without extra character, LF")
        << QByteArray("#336699\n" + tenValues("\n").mid(8)) << cut;

    QStringList empty = plainValues();
    empty[2] = QString();
    const QByteArray lines = tenValues("\r\n");
    const qsizetype third = lines.indexOf("value3");
    QTest::newRow("one-character value line")
        << QByteArray(lines.left(third) + "x\r\n" + lines.mid(third + 9)) << empty;
    QTest::newRow("empty value line")
        << QByteArray(lines.left(third) + "\r\n" + lines.mid(third + 9)) << empty;

    QStringList wide = plainValues();
    wide[4] = QStringLiteral("skins/blå/main.png");
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF; comment\r\n" +
                      tenValues("\r\n").replace("value5 ", "skins/bl\xC3\xA5/main.png "))
        << wide;
    QTest::newRow("Latin-1") << QByteArray(
                                    tenValues("\r\n").replace("value5 ", "skins/bl\xE5/main.png "))
                             << wide;
}

void SkinsTest::valueLinesLoseExactlyTheirLastCharacter()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    SkinValues values;
    QCOMPARE(ParseSkinText(content, &values), SkinParseResult::Valid);
    QCOMPARE(valuesOf(values), expected);
}

void SkinsTest::onlyExactlyTenValueLinesMakeASkin_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("valid");

    QTest::newRow("ten") << tenValues("\r\n") << true;
    QTest::newRow("nine") << tenValues("\r\n").mid(9) << false;
    QTest::newRow("eleven") << QByteArray(tenValues("\r\n") + "extra \r\n") << false;
    QTest::newRow("heading line") << QByteArray("[Skin]\r\n" + tenValues("\r\n")) << false;
    QTest::newRow("comment indented by a blank")
        << QByteArray(" ; note\r\n" + tenValues("\r\n")) << false;
    QTest::newRow("blank line at the end") << QByteArray(tenValues("\r\n") + "\r\n") << false;
    QTest::newRow("LF CR is two endings") << tenValues("\n\r") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("only comments") << QByteArray(";a\r\n;b\r\n") << false;
    QTest::newRow("ten values, many comments")
        << QByteArray(QByteArray(";\r\n").repeated(50) + tenValues("\r\n")) << true;
}

void SkinsTest::onlyExactlyTenValueLinesMakeASkin()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, valid);
    SkinValues values;
    QCOMPARE(ParseSkinText(content, &values) == SkinParseResult::Valid, valid);
}

void SkinsTest::rejectedSkinLeavesValuesAlone()
{
    SkinValues values;
    values.SkinLabelFore = QStringLiteral("#123456");
    values.SkinBrowserPicture = QStringLiteral("art/browser.png");
    QCOMPARE(ParseSkinText("[Skin]\r\n" + tenValues("\r\n"), &values), SkinParseResult::Invalid);
    QCOMPARE(values.SkinLabelFore, QStringLiteral("#123456"));
    QCOMPARE(values.SkinBrowserPicture, QStringLiteral("art/browser.png"));
    QVERIFY(values.SkinListBack.isEmpty());
}

void SkinsTest::fileThatCannotBeReadIsReportedAsSuch()
{
    QTemporaryDir dir;
    SkinValues values;
    QCOMPARE(ParseSkinFile(dir.filePath(QStringLiteral("gone.ini")), &values),
             SkinParseResult::Unreadable);
    QCOMPARE(ParseSkinFile(dir.path(), &values), SkinParseResult::Unreadable);
    QCOMPARE(ParseSkinFile(QString(), &values), SkinParseResult::Unreadable);
}

void SkinsTest::skinFileOnDiskReadsLikeItsText()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("my skin.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; colours\r#336699 \r" + tenValues("\r").mid(9));
    file.close();

    SkinValues values;
    QCOMPARE(ParseSkinFile(path, &values), SkinParseResult::Valid);
    QCOMPARE(values.SkinListBack, QStringLiteral("#336699"));
    QCOMPARE(values.SkinBrowserPicture, QStringLiteral("value10"));
}

void SkinsTest::hexToColorGivesBlueGreenRed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("#336699") << "#336699" << 10053171.0;
    QTest::newRow("#FF0000") << "#FF0000" << 255.0;
    QTest::newRow("#FFFFFF") << "#FFFFFF" << 16777215.0;
    QTest::newRow("#000000") << "#000000" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("lower case") << "#ff8000" << 33023.0;
    QTest::newRow("without #") << "336699" << 10053171.0;
    QTest::newRow("# anywhere") << "33#66#99#" << 10053171.0;
    QTest::newRow("value line without its extra character") << "#33669" << double(0x696633);
    QTest::newRow("three characters") << "ABC" << double(0xBCCAB);
    QTest::newRow("one character") << "A" << double(0xAA);
    QTest::newRow("non-hex keeps its place") << "#12G456" << double(0x560412);
    QTest::newRow("all non-hex") << "#zzzzzz" << 0.0;
    QTest::newRow("eight digits") << "#FFFFFFFF" << 16777215.0;
    QTest::newRow("nine digits") << "#123456789" << double(0x893412);
    QTest::newRow("very long") << QString(400, QLatin1Char('F')) << 16777215.0;
}

void SkinsTest::hexToColorGivesBlueGreenRed()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(SkinColor::HexToColor(text), expected);
}

QTEST_GUILESS_MAIN(SkinsTest)
#include "tst_skins.moc"

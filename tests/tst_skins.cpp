// Reading skin files and turning their colour texts into colour values.

#include "skins/SkinFile.h"
#include "ui/SkinColor.h"

#include <QtTest>

namespace {

// Ten value lines, each with the one extra character the reader drops; line endings in turn.
QByteArray tenValues(const QList<QByteArray>& lineEnds = {"\r\n"})
{
    QByteArray text;
    for (int i = 1; i <= 10; ++i)
        text += "value" + QByteArray::number(i) + " " + lineEnds.at((i - 1) % lineEnds.size());
    return text;
}

QStringList valuesOf(const SkinValues& v)
{
    return {v.listBack,   v.listFore,      v.labelFore,     v.formBack,    v.mainPicture,
            v.addPicture, v.browsePicture, v.searchPicture, v.homePicture, v.browserPicture};
}

QStringList plainValues(int index = -1, const QString& value = QString())
{
    QStringList values;
    for (int i = 1; i <= 10; ++i)
        values << QStringLiteral("value%1").arg(i);
    if (index >= 0)
        values[index] = value;
    return values;
}

} // namespace

class SkinsTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyTenValueLinesEachLosingItsLastCharacterMakeASkin_data();
    void onlyTenValueLinesEachLosingItsLastCharacterMakeASkin();
    void hexToColorGivesBlueGreenRed_data();
    void hexToColorGivesBlueGreenRed()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(SkinColor::hexToColor(text), expected);
    }
};

void SkinsTest::onlyTenValueLinesEachLosingItsLastCharacterMakeASkin_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected"); // empty: not a skin
    const QByteArray lines = tenValues();
    QTest::newRow("CR LF") << lines << plainValues();
    QTest::newRow("mixed, no final break")
        << tenValues({"\r\n", "\r", "\n"}).chopped(2) << plainValues();
    QTest::newRow("comment lines") << QByteArray("; a skin\r\n" + lines + ";end") << plainValues();
    QTest::newRow("value without extra character")
        << QByteArray("#336699\n" + tenValues({"\n"}).mid(8)) << plainValues(0, "#33669");
    QTest::newRow("empty value line")
        << QByteArray(lines).replace("value3 \r\n", "\r\n") << plainValues(2, QString());
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF" + QByteArray(lines).replace("value5 ", "bl\xC3\xA5.png "))
        << plainValues(4, QStringLiteral("blå.png"));
    QTest::newRow("Latin-1") << QByteArray(lines).replace("value5 ", "bl\xE5.png ")
                             << plainValues(4, QStringLiteral("blå.png"));

    QTest::newRow("nine") << lines.mid(9) << QStringList();
    QTest::newRow("eleven") << QByteArray(lines + "extra \r\n") << QStringList();
    QTest::newRow("heading line") << QByteArray("[Skin]\r\n" + lines) << QStringList();
    QTest::newRow("indented comment") << QByteArray(" ; note\r\n" + lines) << QStringList();
    QTest::newRow("blank line at the end") << QByteArray(lines + "\r\n") << QStringList();
    QTest::newRow("LF CR is two endings") << tenValues({"\n\r"}) << QStringList();
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void SkinsTest::onlyTenValueLinesEachLosingItsLastCharacterMakeASkin()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    SkinValues values;
    values.labelFore = QStringLiteral("#123456");
    QCOMPARE(parseSkinText(content, &values) == SkinParseResult::Valid, !expected.isEmpty());
    // A rejected skin leaves the values in use alone.
    if (expected.isEmpty())
        QCOMPARE(values.labelFore, QStringLiteral("#123456"));
    else
        QCOMPARE(valuesOf(values), expected);
}

void SkinsTest::hexToColorGivesBlueGreenRed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("#336699") << "#336699" << 10053171.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("lower case, no #") << "ff8000" << 33023.0;
    QTest::newRow("value line without its extra character") << "#33669" << double(0x696633);
    QTest::newRow("three characters") << "ABC" << double(0xBCCAB);
    QTest::newRow("non-hex keeps its place") << "#12G456" << double(0x560412);
    QTest::newRow("nine digits") << "#123456789" << double(0x893412);
    QTest::newRow("very long") << QString(400, QLatin1Char('F')) << 16777215.0;
}

QTEST_GUILESS_MAIN(SkinsTest)
#include "tst_skins.moc"

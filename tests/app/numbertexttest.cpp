// Number texts and chord names.
#include <QTest>

#include "reports/harmonycode.h"
#include "reports/numbertext.h"

using namespace tunedeck;

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void numberTexts();
    void fixedDecimals_data();
    void fixedDecimals();
    void chordName_data();
    void chordName();
};

void NumberTextTest::numberTexts()
{
    QCOMPARE(zeroPadded(7, 3), QStringLiteral("007"));
    QCOMPARE(zeroPadded(100, 3), QStringLiteral("100"));
    QCOMPARE(zeroPadded(12345, 4), QStringLiteral("12345"));
    QCOMPARE(zeroPadded(-5, 3), QStringLiteral("-005"));
    QCOMPARE(zeroPadded(std::numeric_limits<qint64>::min(), 3),
             QStringLiteral("-9223372036854775808"));

    QCOMPARE(signedText(5), QStringLiteral(" 5"));
    QCOMPARE(signedText(-5), QStringLiteral("-5"));

    QCOMPARE(roundHalfAway(12.5), qint64(13));
    QCOMPARE(roundHalfAway(-12.5), qint64(-13));
    QCOMPARE(roundHalfAway(12.4999), qint64(12));
    QCOMPARE(roundHalfAway(std::nan("")), qint64(0));
    QCOMPARE(roundHalfAway(1e300), std::numeric_limits<qint64>::max());
}

void NumberTextTest::fixedDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    // 0.0004065 is stored just below the half; it must still round up.
    QTest::newRow("decimal half") << 0.0004065 << 6 << "0.000407";
    QTest::newRow("negative half") << -0.0004065 << 6 << "-0.000407";
    QTest::newRow("below half") << 0.00040649 << 6 << "0.000406";
    QTest::newRow("carry") << 9.9999995 << 6 << "10.000000";
    QTest::newRow("zero") << 0.0 << 6 << "0.000000";
    QTest::newRow("tiny negative") << -0.0000001 << 6 << "0.000000";
    QTest::newRow("no decimals") << 2.5 << 0 << "3";
}

void NumberTextTest::fixedDecimals()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(tunedeck::fixedDecimals(value, decimals), text);
}

void NumberTextTest::chordName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("accidental");
    QTest::addColumn<QString>("compact");
    QTest::addColumn<QString>("readable");

    QTest::newRow("16182") << 16182 << 0 << "C#M7+" << "C# Major7 Aug5";
    QTest::newRow("16070 plain seventh") << 16070 << 0 << "C..7." << "C.7";
    QTest::newRow("36090 minor ninth") << 36090 << 0 << "C.m9." << "C.m9";
    QTest::newRow("26070 sus seventh") << 26070 << 0 << "C.s7." << "C.7 Sus4";
    QTest::newRow("16001 dim fifth") << 16001 << 0 << "C...-" << "C. Dim5";
    QTest::newRow("06300 sharps") << 6300 << 0 << "D#m.." << "D#m";
    QTest::newRow("06300 flats") << 6300 << -1 << "Ebm.." << "Ebm";
    QTest::newRow("26060 sus sixth") << 26060 << 0 << "C.s6." << "C.6 Sus4";
    QTest::newRow("major7 dim5") << 16781 << -1 << "G.M7-" << "G. Major7 Dim5";
    QTest::newRow("quality 9 reads minor") << 97000 << -1 << "Bbm.." << "Bbm";
    QTest::newRow("sus with aug5") << 27102 << 0 << "B.s.+" << "B. Sus4 Aug5";
    QTest::newRow("zero") << 0 << 0 << "-" << "-";
    QTest::newRow("root 59") << 15900 << 0 << "-" << "-";
    QTest::newRow("root 72") << 17200 << 0 << "-" << "-";
    QTest::newRow("negative") << -16182 << 0 << "-" << "-";
    QTest::newRow("six digits") << 116182 << 0 << "-" << "-";
}

void NumberTextTest::chordName()
{
    QFETCH(int, code);
    QFETCH(int, accidental);
    QFETCH(QString, compact);
    QFETCH(QString, readable);
    const ChordName name = convertHarmonyCode(code, qint16(accidental));
    QCOMPARE(name.compact, compact);
    QCOMPARE(name.readable, readable);
}

QTEST_APPLESS_MAIN(NumberTextTest)
#include "numbertexttest.moc"

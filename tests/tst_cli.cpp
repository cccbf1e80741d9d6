#include <QtTest>
class CliTest : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"

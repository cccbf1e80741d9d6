// The real Open Database dialog: a file, or a server's address typed into the dialog its
// button opens.

#include "ui/QtPrompt.h"
#include "ui/ServerAddressDialog.h"

#include <QtTest>
#include <QtWidgets>

class ServerAddressTest : public QObject
{
    Q_OBJECT

private slots:
    void addressComesFromTheServerButton_data();
    void addressComesFromTheServerButton();
};

namespace {

// Runs the step once the dialog of type T is the active modal window.
template <class T> void whenShown(std::function<void(T*)> step)
{
    QTimer::singleShot(0, [step] {
        T* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<T*>(QApplication::activeModalWidget())));
        // Access keys work in the active window only.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        step(dialog);
    });
}

} // namespace

void ServerAddressTest::addressComesFromTheServerButton_data()
{
    QTest::addColumn<QString>("typed"); // "escape": the address question is cancelled
    QTest::addColumn<QString>("chosen");
    QTest::newRow("uri") << "  postgresql://me@db.example:5432/numira "
                         << "postgresql://me@db.example:5432/numira";
    QTest::newRow("service") << "service=licences"
                             << "service=licences";
    // Back in the file dialog, which is then cancelled too.
    QTest::newRow("address cancelled") << "escape"
                                       << "";
}

void ServerAddressTest::addressComesFromTheServerButton()
{
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QTemporaryDir folder;
    QtPrompt prompt;
    bool addressAsked = false;
    bool fileDialogAgain = false;
    whenShown<QFileDialog>([&](QFileDialog* files) {
        whenShown<ServerAddressDialog>([&](ServerAddressDialog* server) {
            addressAsked = true;
            // The last address is offered, selected, so typing replaces it.
            QCOMPARE(server->txtAddress->text(), QString("service=old"));
            if (typed == "escape") {
                QTest::keyClick(server, Qt::Key_Escape);
                whenShown<QFileDialog>([&](QFileDialog* again) {
                    fileDialogAgain = true;
                    again->reject();
                });
                return;
            }
            QTest::keyClicks(server->txtAddress, typed);
            QTest::keyClick(server->txtAddress, Qt::Key_Return);
        });
        auto* server = files->findChild<QPushButton*>("cmdServer");
        QVERIFY(server && server->isVisible() && server->focusPolicy() == Qt::StrongFocus);
        server->click();
    });
    QCOMPARE(prompt.openDatabase("Open", "Database (*.mdb)|*.mdb| ", folder.path(), "service=old"),
             chosen);
    QVERIFY(addressAsked);
    QCOMPARE(fileDialogAgain, typed == "escape");
}

QTEST_MAIN(ServerAddressTest)
#include "tst_server_address.moc"

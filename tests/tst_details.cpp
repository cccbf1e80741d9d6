// A licence's details on the screens: the dialog, the edit and add screens that store them,
// the lists' expiry marks, the once-a-day word about expiring licences and their list.

#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/DetailsDialog.h"
#include "screens/DetailsForm.h"
#include "screens/EditScreen.h"
#include "screens/ExpiringScreen.h"
#include "screens/ExpiryMarkDelegate.h"
#include "screens/ExpiryMarks.h"
#include "screens/SearchScreen.h"
#include "store/SettingsStore.h"
#include "store/records/ExpiryNotice.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

namespace {

const QDate Today = QDate::currentDate();

// The record's details as another connection reads them from the file.
RecordDetails storedDetails(const QString& dbPath, qlonglong id)
{
    DatabaseSession reader;
    reader.setAddress(dbPath);
    RecordDetails details;
    StoreError error;
    if (reader.open() || !RecordDetailsStore::load(reader, id, &details, &error))
        qFatal("The details could not be read");
    reader.close();
    return details;
}

void store(qlonglong id, const QDate& expires)
{
    RecordDetails details;
    details.expires = expires;
    bool found = false;
    StoreError error;
    QVERIFY(RecordDetailsStore::save(testSession(), id, details, &found, &error) && found);
}

// Records of program "Alpha" with ids 1.., the program started; expiry dates as given (a null
// date stores none).
bool startWithExpiries(TestEnv& env, const QList<QDate>& expiries)
{
    Rows records;
    for (int i = 0; i < expiries.size(); ++i)
        records.append({"Alpha", QString::number(i + 1), "Ann", "KEY-" + QString::number(i + 1)});
    seed(env.makeDatabase(), records);
    if (!env.start())
        return false;
    for (int i = 0; i < expiries.size(); ++i) {
        if (expiries.at(i).isValid())
            store(i + 1, expiries.at(i));
    }
    return !QTest::currentTestFailed();
}

DetailsDialog* detailsDialog(QWidget* owner)
{
    return owner->findChild<DetailsDialog*>("frmDetails");
}

} // namespace

class DetailsTest : public QObject
{
    Q_OBJECT

private slots:
    // The dialog's fields reach the file with Save Changes, not with OK alone; fields emptied
    // again remove them.
    void editScreenStoresDetailsWithTheRecord()
    {
        TestEnv env;
        auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                                {{"Alpha", "1", "Ann", "KEY-1"}});
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Alpha");
        const auto openEdit = [&] {
            selectRow(control<QTreeView>(browse, "lstRecords"), 0);
            control<QPushButton>(browse, "cmdView")->click();
            return loaded<EditScreen>();
        };
        EditScreen* edit = openEdit();
        QVERIFY(edit);
        auto* detailsButton = control<QPushButton>(edit, "cmdDetails");
        QCOMPARE(detailsButton->text(), "De&tails...");
        detailsButton->click();
        DetailsDialog* dialog = detailsDialog(edit);
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!control<QDateEdit>(dialog, "dtpExpires")->isEnabled()); // no date yet

        control<QLineEdit>(dialog, "txtEmail")->setText(" ann@example.com ");
        control<QLineEdit>(dialog, "txtUrl")->setText("shop.example.com/account");
        control<QCheckBox>(dialog, "chkPurchased")->setChecked(true);
        control<QDateEdit>(dialog, "dtpPurchased")->setDate(QDate(2026, 1, 15));
        control<QCheckBox>(dialog, "chkExpires")->setChecked(true);
        control<QDateEdit>(dialog, "dtpExpires")->setDate(QDate(2027, 1, 15));
        control<QLineEdit>(dialog, "txtSeats")->setText("many");
        control<QLineEdit>(dialog, "txtOrder")->setText("ORD-7");
        control<QPlainTextEdit>(dialog, "txtNotes")->setPlainText("line one\nline two");
        const auto pressOk = [](QDialog* on) {
            control<QDialogButtonBox>(on, "buttons")->button(QDialogButtonBox::Ok)->click();
        };
        pressOk(dialog); // refused: seats are no number
        QCOMPARE(env.prompt.texts(),
                 QStringList{"Seats must be a whole number from 0 to 1000000."});
        QVERIFY(dialog->isVisible());
        control<QLineEdit>(dialog, "txtSeats")->setText("5");
        pressOk(dialog);
        QVERIFY(!dialog->isVisible());
        QVERIFY(edit->hasUnsavedChanges());
        QVERIFY(storedDetails(env.defaultDatabase(), 1).isEmpty());

        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        RecordDetails expected;
        expected.email = "ann@example.com";
        expected.url = "shop.example.com/account";
        expected.purchased = QDate(2026, 1, 15);
        expected.expires = QDate(2027, 1, 15);
        expected.seats = 5;
        expected.order = "ORD-7";
        expected.notes = "line one\nline two";
        QVERIFY(storedDetails(env.defaultDatabase(), 1) == expected);

        // A second look shows them; everything emptied removes them.
        edit = openEdit();
        QVERIFY(edit && !edit->hasUnsavedChanges());
        control<QPushButton>(edit, "cmdDetails")->click();
        dialog = detailsDialog(edit);
        QVERIFY(dialog);
        QCOMPARE(control<QPlainTextEdit>(dialog, "txtNotes")->toPlainText(), expected.notes);
        QCOMPARE(control<QDateEdit>(dialog, "dtpExpires")->date(), expected.expires);
        QVERIFY(control<QPushButton>(dialog, "cmdOpenUrl")->isEnabled());
        for (const char* field : {"txtEmail", "txtUrl", "txtSeats", "txtOrder"})
            control<QLineEdit>(dialog, field)->clear();
        control<QPlainTextEdit>(dialog, "txtNotes")->clear();
        control<QCheckBox>(dialog, "chkPurchased")->setChecked(false);
        control<QCheckBox>(dialog, "chkExpires")->setChecked(false);
        QVERIFY(!control<QPushButton>(dialog, "cmdOpenUrl")->isEnabled());
        pressOk(dialog);
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QVERIFY(storedDetails(env.defaultDatabase(), 1).isEmpty());

        // OK and then Cancel on the edit screen asks: No drops the details, Yes stores them
        // without the boxes' typing.
        for (const PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
            env.prompt.clear();
            edit = openEdit();
            control<QLineEdit>(edit, "txtName")->setText("Zed");
            control<QPushButton>(edit, "cmdDetails")->click();
            control<QLineEdit>(detailsDialog(edit), "txtOrder")->setText("ORD-8");
            pressOk(detailsDialog(edit));
            env.prompt.answer(answer);
            control<QPushButton>(edit, "cmdCancel")->click();
            QCOMPARE(env.prompt.texts(), QStringList{"Save the licence details you entered?"});
            QCOMPARE(storedDetails(env.defaultDatabase(), 1).order,
                     answer == PromptAnswer::Yes ? "ORD-8" : "");
        }
        QCOMPARE(queryRows(env.defaultDatabase(), "SELECT name FROM serials"), Rows{{"Ann"}});
    }

    // What the dialog lets through: plausible addresses only, seats as a count, no expiry
    // before the purchase.
    void formRefusesImplausibleFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("taken");
        QTest::newRow("mail") << "email"
                              << "ann@example.com" << true;
        QTest::newRow("mail without domain") << "email"
                                             << "ann@example" << false;
        QTest::newRow("name as mail") << "email"
                                      << "Ann Lee" << false;
        QTest::newRow("web address") << "url"
                                     << "https://example.com/a?b=1" << true;
        QTest::newRow("address without scheme") << "url"
                                                << "example.com" << true;
        QTest::newRow("one word") << "url"
                                  << "example" << false;
        QTest::newRow("file address") << "url"
                                      << "file:///etc/passwd" << false;
        QTest::newRow("blank in address") << "url"
                                          << "example.com/a b" << false;
        QTest::newRow("no seats") << "seats"
                                  << "0" << true;
        QTest::newRow("negative seats") << "seats"
                                        << "-1" << false;
        QTest::newRow("fraction of seats") << "seats"
                                           << "2.5" << false;
        QTest::newRow("expires on purchase day") << "dates"
                                                 << "0" << true;
        QTest::newRow("expires before purchase") << "dates"
                                                 << "-1" << false;
    }

    void formRefusesImplausibleFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, taken);
        DetailsForm form;
        if (field == "email")
            form.email = value;
        else if (field == "url")
            form.url = value;
        else if (field == "seats")
            form.seats = value;
        else {
            form.purchased = QDate(2026, 5, 1);
            form.expires = form.purchased.addDays(value.toInt());
        }
        QCOMPARE(form.problem().isEmpty(), taken);
    }

    // The add screen's success message offers the details of the record just added.
    void addScreenOffersDetailsOnceAdded()
    {
        TestEnv env;
        auto* add =
            openScreen<AddScreen>(env, MainWindow::Screen::Add, {{"Alpha", "1", "A", "K-1"}});
        QVERIFY(add);
        selectRow(control<QListWidget>(add, "lstSelect"), 1);
        control<QLineEdit>(add, "txtVersion")->setText("2");
        control<QPlainTextEdit>(add, "txtSerial")->setPlainText("K-2");
        env.prompt.answer(PromptAnswer::Other);
        bool filled = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<DetailsDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            filled = dialog->windowTitle().contains("Alpha 2");
            control<QLineEdit>(dialog, "txtSeats")->setText("3");
            dialog->accept();
        });
        control<QPushButton>(add, "cmdOK")->click();
        QCOMPARE(env.prompt.shown.value(0).otherButton, "&Details...");
        QVERIFY(filled);
        QCOMPARE(storedDetails(env.defaultDatabase(), 2).seats, std::optional<int>(3));
        QVERIFY(storedDetails(env.defaultDatabase(), 1).isEmpty());
    }

    // Expired and expiring records are marked in the browse and search lists; others, and
    // records past the warning days, are not.
    void listsMarkExpiringRecords()
    {
        TestEnv env;
        SettingsStore::write(SettingsStore::ExpiryWarningDays, "10");
        QVERIFY(startWithExpiries(
            env, {Today.addDays(-400), Today, Today.addDays(10), Today.addDays(11), QDate()}));
        env.main->hostFromButton(MainWindow::Screen::Browse);
        auto* browse = loaded<BrowseScreen>();
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Alpha");
        auto* marks = control<ExpiryMarks>(browse, "expiryMarks");
        auto* list = control<QTreeView>(browse, "lstRecords");
        // Newest version first: ids 5 down to 1.
        QList<ExpiryState> states;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            states << marks->stateOf(row);
        QCOMPARE(states,
                 (QList<ExpiryState>{ExpiryState::None, ExpiryState::None, ExpiryState::Expiring,
                                     ExpiryState::Expiring, ExpiryState::Expired}));
        auto* delegate = qobject_cast<ExpiryMarkDelegate*>(list->itemDelegateForColumn(0));
        QVERIFY(delegate);
        QCOMPARE(delegate->tipOf(4), "Expired on " + Today.addDays(-400).toString(Qt::ISODate));
        QCOMPARE(delegate->tipOf(1), QString());

        // A search's rows are marked too.
        env.main->hostFromButton(MainWindow::Screen::Search);
        auto* search = loaded<SearchScreen>();
        QVERIFY(search);
        QTest::keyClicks(control<QLineEdit>(search, "txtKeywords"), "KEY-2");
        control<QPushButton>(search, "cmdSearch")->click();
        QTRY_VERIFY(!search->isSearching());
        QCOMPARE(rowsOf(control<QTreeView>(search, "lstSearchResults")).value(0).value(0), "2");
        QCOMPARE(control<ExpiryMarks>(search, "expiryMarks")->stateOf(0), ExpiryState::Expiring);

        // The mark keeps its colour, unless the skin's list background would hide it.
        const QColor text(Qt::black);
        QCOMPARE(ExpiryMarkDelegate::markColor(true, Qt::white, text), QColor(204, 0, 0));
        QCOMPARE(ExpiryMarkDelegate::markColor(false, QColor(250, 130, 10), text), text);
    }

    // The word is a matter of today's date, the records and the last word: within the warning
    // days or expired in the last 30, once a day for the same records.
    void noticeDecision_data()
    {
        QTest::addColumn<QList<int>>("days"); // expiry dates, days from today
        QTest::addColumn<QString>("last");    // "", "same" (today, same records), "yesterday"
        QTest::addColumn<QString>("text");    // empty: no word
        QTest::newRow("nothing near") << QList<int>{31, -31} << ""
                                      << "";
        QTest::newRow("today") << QList<int>{0} << ""
                               << "1 licence expires within 30 days";
        QTest::newRow("within") << QList<int>{30, 5, 2, 90} << ""
                                << "3 licences expire within 30 days";
        QTest::newRow("expired") << QList<int>{-1, -30} << ""
                                 << "2 licences have expired";
        QTest::newRow("both") << QList<int>{1, -3} << ""
                              << "1 licence expires within 30 days, and 1 licence has expired";
        QTest::newRow("told today") << QList<int>{1, -3} << "same"
                                    << "";
        QTest::newRow("told yesterday")
            << QList<int>{1, -3} << "yesterday"
            << "1 licence expires within 30 days, and 1 licence has expired";
        QTest::newRow("another joins today") << QList<int>{1, -3, 7} << "same"
                                             << "2 licences expire within 30 days, and 1 "
                                                "licence has expired";
    }

    void noticeDecision()
    {
        QFETCH(QList<int>, days);
        QFETCH(QString, last);
        QFETCH(QString, text);
        // The first of March: the last 30 days reach into February.
        const QDate today(2027, 3, 1);
        QList<ExpiringRecord> records;
        for (int i = 0; i < days.size(); ++i)
            records.append({i + 1, "Alpha", "1", "Ann", today.addDays(days.at(i))});
        QString lastNotice;
        if (!last.isEmpty()) {
            // What was told then of the first two records.
            const QDate then = last == "same" ? today : today.addDays(-1);
            QList<ExpiringRecord> told = records.mid(0, 2);
            for (ExpiringRecord& record : told)
                record.expires = record.expires.addDays(today.daysTo(then));
            lastNotice = ExpiryNotice::decide(then, told, 30, QString()).remembered;
        }
        const ExpiryNotice::Decision decision =
            ExpiryNotice::decide(today, records, 30, lastNotice);
        QCOMPARE(decision.notify, !text.isEmpty());
        if (decision.notify)
            QCOMPARE(decision.text, text);
        QCOMPARE(ExpiryNotice::message(0, 1, 1), "1 licence has expired");
        QCOMPARE(ExpiryNotice::message(2, 0, 1), "2 licences expire within 1 day");
    }

    // The list from both menus, soonest first; Look Closer opens the record and comes back.
    void expiringListOpensTheRecord()
    {
        TestEnv env;
        QVERIFY(startWithExpiries(env, {Today.addDays(20), Today.addDays(-5), Today.addDays(90),
                                        Today.addDays(-31), Today.addDays(3)}));
        env.main->hostFromButton(MainWindow::Screen::Expiring);
        auto* screen = loaded<ExpiringScreen>();
        QVERIFY(screen);
        auto* list = control<QTreeWidget>(screen, "lstExpiring");
        QCOMPARE(rowsOf(list),
                 (Rows{{Today.addDays(-5).toString(Qt::ISODate), "Alpha", "2", "Ann"},
                       {Today.addDays(3).toString(Qt::ISODate), "Alpha", "5", "Ann"},
                       {Today.addDays(20).toString(Qt::ISODate), "Alpha", "1", "Ann"}}));
        auto* lookCloser = control<QPushButton>(screen, "cmdView");
        QVERIFY(!lookCloser->isEnabled());
        selectRow(list, 1);
        lookCloser->click();
        auto* edit = loaded<EditScreen>();
        QVERIFY(edit);
        QCOMPARE(edit->recordId(), "5");
        QCOMPARE(control<QPlainTextEdit>(edit, "txtSerial")->toPlainText(), "KEY-5");
        control<QPushButton>(edit, "cmdCancel")->click();
        TestEnv::processDeferredDeletes();
        QVERIFY(!WindowRegistry::loadedForm("frmEdit"));
        QVERIFY(screen->isVisibleTo(env.main.get()));
    }
};

QTEST_MAIN(DetailsTest)
#include "tst_details.moc"

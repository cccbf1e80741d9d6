#include "app/SearchIndexDialog.h"

#include "store/DatabaseSession.h"
#include "store/search/SearchIndex.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>

namespace {

// Below this the build is over before a dialog would be read.
constexpr int QuietMilliseconds = 500;
constexpr int Steps = 1000;

} // namespace

void SearchIndexDialog::ensureIndex(QWidget* parent, DatabaseSession& session)
{
    if (!session.isOpen())
        return;
    QProgressDialog dialog(tr("Preparing the search index of your database..."), tr("&Cancel"), 0,
                           Steps, parent);
    dialog.setWindowTitle(QCoreApplication::applicationName());
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(QuietMilliseconds);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    SearchIndex::BuildOutcome outcome = SearchIndex::BuildOutcome::AlreadyThere;
    // A refused build (a read-only file, say) leaves the file without index: searches scan.
    SearchIndex::ensure(
        session.currentConnection(),
        [&dialog](qint64 done, qint64 total) {
            dialog.setValue(total > 0 ? int(done * Steps / total) : Steps);
            return !dialog.wasCanceled();
        },
        &outcome, nullptr);
}

void SearchIndexDialog::ensureIndexSoon(QWidget* parent, DatabaseSession& session)
{
    // The session belongs to the window the dialog opens over, and goes with it.
    QTimer::singleShot(0, parent, [parent, &session] { ensureIndex(parent, session); });
}

#include "screens/ExpiringScreen.h"

#include "screens/ExpiryMarkDelegate.h"
#include "screens/RecordHandOver.h"
#include "screens/ScreenKit.h"
#include "store/SettingsStore.h"
#include "store/records/ExpiryNotice.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString FormName = QStringLiteral("frmExpiring");
constexpr int IdRole = Qt::UserRole;

} // namespace

ExpiringScreen::ExpiringScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

ExpiringScreen::~ExpiringScreen()
{
    if (recordHandOver().caller == this)
        recordHandOver().caller = nullptr;
}

void ExpiringScreen::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6450, 4230);

    label(this, "lblTitle", ExpiryNotice::title(), 120, 240, 5970, 375, 9.75);
    m_list = place<QTreeWidget>(this, "lstExpiring", 120, 735, 5970, 2250);
    m_list->setHeaderLabels({tr("Expires"), tr("Program"), tr("Version"), tr("Name")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const auto& [column, width] : {std::pair{0, 1200}, {1, 2200}, {2, 1000}})
        m_list->setColumnWidth(column, Twips::toPixels(width));
    setVerdana(m_list, 8.25);
    paintEditor(m_list);
    m_cancel = button(this, "cmdCancel", tr("&Cancel"), 570, 3090, 1620, 390);
    m_lookCloser = button(this, "cmdView", tr("&Look Closer"), 3795, 3105, 1860, 375);
    m_lookCloser->setEnabled(false);

    chainTabOrder({m_list, m_cancel, m_lookCloser});
    bindEscape(this, m_cancel);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_lookCloser->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_lookCloser, &QPushButton::clicked, this, &ExpiringScreen::onLookCloserClicked);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ExpiringScreen::onLookCloserClicked);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_host.closeScreens();
        m_host.showBrowser();
    });
}

void ExpiringScreen::load()
{
    SkinColor::applySkinColors(this);
    m_list->clear();
    const QDate today = QDate::currentDate();
    const int warningDays = SettingsStore::readCount(SettingsStore::ExpiryWarningDays,
                                                     ExpiryNotice::DefaultWarningDays);
    QList<ExpiringRecord> records;
    StoreError error;
    if (!RecordDetailsStore::expiring(m_host.session(), today, warningDays,
                                      ExpiryNotice::ExpiredDays, &records, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(),
                                 tr("The expiring licences could not be read!"), error);
        return;
    }
    const QPalette colors = m_list->palette();
    for (const ExpiringRecord& record : std::as_const(records)) {
        auto* item = new QTreeWidgetItem(m_list, {record.expires.toString(Qt::ISODate),
                                                  record.program, record.version, record.name});
        item->setData(0, IdRole, record.id);
        const bool expired =
            ExpiryNotice::stateOf(record.expires, today, warningDays) == ExpiryState::Expired;
        item->setForeground(0, ExpiryMarkDelegate::markColor(expired, colors.color(QPalette::Base),
                                                             colors.color(QPalette::Text)));
        item->setToolTip(0, expired ? tr("Expired") : tr("Expires soon"));
    }
    if (records.isEmpty()) {
        auto* none = new QTreeWidgetItem(m_list, {QString(), tr("No licence expires soon.")});
        none->setFlags(Qt::NoItemFlags);
    }
}

void ExpiringScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        m_list->setFocus();
}

void ExpiringScreen::returnFromEdit(bool recordChanged)
{
    m_host.closeScreensExcept(FormName);
    if (recordChanged)
        load();
    m_host.hostScreen(this);
}

void ExpiringScreen::onLookCloserClicked()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty() || !(selected.first()->flags() & Qt::ItemIsSelectable))
        return;
    RecordHandOver& state = recordHandOver();
    state.selectedId = QString::number(selected.first()->data(0, IdRole).toLongLong());
    state.caller = this;
    m_host.closeScreensExcept(FormName);
    m_host.hostScreen(m_host.recordScreen(ScreenHost::Screen::Edit));
}
